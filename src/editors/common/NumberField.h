// An edit box with its up-down, tied to one field of the voice.
//
// Typing a number in range stores it; a number out of range is not stored
// and the box shows the stored value again. Text with no number at all (the
// user deleted everything, or typed only a sign) stores nothing and is left
// alone while the user types; when the box loses focus it shows the stored
// value again. Stepping the up-down writes its position into the box, which
// then stores it the same way.
#pragma once

#include <QObject>

#include <functional>
#include <optional>

class QLineEdit;

namespace morvane {

class UpDown;

// Writes a value as plain decimal text into an edit box.
void showNumber(QLineEdit& box, int value);

// The number a box's text spells: leading blanks and a sign allowed, digits
// up to the first other character. No digits: no number.
std::optional<int> parseNumber(const QString& text);

class NumberField : public QObject {
    Q_OBJECT
public:
    using Load = std::function<int()>;
    using Store = std::function<void(int)>;

    // `upDown` may be null for a box without one. The box's width limit and
    // the characters it accepts follow from the range.
    NumberField(QLineEdit& box, UpDown* upDown, int minimum, int maximum, Load load, Store store,
                QObject* parent);

    void show(int value) { showNumber(box_, value); }
    QLineEdit& box() { return box_; }

signals:
    // A number was entered, accepted or replaced: follow-ups such as
    // redrawing run now.
    void entered();
    // A number in range was stored: the editor sends when it may.
    void accepted();

private:
    void textChanged();
    void restoreIfEmpty();

    QLineEdit& box_;
    UpDown* upDown_;
    int minimum_;
    int maximum_;
    Load load_;
    Store store_;
};

} // namespace morvane
