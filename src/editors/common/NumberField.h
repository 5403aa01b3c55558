// An edit box with its up-down, bound to one field of the voice.
//
// Every keystroke that spells a number in range stores it at once, so the
// instrument follows the typing. An entry is what is typed since the box
// took focus or since the last Enter; when its text ends out of range, the
// box and the field go back to the value they held when the entry began.
// Text with no number at all (the user deleted everything, or typed only a
// sign) stores nothing and is left alone while the user types. Leaving the
// box shows the stored value again.
//
// The up-down steps the field and writes its position into the box; the Up
// and Down keys and the mouse wheel over the box step it too. The typed
// range may be wider than the up-down's (a stored value beyond the up-down
// is shown as it is, and the first step starts from the up-down's end).
#pragma once

#include "BoundControls.h"

#include <optional>

class QLineEdit;

namespace morvane {

class UpDown;

// Writes a value as plain decimal text into an edit box.
void showNumber(QLineEdit& box, int value);

// The number a box's text spells: leading blanks and a sign allowed, digits
// up to the first other character. No digits: no number.
std::optional<int> parseNumber(const QString& text);

class NumberField : public BoundControl {
    Q_OBJECT
public:
    // `upDown` may be null for a box without one. The range is in shown
    // form; the box's width limit and the characters it accepts follow it.
    NumberField(QLineEdit& box, UpDown* upDown, FieldRef field, ShownForm form, ShownRange range, QObject* parent);

    void refresh() override;
    QWidget* widget() const override;
    void moveTo(double fraction) override;
    QLineEdit& box() const { return box_; }
    UpDown* upDown() const { return upDown_; }
    const FieldRef& field() const { return field_; }

    // The range typed values must lie in; the up-down keeps its own when it
    // is narrower (setUpDownRange).
    void setRange(ShownRange range);
    void setUpDownRange(ShownRange range);

    // Shows a value in the box and on the up-down without storing it.
    void show(int shownValue);

signals:
    // The user typed a key that changes the text, before it is applied.
    void keyTyped();
    // The up-down was stepped; its position is stored, before the follow-ups.
    void stepped();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void textEdited();
    void step(int position);
    void endEntry();
    int shownValue() const;

    QLineEdit& box_;
    UpDown* upDown_;
    FieldRef field_;
    ShownForm form_;
    ShownRange range_;
    std::optional<int> entryStart_;  // stored value when the running entry began
};

} // namespace morvane
