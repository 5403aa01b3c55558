// The picture of a vector's path: every played step as a point, the A-B
// balance across (A at the left, B at the right), the C-D balance up (C at
// the top, D at the bottom), joined in step order; under it a time strip
// where each played step takes room in proportion to its length.
//
// Which steps are played follows the step markers: an "End" step is the
// last one played, a "Repeat" step is not played itself and sends the
// vector back to step 1, and no step after the first marker is played.
#pragma once

#include "VoiceParameters.h"

#include <QPointF>
#include <QRectF>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace morvane {

inline constexpr int kPositionMax = 62;  // a step's AB or CD position, 31 is the centre

// Which of the 50 steps the vector plays (and the editor shows).
std::array<bool, kVectorSteps> playedSteps(const VectorParams& vector);

// Where a step's positions sit in `plot`. A position outside 0-62 sits at the
// nearer edge.
QPointF pathPoint(int abPosition, int cdPosition, const QRectF& plot);

struct StepPositions {
    int ab;
    int cd;
};
// The positions at a place in `plot`, the nearest that a step can hold.
StepPositions positionsAt(QPointF place, const QRectF& plot);

struct VectorPathGeometry {
    enum class Ending { LastStep, End, Repeat };
    struct Point {
        int step;     // 0-49
        QPointF at;   // in the plot
        QRectF span;  // on the time strip; empty for the "End" step, which has no length
    };
    std::vector<Point> points;  // the played steps, in step order
    int selectedPoint = -1;     // index into points, -1 when the selected step is not played
    Ending ending = Ending::LastStep;
    int length = 0;             // of the played steps, in units of the vector speed
};

VectorPathGeometry vectorPathGeometry(const VectorParams& vector, int selectedStep, const QRectF& plot,
                                      const QRectF& timeStrip);

// The step a click at `place` chooses: the nearest point within `radius` in
// the plot (the lower step when two are as near), else the step whose span
// on the time strip holds the place.
std::optional<int> stepAt(const VectorPathGeometry& geometry, QPointF place, double radius);

// A step's length in units of the vector speed (a "Repeat" or "End" step has none).
int stepLength(std::int32_t stepTime);

class VectorPathView : public QWidget {
    Q_OBJECT
public:
    // `vector`, `speed` and `selectedStep` are asked again at every paint.
    VectorPathView(std::function<const VectorParams&()> vector, std::function<int()> speed,
                   std::function<int()> selectedStep, QWidget* parent);

    // Repaints the picture when the vector, the speed or the selected step
    // differs from what it shows.
    void refresh();

    QRectF plotArea() const;
    QRectF timeStripArea() const;
    VectorPathGeometry geometry() const;

    static constexpr int kPointRadius = 3;
    static constexpr int kHitRadius = 6;

signals:
    // The user clicked a step's point or its span on the time strip.
    void stepClicked(int step);
    // The user dragged a step's point to new positions.
    void stepDragged(int step, int abPosition, int cdPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<const VectorParams&()> vector_;
    std::function<int()> speed_;
    std::function<int()> selectedStep_;
    std::optional<int> dragged_;
    // What the picture showed when last painted.
    struct Shown {
        VectorParams vector;
        int speed;
        int selectedStep;
    };
    std::optional<Shown> shown_;
};

} // namespace morvane
