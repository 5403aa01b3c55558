#include "MessageDialog.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScreen>

namespace morvane {

namespace {

constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 8;
constexpr int kMargin = 6;
constexpr int kSideMargin = 4;
constexpr int kLargestText = 16;
constexpr int kSmallestText = 10;

} // namespace

void placeWindow(QWidget& window, Placement placement, QPoint position)
{
    if (placement == Placement::Fixed) {
        window.move(position);
        return;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = placement == Placement::DesktopCentre ? screen->virtualGeometry() : screen->geometry();
    window.move(area.center() - QRect(QPoint(), window.size()).center());
}

QFont fittedBoldFont(const QFont& base, const QStringList& lines, int width, int largest, int smallest)
{
    QFont font = base;
    font.setBold(true);
    for (int size = largest; size >= smallest; --size) {
        font.setPixelSize(size);
        const QFontMetrics metrics(font);
        bool fits = true;
        for (const QString& line : lines)
            fits = fits && metrics.horizontalAdvance(line) <= width;
        if (fits)
            return font;
    }
    font.setPixelSize(smallest);
    return font;
}

MessageDialog::MessageDialog(const MessageLayout& form, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
    , baseSize_(form.clientSize)
    , placement_(form.placement)
    , position_(form.position)
{
    setWindowTitle(QString::fromLatin1(form.caption));
    setFixedSize(form.clientSize);
    QPalette face = palette();
    face.setColor(QPalette::Window, Qt::black);
    setPalette(face);
    setAutoFillBackground(true);

    QStringList texts;
    for (const char* line : form.lines)
        texts << QString::fromLatin1(line);
    const QFont messageFont =
        fittedBoldFont(font(), texts, form.clientSize.width() - 2 * kSideMargin, kLargestText, kSmallestText);
    for (const QString& text : texts)
        addLine(text, Qt::red, messageFont);

    for (const ButtonLayout& buttonLayout : form.buttons) {
        auto* button =
            new QPushButton(artwork::buttonIcon(buttonLayout.glyph), QString::fromLatin1(buttonLayout.caption), this);
        // Only the default button takes Enter, wherever the focus is.
        button->setAutoDefault(false);
        button->setDefault(buttonLayout.isDefault);
        const int result = buttonLayout.result;
        connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
        buttons_.append(button);
    }
    for (int i = 0; i < buttons_.size(); ++i) {
        if (form.buttons[i].isDefault)
            buttons_[i]->setFocus();
    }
    arrange();
}

QLabel* MessageDialog::addLine(const QString& text, const QColor& colour, const QFont& font)
{
    auto* line = new QLabel(text, this);
    line->setFont(font);
    line->setAlignment(Qt::AlignCenter);
    QPalette ink = line->palette();
    ink.setColor(QPalette::WindowText, colour);
    line->setPalette(ink);
    lines_.append(line);
    arrange();
    return line;
}

// The lines centred in the space above the buttons, the buttons centred along
// the bottom.
void MessageDialog::arrange()
{
    const int width = this->width();
    const int buttonTop = height() - kMargin - kButtonHeight;
    const int rowCount = static_cast<int>(buttons_.size());
    const int rowWidth = rowCount * kButtonWidth + (rowCount - 1) * kButtonGap;
    for (int i = 0; i < rowCount; ++i)
        buttons_[i]->setGeometry((width - rowWidth) / 2 + i * (kButtonWidth + kButtonGap), buttonTop, kButtonWidth,
                                 kButtonHeight);

    int blockHeight = 0;
    for (const QLabel* line : lines_)
        blockHeight += lineHeight(*line);
    int top = std::max(0, (buttonTop - blockHeight) / 2);
    for (QLabel* line : lines_) {
        const int height = lineHeight(*line);
        line->setGeometry(kSideMargin, top, width - 2 * kSideMargin, height);
        top += height;
    }
}

int MessageDialog::lineHeight(const QLabel& line) const
{
    const int single = QFontMetrics(line.font()).height() + 2;
    if (!line.wordWrap() || line.text().isEmpty())
        return single;
    return std::max(single, line.heightForWidth(baseSize_.width() - 2 * kSideMargin) + 2);
}

void MessageDialog::fitWrappedLines()
{
    int extra = 0;
    for (const QLabel* line : lines_)
        extra += lineHeight(*line) - (QFontMetrics(line->font()).height() + 2);
    setFixedSize(baseSize_.width(), baseSize_.height() + extra);
    arrange();
}

void MessageDialog::setVisible(bool visible)
{
    if (visible && !isVisible())
        placeWindow(*this, placement_, position_);
    QDialog::setVisible(visible);
}

void MessageDialog::closeEvent(QCloseEvent* event)
{
    if (isVisible())
        event->ignore();
    else
        event->accept();
}

} // namespace morvane
