// The live picture of one or two envelopes, drawn from the voice at every
// paint: silver ground, each envelope a polyline from its initial level
// through attack, decay 1 and decay 2 to silence after the release.
//
// Horizontally a segment is 63 − rate pixels long, after a flat start of
// 127 − delay time when the envelope's delay switch is on; the voice-wide
// attack and release offsets act on the traces that take them. Vertically a
// level sits at its stored attenuation below `levelTop`.
#pragma once

#include "VoiceParameters.h"

#include <QColor>
#include <QWidget>

#include <array>
#include <functional>
#include <vector>

namespace morvane {

// The six points of one envelope's polyline: start, end of the flat start,
// attack, decay 1, decay 2, end of the release.
using EnvelopeCorners = std::array<QPoint, 6>;

struct EnvelopeOffsets {
    int envDelay;
    int attack;   // voice-wide, signed; 0 for traces without offsets
    int release;
};

EnvelopeCorners envelopeCorners(const EnvelopeParams& envelope, const EnvelopeOffsets& offsets, int levelTop);

class EnvelopePanel : public QWidget {
    Q_OBJECT
public:
    struct Trace {
        std::function<const EnvelopeParams&()> envelope;  // found again at every paint
        bool withOffsets;
        QColor colour;
        int width;
    };

    // `common` gives the delay time and the voice-wide offsets.
    EnvelopePanel(QSize size, int levelTop, std::function<const VoiceCommonParams&()> common, QWidget* parent);

    // Traces are drawn in the order added, later ones over earlier ones.
    void addTrace(Trace trace);
    // The corners of every trace as the voice gives them now.
    std::vector<EnvelopeCorners> corners() const;
    // Repaints the picture when the corners differ from what it shows.
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int levelTop_;
    std::function<const VoiceCommonParams&()> common_;
    std::vector<Trace> traces_;
    std::vector<EnvelopeCorners> shown_;  // when last painted
};

} // namespace morvane
