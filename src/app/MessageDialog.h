// What the small message dialogs have in common: a fixed frame without close
// box, a black face with the message in large bold red lines, one or two
// buttons with pictures, a fixed place on the screen. Such a dialog ends only
// by one of its buttons: Escape and the window manager's close are refused.
#pragma once

#include "Artwork.h"

#include <QDialog>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QStringList>

#include <span>

class QLabel;
class QPushButton;

namespace morvane {

enum class Placement {
    ScreenCentre,   // centre of the primary screen
    DesktopCentre,  // centre of the whole desktop, all screens together
    Fixed,          // a fixed position on the screen
};

// Puts a top-level window of the given client size where placement says.
void placeWindow(QWidget& window, Placement placement, QPoint position = {});

// The largest bold font, from largest down to smallest pixels, in which every
// line fits the width; the smallest when none does.
QFont fittedBoldFont(const QFont& base, const QStringList& lines, int width, int largest, int smallest);

struct ButtonLayout {
    const char* caption;
    int result;             // QDialog::Accepted or QDialog::Rejected
    artwork::Glyph glyph;
    bool isDefault;         // answers Enter
};

struct MessageLayout {
    const char* caption;
    std::span<const char* const> lines;
    std::span<const ButtonLayout> buttons;  // left to right
    QSize clientSize;
    Placement placement;
    QPoint position;        // with Placement::Fixed
};

// A well-formed dialog: one or two message lines, one or two buttons, exactly
// one of them the default, room for the buttons.
constexpr bool wellFormed(const MessageLayout& form)
{
    int defaults = 0;
    for (const ButtonLayout& button : form.buttons)
        defaults += button.isDefault ? 1 : 0;
    return !form.lines.empty() && form.lines.size() <= 2 && !form.buttons.empty() && form.buttons.size() <= 2
           && defaults == 1 && form.clientSize.width() >= 200 && form.clientSize.height() >= 60;
}

class MessageDialog : public QDialog {
    Q_OBJECT
public:
    // The message lines, top to bottom, and the buttons, left to right.
    const QList<QLabel*>& lines() const { return lines_; }
    const QList<QPushButton*>& buttons() const { return buttons_; }

    void setVisible(bool visible) override;
    // Escape and the close box end an ordinary dialog; not this one.
    void reject() override {}

protected:
    MessageDialog(const MessageLayout& form, QWidget* parent);

    // Adds a line under the message lines, in its own colour and weight.
    QLabel* addLine(const QString& text, const QColor& colour, const QFont& font);

    void closeEvent(QCloseEvent* event) override;

    // Lets a word-wrapped line take the lines it needs: the dialog grows
    // below its own size when the text does not fit on one line.
    void fitWrappedLines();

private:
    void arrange();
    int lineHeight(const QLabel& line) const;

    QSize baseSize_;
    Placement placement_;
    QPoint position_;
    QList<QLabel*> lines_;
    QList<QPushButton*> buttons_;
};

} // namespace morvane
