#include "AboutMorvane.h"

#include "Artwork.h"
#include "MessageDialog.h"

#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

#include <span>

namespace morvane {

namespace {

constexpr QSize kClientSize{427, 453};

struct TextGroup {
    std::span<const char* const> lines;
    Qt::GlobalColor colour;
};

constexpr const char* kWhat[] = {
    "Voice editor for the Yamaha",
    "SY-22 and SY-35 Vector Synthesisers.",
    "Also works with the TG-33 module with",
    "minor limitations.",
};
constexpr const char* kLicence[] = {
    "Morvane is freeware. You may copy it",
    "and give it away freely, as long as",
    "no charge is made for it.",
};
constexpr const char* kHistory[] = {
    "Version 1 edited the elements of a voice;",
    "version 2.0 added the vector and voice",
    "common editors and the voice library;",
    "version 2.2 reads TG-33 dumps as well.",
    "Comments, bug reports and wishes for",
    "the next version are always welcome",
    "in the project's issue tracker.",
};
constexpr const char* kContact[] = {
    "The Morvane project",
    "Sources and issues: see its README",
};

constexpr TextGroup kGroups[] = {
    {kWhat, Qt::yellow},
    {kLicence, Qt::yellow},
    {kHistory, Qt::yellow},
    {kContact, Qt::red},
};
static_assert(std::size(kWhat) == 4 && std::size(kLicence) == 3 && std::size(kHistory) == 7
              && std::size(kContact) == 2);

constexpr int kTextMargin = 10;
constexpr int kGroupGap = 16;

} // namespace

TAboutMorvane::TAboutMorvane(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(QStringLiteral("About Morvane"));
    setFixedSize(kClientSize);
    QPalette face = palette();
    face.setColor(QPalette::Window, Qt::black);
    setPalette(face);
    setAutoFillBackground(true);

    const int stripWidth = artwork::kStripWidth;
    Image1 = new QLabel(this);
    Image1->setPixmap(artwork::aboutPicture());
    Image1->setGeometry(0, (height() - artwork::kPictureSize.height()) / 2, artwork::kPictureSize.width(),
                        artwork::kPictureSize.height());
    Label13 = artwork::makeVersionLabel(this);
    Label13->setGeometry(0, height() - 27, stripWidth, 13);

    QStringList allLines;
    for (const TextGroup& group : kGroups) {
        for (const char* line : group.lines)
            allLines << QString::fromLatin1(line);
    }
    const int textWidth = width() - stripWidth - 2 * kTextMargin;
    const QFont textFont = fittedBoldFont(font(), allLines, textWidth, 13, 9);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(stripWidth + kTextMargin, 14, kTextMargin, 12);
    column->setSpacing(3);
    for (const TextGroup& group : kGroups) {
        if (&group != &kGroups[0])
            column->addSpacing(kGroupGap);
        for (const char* text : group.lines) {
            auto* line = new QLabel(QString::fromLatin1(text), this);
            line->setFont(textFont);
            line->setAlignment(Qt::AlignCenter);
            QPalette ink = line->palette();
            ink.setColor(QPalette::WindowText, group.colour);
            line->setPalette(ink);
            column->addWidget(line);
        }
    }
    column->addStretch();
    bOK = new QPushButton(artwork::buttonIcon(artwork::Glyph::Ok), QStringLiteral("OK"), this);
    bOK->setFixedSize(75, 25);
    bOK->setDefault(true);
    connect(bOK, &QPushButton::clicked, this, &QDialog::accept);
    column->addWidget(bOK, 0, Qt::AlignHCenter);
    bOK->setFocus();
}

void TAboutMorvane::setVisible(bool visible)
{
    if (visible && !isVisible())
        placeWindow(*this, Placement::ScreenCentre);
    QDialog::setVisible(visible);
}

} // namespace morvane
