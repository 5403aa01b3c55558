#include "MessageDialogs.h"

#include <QLabel>
#include <QPushButton>

namespace morvane {

namespace {

using artwork::Glyph;

constexpr ButtonLayout kOkay[] = {{"Okay", QDialog::Accepted, Glyph::Ok, true}};
constexpr ButtonLayout kBummer[] = {{"Bummer!", QDialog::Accepted, Glyph::Ok, true}};
constexpr ButtonLayout kNuts[] = {{"Nuts!", QDialog::Accepted, Glyph::Ok, true}};
// "&No" first: it stands left of "&Yes" and answers Enter.
constexpr ButtonLayout kNoYes[] = {
    {"&No", QDialog::Rejected, Glyph::No, true},
    {"&Yes", QDialog::Accepted, Glyph::Yes, false},
};

constexpr const char* kInvFileLines[] = {"Selected file does not contain a valid",
                                         "SY-22 or SY-35 System Exclusive dump"};
constexpr const char* kSaveErrLines[] = {"Error saving file"};
constexpr const char* kOverwriteLines[] = {"Are you sure you wish to overwrite the selected",
                                           "voice in the database?"};
constexpr const char* kNoDataLines[] = {"No data received"};
constexpr const char* kReceivedLines[] = {"MIDI dump received"};
constexpr const char* kOpenErrorLines[] = {"Error opening MIDI port"};

constexpr MessageLayout kInvFile{"Invalid file", kInvFileLines, kOkay, {388, 85}, Placement::ScreenCentre, {}};
constexpr MessageLayout kSaveErr{"Save error", kSaveErrLines, kOkay, {427, 75}, Placement::Fixed, {200, 108}};
constexpr MessageLayout kOverwrite{"Overwrite voice", kOverwriteLines, kNoYes, {427, 93}, Placement::DesktopCentre, {}};
constexpr MessageLayout kNoData{"No data", kNoDataLines, kBummer, {295, 65}, Placement::ScreenCentre, {}};
constexpr MessageLayout kReceived{"MIDI Received", kReceivedLines, kOkay, {348, 65}, Placement::ScreenCentre, {}};
constexpr MessageLayout kOpenError{"MIDI Open Error", kOpenErrorLines, kNuts, {427, 117}, Placement::ScreenCentre, {}};

static_assert(wellFormed(kInvFile) && wellFormed(kSaveErr) && wellFormed(kOverwrite) && wellFormed(kNoData)
              && wellFormed(kReceived) && wellFormed(kOpenError));
static_assert(kOverwrite.buttons[0].isDefault && kOverwrite.buttons[0].result == QDialog::Rejected,
              "Enter must never replace a library voice");

constexpr int kMaxErrorLength = 255;

} // namespace

TInvFile::TInvFile(QWidget* parent) : MessageDialog(kInvFile, parent) {}
TSaveErrDlg::TSaveErrDlg(QWidget* parent) : MessageDialog(kSaveErr, parent) {}
TOverwriteDlg::TOverwriteDlg(QWidget* parent) : MessageDialog(kOverwrite, parent) {}
TnoMIDIData::TnoMIDIData(QWidget* parent) : MessageDialog(kNoData, parent) {}
TDataReceivedForm::TDataReceivedForm(QWidget* parent) : MessageDialog(kReceived, parent) {}

TMIDIOpenError::TMIDIOpenError(QWidget* parent)
    : MessageDialog(kOpenError, parent)
    , label(lines().front())
    , BitBtn1(buttons().front())
    // Empty until the first failure is put in.
    , tfError(addLine(QString(), Qt::cyan, font()))
{
    tfError->setObjectName(QStringLiteral("tfError"));
    // The MIDI system's texts can be long; none is cut off at the sides.
    tfError->setWordWrap(true);
}

void TMIDIOpenError::setError(const QString& text)
{
    tfError->setText(text.left(kMaxErrorLength));
    fitWrappedLines();
}

} // namespace morvane
