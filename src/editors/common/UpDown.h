// A pair of arrow buttons holding a position within a range. It is not bound
// to any edit box: the editor copies values across. Setting the position
// from the program raises no signal; the range does not wrap.
#pragma once

#include <QWidget>

class QToolButton;
class QWheelEvent;

namespace morvane {

class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(int minimum, int maximum, QWidget* parent = nullptr);

    int position() const { return position_; }
    void setPosition(int position);  // clamped, silent
    void setRange(int minimum, int maximum);
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }

    void stepUp() { step(+1); }
    void stepDown() { step(-1); }

signals:
    // A step has just been taken; while an arrow is held down it repeats, and
    // every step reaches the voice at once.
    void changing(int position);

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    void step(int delta);

    int minimum_;
    int maximum_;
    int position_;
    QToolButton* up_;
    QToolButton* down_;
};

} // namespace morvane
