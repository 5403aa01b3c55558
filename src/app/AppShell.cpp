#include "AppShell.h"

#include "AboutMorvane.h"
#include "Artwork.h"
#include "ExitSignals.h"
#include "MessageDialogs.h"
#include "ModalHost.h"
#include "MorvaneApplication.h"
#include "Settings.h"
#include "AppServices.h"
#include "EventLoopWaiter.h"
#include "MidiPort.h"
#include "PortChoices.h"
#include "ControllerLink.h"
#include "SystemMidiBackend.h"
#include "TMainForm.h"
#include "TSelectVoiceType.h"
#include "TSetDevices.h"
#include "TAWMEdit.h"
#include "TFMEdit.h"
#include "TVectorEdit.h"
#include "TVoiceCommonEdit.h"
#include "VoiceData.h"
#include "VoiceLibrary.h"
#include "VoiceParameters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QScreen>
#include <QTimer>

#include <algorithm>
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

AppShell::~AppShell()
{
    QObject::disconnect(sessionEnd_);
}

void AppShell::step(const QString& entry)
{
    trace_.append(entry);
    if (observer_)
        observer_(entry);
}

int AppShell::run()
{
    // From the first object on, an exception during start-up is reported and
    // the program still shuts down in order; it cannot pass through the event
    // loop, so MorvaneApplication keeps it and ends the loop. Once the loop
    // runs, one is reported and the program goes on.
    try {
        running_ = true;
        startUp();
        runEventLoop();
    } catch (const std::exception& error) {
        reportException(QString::fromLocal8Bit(error.what()));
    }
    if (const std::optional<QString> escaped = app_.takeEscapedError())
        reportException(*escaped);
    shutDown();
    return 0;
}

void AppShell::startUp()
{
    // The pictures the windows show first are drawn beside the making of
    // the objects before them: the first text drawn loads fonts, which is
    // slow.
    startPictures_ = std::async(std::launch::async, artwork::drawStartPictures);
    exitSignals_ = exitsignals::watch([this] { endOnRequest(); });
    sessionEnd_ = QObject::connect(&app_, &QGuiApplication::commitDataRequest, [this] { endOnRequest(); });
    settings_ = std::make_unique<Settings>(std::move(store_));
    context_.settings = settings_.get();
    step(QStringLiteral("Settings"));
    createObjects();
    createWindows();
    restoreWindowPlaces();
    applyFirstRunRule();
    loadStartFile();
    refreshEditors();
}

std::future<std::unique_ptr<SystemMidiBackend>> AppShell::openMidiSystem()
{
    return std::async(std::launch::async, [] { return std::make_unique<SystemMidiBackend>(); });
}

void AppShell::setMidiSystem(std::future<std::unique_ptr<SystemMidiBackend>> opening)
{
    midiSystem_ = std::move(opening);
}

void AppShell::createObjects()
{
    // Opening a port reports its failures here; made on the first.
    context_.MIDIOpenError.setMaker([this] { return makeDialog(midiOpenError_, "TMIDIOpenError"); });

    std::unique_ptr<MidiBackend> backend;
    if (midiBackendFactory_) {
        backend = midiBackendFactory_();
    } else {
        std::unique_ptr<SystemMidiBackend> system = midiSystem_.valid() ? midiSystem_.get() : nullptr;
        if (!system)
            system = std::make_unique<SystemMidiBackend>();
        systemBackend_ = system.get();
        backend = std::move(system);
    }
    midiPort_ = std::make_unique<MidiPort>(std::move(backend), [this](const std::string& text) {
            context_.MIDIOpenError->setError(QString::fromStdString(text));
            modal_.showModal(*context_.MIDIOpenError);
        },
        now_);
    midiPort_->setWaiter(std::make_unique<EventLoopWaiter>(now_));
    // The outcome of a send reaches the main window on its own thread, in
    // the order the sends were made; until the window exists there is
    // nothing to show it in, and the window shows the latest when it is made.
    sendOutcomes_ = std::make_unique<QObject>();
    midiPort_->setSendListener([this](const std::string& error, SendPacer::Carries what) {
        QMetaObject::invokeMethod(
            sendOutcomes_.get(),
            [this, error, what] {
                if (mainForm_)
                    mainForm_->showSendResult(error, what);
            },
            Qt::QueuedConnection);
    });
    if (replyWait_)
        midiPort_->setReplyWait(*replyWait_);
    context_.midiPort = midiPort_.get();
    step(QStringLiteral("MidiPort"));
    midiPort_->setWireRate(settings_->wireRate);
    openChosenPorts(*settings_, *midiPort_);
    // When the program runs its start action, the instrument is asked for
    // its voice as soon as its ports are open, so that its answer comes
    // while the windows are made; the fetch after the main window shows
    // takes it (or asks again, and reports what goes wrong then).
    if (running_ && settings_->startAction == Settings::StartAction::FetchVoice && startFile_.isEmpty()
        && settings_->settingsFound)
        midiPort_->askVoiceEarly(settings_->model, settings_->midiChannel);

    voice_ = std::make_unique<VoiceParameters>();
    voiceData_ = std::make_unique<VoiceData>(*voice_);  // resets the voice
    context_.voice = voice_.get();
    context_.voiceData = voiceData_.get();
    step(QStringLiteral("VoiceData"));

    std::string libraryPath = !libraryPath_.empty() ? libraryPath_ : settings_->libraryPath.toStdString();
    if (libraryPath.empty())
        libraryPath = QFile::encodeName(defaultLibraryPath(libraryNotice_)).toStdString();
    library_ = std::make_unique<VoiceLibrary>(libraryPath);
    context_.library = library_.get();
    step(QStringLiteral("VoiceLibrary"));

    services_ = std::make_unique<AppServices>(context_, now_);
    context_.services = services_.get();
    // The controller input is a port of its own; a test brings its own.
    if (!midiBackendFactory_)
        services_->controllers().setBackendFactory([] { return std::make_unique<SystemMidiBackend>("morvane-controller"); });
    services_->controllers().openChosen();
}

void AppShell::createWindows()
{
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    // The installed menu entry and icon are found by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("morvane"));
    const artwork::StartPictures pictures = startPictures_.get();
    QIcon icon;
    for (const QImage& size : pictures.icons)
        icon.addPixmap(QPixmap::fromImage(size));
    QApplication::setWindowIcon(icon);
    stripPicture_ = QPixmap::fromImage(pictures.strip);
    context_.stripPicture = &stripPicture_;
    step(QStringLiteral("application title"));

    // The main window first: it reads the library and loads and sends its
    // first voice while being made.
    mainForm_ = std::make_unique<TMainForm>(context_, *services_);
    context_.MainForm = mainForm_.get();
    midiPort_->setLinkListener([this] { mainForm_->showLinkState(); });
    step(QStringLiteral("TMainForm"));
    setDevices_ = std::make_unique<TSetDevices>(*settings_, *midiPort_, stripPicture_);
    context_.SetDevices = setDevices_.get();
    if (systemBackend_ != nullptr) {
        // "Find instrument" opens ports of its own on the MIDI system the
        // program uses (the one found by now, when it was found late).
        setDevices_->setSearchBackendFactory([system = systemBackend_] {
            const SystemMidiBackend::System choice = system->system().value_or(SystemMidiBackend::System::Automatic);
            return [choice](const std::string& clientName) -> std::unique_ptr<MidiBackend> {
                return std::make_unique<SystemMidiBackend>(clientName, choice);
            };
        });
    }
    // The AWM editor shows the model too.
    setDevices_->setModelListener([this] {
        if (awmEdit_)
            awmEdit_->updateDisplay();
    });
    step(QStringLiteral("TSetDevices"));
    // The editors are made the first time they are asked for (shown from
    // the menu, or reached through the context); each joins the services,
    // which refresh and hide them all through that one list.
    context_.AWMEdit.setMaker([this] { return makeEditor(awmEdit_, "ElementA1", "TAWMEdit"); });
    context_.FMEdit.setMaker([this] { return makeEditor(fmEdit_, "ElementB1", "TFMEdit"); });
    context_.VoiceCommonEdit.setMaker(
        [this] { return makeEditor(voiceCommonEdit_, "Voicecommon1", "TVoiceCommonEdit"); });
    context_.VectorEdit.setMaker([this] { return makeEditor(vectorEdit_, "Vector1", "TVectorEdit"); });
    services_->addEditorMaker("ElementA1", [this] { return static_cast<EditorWindow*>(context_.AWMEdit.get()); });
    services_->addEditorMaker("ElementB1", [this] { return static_cast<EditorWindow*>(context_.FMEdit.get()); });
    services_->addEditorMaker("Voicecommon1",
                              [this] { return static_cast<EditorWindow*>(context_.VoiceCommonEdit.get()); });
    services_->addEditorMaker("Vector1", [this] { return static_cast<EditorWindow*>(context_.VectorEdit.get()); });
    services_->onEditorAdded([this](EditorWindow& editor) {
        linkEditors();
        if (mainForm_)
            mainForm_->editorAdded(editor);
        if (placeKeeper_)
            placeWindow(editor);
    });
    mainForm_->editorsCreated();

    // The dialogs too are made the first time they are shown.
    context_.AboutMorvane.setMaker([this] { return makeDialog(aboutMorvane_, "TAboutMorvane"); });
    context_.InvFile.setMaker([this] { return makeDialog(invFile_, "TInvFile"); });
    context_.SaveErrDlg.setMaker([this] { return makeDialog(saveErrDlg_, "TSaveErrDlg"); });
    context_.OverwriteDlg.setMaker([this] { return makeDialog(overwriteDlg_, "TOverwriteDlg"); });
    context_.noMIDIData.setMaker([this] { return makeDialog(noMIDIData_, "TnoMIDIData"); });
    context_.DataReceivedForm.setMaker([this] { return makeDialog(dataReceivedForm_, "TDataReceivedForm"); });
    context_.SelectVoiceType.setMaker([this] { return makeDialog(selectVoiceType_, "TSelectVoiceType"); });

    setDevices_->populate();
    step(QStringLiteral("TSetDevices.populate"));
}

template <typename Dialog>
Dialog* AppShell::makeDialog(std::unique_ptr<Dialog>& dialog, const char* name)
{
    dialog = std::make_unique<Dialog>();
    step(QString::fromLatin1(name));
    return dialog.get();
}

template <typename Editor>
Editor* AppShell::makeEditor(std::unique_ptr<Editor>& editor, const char* menuItem, const char* name)
{
    editor = std::make_unique<Editor>(*services_);
    step(QString::fromLatin1(name));
    services_->addEditor(*editor, menuItem);
    return editor.get();
}

void AppShell::linkEditors()
{
    // The two element editors show the one envelope delay time: each tells
    // the other when it changes. The common editor redraws their envelopes.
    if (awmEdit_)
        awmEdit_->setPartner(fmEdit_.get());
    if (fmEdit_)
        fmEdit_->setPartner(awmEdit_.get());
    if (voiceCommonEdit_)
        voiceCommonEdit_->setEnvelopeDrawers(fmEdit_.get(), awmEdit_.get());
}

void AppShell::applyFirstRunRule()
{
    if (settings_->settingsFound)
        return;
    step(QStringLiteral("first-run device selection"));
    setDevices_->offerFindInstrument();
    modal_.showModal(*setDevices_);
}

QString AppShell::defaultLibraryPath(QString& notice)
{
    const QString fileName = QStringLiteral("SOUNDS.SYL");
    const QString dataFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/morvane");
    const QFileInfo inData(dataFolder + QLatin1Char('/') + fileName);
    const QFileInfo here(QDir::current().filePath(fileName));
    if (here.isFile()) {
        if (here.canonicalFilePath() != inData.canonicalFilePath())
            notice = QStringLiteral("Using the voice library in the folder Morvane started from: %1 (not the one in %2)")
                         .arg(here.absoluteFilePath(), dataFolder);
        return here.absoluteFilePath();
    }
    // A folder that cannot be made shows as the library's own error when it
    // is opened.
    QDir().mkpath(dataFolder);
    return inData.absoluteFilePath();
}

std::vector<QWidget*> AppShell::placedWindows() const
{
    std::vector<QWidget*> windows;
    if (mainForm_)
        windows.push_back(mainForm_.get());
    if (services_)
        for (const AppServices::Editor& editor : services_->editors())
            windows.push_back(editor.window);
    return windows;
}

namespace {

// Notes where a window is whenever it is shown or moved while on screen, so
// that its place is known after it has been closed too. A window never
// shown has no place of the user's.
class PlaceKeeper : public QObject {
public:
    explicit PlaceKeeper(Settings& settings) : settings_(settings) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Move || event->type() == QEvent::Show) {
            auto* window = static_cast<QWidget*>(watched);
            if (window->isVisible())
                settings_.windowPlaces.insert(window->objectName(), window->pos());
        }
        return false;
    }

private:
    Settings& settings_;
};

} // namespace

void AppShell::restoreWindowPlaces()
{
    placeKeeper_ = std::make_unique<PlaceKeeper>(*settings_);
    for (QWidget* window : placedWindows())
        placeWindow(*window);
}

void AppShell::placeWindow(QWidget& window)
{
    const auto place = settings_->windowPlaces.constFind(window.objectName());
    if (place != settings_->windowPlaces.cend()) {
        // Only where the top of the window, with its title bar, is on a
        // screen now; otherwise the system chooses, as without a place.
        const QRect top(*place, QSize(window.width(), 24));
        const QList<QScreen*> screens = QGuiApplication::screens();
        if (std::any_of(screens.begin(), screens.end(),
                        [&top](const QScreen* screen) { return screen->availableGeometry().intersects(top); }))
            window.move(*place);
    }
    window.installEventFilter(placeKeeper_.get());
}

void AppShell::loadStartFile()
{
    if (startFile_.isEmpty())
        return;
    services_->loadVoiceFile(startFile_);
    step(QStringLiteral("load ") + startFile_);
}

void AppShell::applyStartAction()
{
    // A voice file named on the command line was loaded and sent instead.
    if (!startFile_.isEmpty())
        return;
    const bool libraryVoice = library_->recordCount() > 0;
    const QString unsent = libraryVoice ? QStringLiteral("the first library voice is shown, not sent")
                                        : QStringLiteral("the voice shown has not been sent");
    switch (settings_->startAction) {
    case Settings::StartAction::SendFirstVoice:
        step(QStringLiteral("send first voice"));
        if (libraryVoice)
            services_->sendVoice();
        return;
    case Settings::StartAction::Nothing:
        mainForm_->addNotice(QStringLiteral("Nothing sent at start-up: ") + unsent + QLatin1Char('.'));
        return;
    case Settings::StartAction::FetchVoice:
        break;
    }
    if (!midiPort_->inputIsOpen() || !midiPort_->outputIsOpen()) {
        mainForm_->addNotice(QStringLiteral("No instrument connected: ") + unsent + QLatin1Char('.'));
        return;
    }
    step(QStringLiteral("fetch voice"));
    const VoiceRequest request = services_->fetchVoice();
    if (request)
        mainForm_->addNotice(QStringLiteral("The instrument's voice was fetched."));
    else if (request.outcome == VoiceRequest::Outcome::NotSent)
        mainForm_->addNotice(QStringLiteral("The instrument's voice could not be asked for (%1): ")
                                  .arg(QString::fromStdString(request.error))
                              + unsent + QLatin1Char('.'));
    else
        mainForm_->addNotice(QStringLiteral("No voice came from the instrument: ") + unsent + QLatin1Char('.'));
}

void AppShell::refreshEditors()
{
    services_->refreshEditors();
    step(QStringLiteral("refreshEditors"));
    watchPorts();
}

void AppShell::watchPorts()
{
    // Listing the ports is cheap; twice a second notices an instrument that
    // went or came back soon enough, without keeping the processor busy.
    portWatch_ = std::make_unique<QTimer>();
    portWatch_->setInterval(kPortWatchMs);
    QObject::connect(portWatch_.get(), &QTimer::timeout, [this] {
        const bool outputWasOpen = midiPort_->outputIsOpen();
        // An output that came back gets the voice that could not be sent
        // while it was away (edited meanwhile), through the paced path; the
        // send's outcome reaches the foot from the sending thread.
        if (midiPort_->watchDevices() && !outputWasOpen && midiPort_->outputIsOpen()
            && !midiPort_->sendError().empty())
            services_->sendVoice();
    });
    portWatch_->start();
}

void AppShell::runEventLoop()
{
    // An exception may have escaped a dialog shown during start-up, or the
    // program may have been told to end.
    if (app_.hasEscapedError() || exitRequested_)
        return;
    mainForm_->show();
    if (!libraryNotice_.isEmpty())
        mainForm_->addNotice(libraryNotice_);
    applyStartAction();
    if (app_.hasEscapedError() || exitRequested_)
        return;
    step(QStringLiteral("event loop"));
    // From here on an exception in a handler is reported and the program goes on.
    app_.setReporter([this](const QString& message) { reportException(message); });
    app_.exec();
    app_.setReporter(nullptr);
}

void AppShell::endOnRequest()
{
    if (exitRequested_)
        return;
    exitRequested_ = true;
    step(QStringLiteral("end requested"));
    modal_.closeAll();
    // As "Exit": the editors hidden and every event loop ended; the orderly
    // shutdown follows the loop.
    if (mainForm_ && mainForm_->isVisible())
        mainForm_->close();
    else
        app_.exit(0);
}

void AppShell::reportException(const QString& message)
{
    step(QStringLiteral("exception: ") + message);
    QMessageBox report(QMessageBox::Critical, QString::fromLatin1(kApplicationTitle), message, QMessageBox::Ok);
    modal_.showModal(report);
}

void AppShell::shutDown()
{
    portWatch_.reset();
    exitSignals_.reset();
    QObject::disconnect(sessionEnd_);
    if (services_)
        services_->controllers().close();
    if (midiPort_) {
        if (services_)
            services_->stopTestNote();  // no note is left sounding
        // Sends a voice that still waits for the cable before the ports go.
        midiPort_->close();
        midiPort_->setLinkListener(nullptr);
        midiPort_->setSendListener(nullptr);
        step(QStringLiteral("MidiPort.close"));
    }
    if (settings_) {
        const bool stored = settings_->saveSettings();
        step(QStringLiteral("saveSettings"));
        if (!stored) {
            step(QStringLiteral("settings not stored"));
            QMessageBox report(QMessageBox::Warning, QString::fromLatin1(kApplicationTitle),
                               QStringLiteral("Your settings could not be stored in %1. The MIDI ports, channel "
                                              "and model chosen in this session will not be remembered.")
                                   .arg(settings_->storeLocation()),
                               QMessageBox::Ok);
            modal_.showModal(report);
        }
    }
}

} // namespace morvane
