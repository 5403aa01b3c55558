// How the editors' pictures and controls repaint cheaply: a voice load gives
// most controls of four windows a new value at once, and all of it must be
// on screen within a frame.
//
// - A picture that costs more than a copy is drawn once and copied at each
//   paint while what it shows stays the same (keptPicture).
// - A group repaints only its ground under a control with a new value; its
//   frame and caption only where a repaint reaches them (EditorGroup).
// - A track bar copies the style's picture of itself at each position
//   (TrackBar).
#pragma once

#include <QByteArray>
#include <QGroupBox>
#include <QSize>
#include <QSlider>

#include <functional>
#include <optional>

class QPainter;

namespace morvane {

// Paints with `painter`, at its origin, the picture that `draw` makes of an
// area of `size` (logical pixels), from the program's picture cache when a
// picture under `key` is there. `key` names the picture and everything it
// shows; the pixel ratio and where the painter's origin falls between device
// pixels are added here, so a copy covers the device pixels exactly as
// drawing directly would (at 1.25x or 1.5x a widget may start in the middle
// of a pixel). `draw` paints onto a transparent ground; what it draws is
// laid over what lies under it, as direct drawing is.
void keptPicture(QPainter& painter, const QByteArray& key, QSize size, const std::function<void(QPainter&)>& draw);

// The bytes of a value, for a key of keptPicture. The value must have no
// padding between its members, so that equal values give equal bytes.
template <typename Value>
QByteArray keyBytes(const Value& value)
{
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

// A group whose repaint under its controls fills the ground there and no
// more. Through the style sheet the frame and caption cost several times a
// small control even when clipped to it; anything that reaches the frame
// or the caption is painted whole. The ground is the editors' group ground.
class EditorGroup : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QSize measuredFor_;   // the size the ground below was found for
    QRect ground_;        // inside the frame by more than its rounded corners, below the caption
};

// A track bar that copies the style's picture of itself, kept for its size,
// position, state, palette and style sheet: the style sheet draws the groove
// and the handle through its border code, ten times the cost of the copy,
// and a voice load repaints a hundred bars.
class TrackBar : public QSlider {
public:
    using QSlider::QSlider;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    std::optional<std::size_t> sheets_;  // the style sheets that apply, hashed
};

} // namespace morvane
