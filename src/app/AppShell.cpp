#include "AppShell.h"

#include "AboutMorvane.h"
#include "MessageDialogs.h"
#include "ModalHost.h"
#include "MorvaneApplication.h"
#include "Settings.h"
#include "TemporaryMainWindow.h"
#include "VoiceData.h"
#include "VoiceParameters.h"

#include <QMessageBox>

#include <exception>

namespace morvane {

namespace {

constexpr const char* kApplicationTitle = "Morvane";

} // namespace

AppShell::AppShell(MorvaneApplication& app, ModalHost& modal, std::unique_ptr<QSettings> store)
    : app_(app)
    , modal_(modal)
    , store_(std::move(store))
{
    context_.modal = &modal_;
}

AppShell::~AppShell() = default;

void AppShell::step(const QString& entry)
{
    trace_.append(entry);
    if (observer_)
        observer_(entry);
}

int AppShell::run()
{
    // Settings first: it never fails, and shutdown needs it whatever happens
    // after. From the open-error dialog on, an exception is reported and the
    // program still shuts down in order; it cannot pass through the event
    // loop, so MorvaneApplication keeps it and ends the loop.
    settings_ = std::make_unique<Settings>(std::move(store_));
    context_.settings = settings_.get();
    step(QStringLiteral("Settings"));
    try {
        createObjects();
        createWindows();
        applyFirstRunRule();
        refreshEditors();
        runEventLoop();
    } catch (const std::exception& error) {
        reportException(QString::fromLocal8Bit(error.what()));
    }
    if (const std::optional<QString> escaped = app_.takeEscapedError())
        reportException(*escaped);
    shutdown();
    return 0;
}

void AppShell::createObjects()
{
    // Made before any port is opened: opening reports its failures here.
    midiOpenError_ = std::make_unique<TMIDIOpenError>();
    context_.MIDIOpenError = midiOpenError_.get();
    step(QStringLiteral("TMIDIOpenError"));

    // MidiPort goes here: made (it lists the devices), then opened on
    // settings_->inDevice and settings_->outDevice.

    voice_ = std::make_unique<VoiceParameters>();
    voiceData_ = std::make_unique<VoiceData>(*voice_);  // resets the voice
    context_.voice = voice_.get();
    context_.voiceData = voiceData_.get();
    step(QStringLiteral("VoiceData"));

    // VoiceLibrary goes here; it holds no open file.
}

void AppShell::createWindows()
{
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    step(QStringLiteral("application title"));

    // The main window first: when it is replaced by the real one, that reads
    // the library and loads and sends its first voice while being made.
    mainWindow_ = std::make_unique<TemporaryMainWindow>(context_);
    step(QStringLiteral("TemporaryMainWindow"));
    // TSetDevices, TAWMEdit, TFMEdit, TVoiceCommonEdit, TVectorEdit go here.

    aboutMorvane_ = std::make_unique<TAboutMorvane>();
    context_.AboutMorvane = aboutMorvane_.get();
    step(QStringLiteral("TAboutMorvane"));
    invFile_ = std::make_unique<TInvFile>();
    context_.InvFile = invFile_.get();
    step(QStringLiteral("TInvFile"));
    saveErrDlg_ = std::make_unique<TSaveErrDlg>();
    context_.SaveErrDlg = saveErrDlg_.get();
    step(QStringLiteral("TSaveErrDlg"));
    overwriteDlg_ = std::make_unique<TOverwriteDlg>();
    context_.OverwriteDlg = overwriteDlg_.get();
    step(QStringLiteral("TOverwriteDlg"));
    noMIDIData_ = std::make_unique<TnoMIDIData>();
    context_.noMIDIData = noMIDIData_.get();
    step(QStringLiteral("TnoMIDIData"));
    dataReceivedForm_ = std::make_unique<TDataReceivedForm>();
    context_.DataReceivedForm = dataReceivedForm_.get();
    step(QStringLiteral("TDataReceivedForm"));
    // TSelectVoiceType goes here.

    // Then the device dialog fills its lists and selects the stored devices.
}

void AppShell::applyFirstRunRule()
{
    if (settings_->settingsFound)
        return;
    step(QStringLiteral("first-run device selection"));
    // The device dialog is shown modally here; after it the library's first
    // voice, if there is one, is loaded again so that it goes out through the
    // newly chosen output.
}

void AppShell::refreshEditors()
{
    // The editors' updateDisplay, in the order FM, AWM, voice common, vector.
}

void AppShell::runEventLoop()
{
    // An exception may have escaped a dialog shown during start-up.
    if (app_.hasEscapedError())
        return;
    mainWindow_->show();
    step(QStringLiteral("event loop"));
    app_.exec();
}

void AppShell::reportException(const QString& message)
{
    step(QStringLiteral("exception: ") + message);
    QMessageBox report(QMessageBox::Critical, QString::fromLatin1(kApplicationTitle), message, QMessageBox::Ok);
    modal_.showModal(report);
}

void AppShell::shutdown()
{
    // The MIDI ports are closed here, before the settings are stored.
    settings_->saveSettings();
    step(QStringLiteral("saveSettings"));
}

} // namespace morvane
