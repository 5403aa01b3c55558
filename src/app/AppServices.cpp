#include "AppServices.h"

#include "AboutMorvane.h"
#include "AppContext.h"
#include "EditorStyle.h"
#include "MessageDialog.h"
#include "HelpWindow.h"
#include "MessageDialogs.h"
#include "MidiPort.h"
#include "ModalHost.h"
#include "Settings.h"
#include "TMainForm.h"
#include "TestNote.h"
#include "TSelectVoiceType.h"
#include "Duplicates.h"
#include "EditorWindow.h"
#include "LibraryBrowser.h"
#include "VoiceLibrary.h"
#include "VoiceData.h"
#include "VoiceFile.h"
#include "VoiceTransforms.h"

#include <QApplication>
#include <QMessageBox>

#include <cstring>

namespace morvane {

AppServices::AppServices(AppContext& context, Now now)
    : context_(context), testNote_(std::make_unique<TestNote>(
                             [this](std::vector<std::uint8_t> message) {
                                 // With no output open there is nothing to tell: opening said so.
                                 if (context_.midiPort != nullptr)
                                     context_.midiPort->sendShort(std::move(message));
                             },
                             std::move(now)))
{
}

AppServices::~AppServices() = default;

VoiceParameters& AppServices::voice()
{
    return *context_.voice;
}

bool AppServices::autoSend() const
{
    return context_.settings->autoSend;
}

int AppServices::model() const
{
    return context_.settings->model;
}

void AppServices::setModel(int model)
{
    context_.settings->model = model;
}

void AppServices::sendVoice()
{
    // A failure shows at the foot of the main window until a send succeeds,
    // never as a dialog per edit. The voice goes out on the sending thread,
    // which passes the outcome to the window once it is known (AppShell).
    context_.midiPort->sendVoice(*context_.voiceData, context_.settings->midiChannel);
}

void AppServices::setWireRate(int baud)
{
    context_.settings->wireRate = baud;
    context_.midiPort->setWireRate(baud);
}

VoiceRequest AppServices::fetchVoice()
{
    const Settings& settings = *context_.settings;
    // The windows repaint during the wait but take no input; the cursor says why.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const VoiceRequest request = context_.midiPort->requestVoice(settings.model, settings.midiChannel, *context_.voiceData);
    QApplication::restoreOverrideCursor();
    if (request) {
        voiceLoaded();
        followLoadedVoice();
        refreshEditors();
    }
    return request;
}

void AppServices::getVoice()
{
    const VoiceRequest request = fetchVoice();
    if (request.outcome == VoiceRequest::Outcome::NotSent) {
        QMessageBox message(QMessageBox::Warning, QStringLiteral("Get voice"),
                            QStringLiteral("The request for the instrument's voice could not be sent: %1")
                                .arg(QString::fromStdString(request.error)),
                            QMessageBox::Ok);
        showModal(message);
    } else if (request) {
        showModal(*context_.DataReceivedForm);
    } else {
        showModal(*context_.noMIDIData);
    }
}

void AppServices::addEditor(EditorWindow& window, const char* menuItem)
{
    editors_.push_back({&window, menuItem});
}

void AppServices::startHistory()
{
    if (history_)
        return;
    history_.emplace(voice());
    // Until a voice is loaded, compare shows the one the editors began with.
    if (!loaded_)
        loaded_ = voice();
    if (!clean_)
        clean_ = voice();
}

void AppServices::refreshEditors()
{
    // A voice that reached the records from elsewhere is a step of its own;
    // while comparing, the records hold the loaded voice, which is no step.
    if (!history_)
        startHistory();
    else if (!comparing_)
        recordStep("Load voice", {});
    for (const Editor& editor : editors_)
        editor.window->updateDisplay();
}

void AppServices::voiceEdited(const std::string& name, const std::string& key)
{
    startHistory();
    recordStep(name, key);
}

void AppServices::voiceLoaded()
{
    loaded_ = voice();
    clean_ = voice();
    showVoiceState();
    // The loaded voice replaced the one compare showed; the edited voice is
    // the history's latest state, and the load becomes a step after it.
    if (comparing_) {
        comparing_ = false;
        showComparing();
    }
}

void AppServices::setComparing(bool on)
{
    if (on == comparing_)
        return;
    startHistory();
    comparing_ = on;
    // Every edit is in the history at once, so its latest state is the
    // edited voice: nothing needs keeping aside while comparing.
    voice() = on ? *loaded_ : history_->current();
    showComparing();
    for (const Editor& editor : editors_)
        editor.window->updateDisplay();
    sendVoice();
}

void AppServices::showComparing()
{
    for (const Editor& editor : editors_)
        editor.window->showComparing(comparing_);
    if (context_.MainForm != nullptr)
        context_.MainForm->showComparing(comparing_);
}

void AppServices::recordStep(const std::string& name, const std::string& key)
{
    history_->record(voice(), name, key, VoiceHistory::Clock::now());
    showHistory();
}

void AppServices::applyTransform(const VoiceParameters& result, const std::string& name)
{
    startHistory();
    voice() = result;
    recordStep(name, {});
    for (const Editor& editor : editors_)
        editor.window->updateDisplay();
    if (autoSend())
        sendVoice();
}

void AppServices::randomise(int amount, unsigned parts, std::uint32_t seed)
{
    setComparing(false);
    VoiceParameters result = voice();
    randomiseVoice(result, amount, parts, seed);
    applyTransform(result, "Randomise");
}

void AppServices::blend(const VoiceParameters& other, int mix)
{
    setComparing(false);
    applyTransform(blendVoices(voice(), other, mix), "Blend");
}

void AppServices::undo()
{
    setComparing(false);
    if (history_ && history_->canUndo())
        moveInHistory(history_->undo());
}

void AppServices::redo()
{
    setComparing(false);
    if (history_ && history_->canRedo())
        moveInHistory(history_->redo());
}

void AppServices::moveInHistory(const VoiceParameters& state)
{
    voice() = state;
    for (const Editor& editor : editors_)
        editor.window->updateDisplay();
    if (autoSend())
        sendVoice();
    showHistory();
}

void AppServices::showVoiceState()
{
    if (context_.MainForm != nullptr)
        context_.MainForm->showVoiceState(clean_ && std::memcmp(&*clean_, &voice(), sizeof(VoiceParameters)) != 0);
}

void AppServices::followLoadedVoice()
{
    if (context_.MainForm == nullptr)
        return;
    // Only records of the same name can hold the same voice: the names are
    // in memory, so just those few are read and compared.
    LibraryBrowser& browser = context_.MainForm->browser();
    const VoiceDump loaded = context_.voiceData->encodeDump();
    std::string name(context_.voice->common.name, sizeof context_.voice->common.name);
    for (char& c : name)
        c = nameCharacter(static_cast<std::uint8_t>(c));
    for (const int record : browser.recordsNamed(name)) {
        VoiceParameters stored;
        VoiceData storedData(stored);
        if (context_.library->loadRecord(record, storedData).ok() && sameVoice(storedData.encodeDump(), loaded)) {
            browser.showLoadedRecord(record);
            return;
        }
    }
    browser.showLoadedRecord(-1);
}

void AppServices::showHistory()
{
    showVoiceState();
    const QString undoName = QString::fromStdString(history_->undoName());
    const QString redoName = QString::fromStdString(history_->redoName());
    for (const Editor& editor : editors_)
        editor.window->showHistory(undoName, redoName);
    if (context_.MainForm != nullptr)
        context_.MainForm->showHistory(undoName, redoName);
}

bool AppServices::loadVoiceFile(const QString& path)
{
    if (readVoiceFile(path.toStdString(), *context_.voiceData) != VoiceFileResult::Loaded) {
        showModal(*context_.InvFile);
        return false;
    }
    context_.settings->rememberFile(path);
    voiceLoaded();
    followLoadedVoice();
    sendVoice();
    return true;
}

void AppServices::saveVoiceFile(const QString& path)
{
    if (writeVoiceFile(path.toStdString(), *context_.voiceData)) {
        context_.settings->rememberFile(path);
        clean_ = voice();
        showVoiceState();
    } else
        showModal(*context_.SaveErrDlg);
}

int AppServices::showModal(QDialog& dialog)
{
    // Every dialog has the program's look: those that bring none of their
    // own take the dialogs' style (never the main window's colours).
    if (dialog.styleSheet().isEmpty() && qobject_cast<MessageDialog*>(&dialog) == nullptr
        && qobject_cast<TAboutMorvane*>(&dialog) == nullptr)
        dialog.setStyleSheet(style::dialogStyleSheet());
    return context_.modal->showModal(dialog);
}

TSelectVoiceType& AppServices::selectVoiceType()
{
    return *context_.SelectVoiceType;
}

QDialog& AppServices::overwriteDialog()
{
    return *context_.OverwriteDlg;
}

void AppServices::reportLibraryError(const QString& text)
{
    QMessageBox message(QMessageBox::Warning, QStringLiteral("Voice library"), text, QMessageBox::Ok);
    showModal(message);
}

void AppServices::startTestNote()
{
    const Settings& settings = *context_.settings;
    testNote_->start(settings.midiChannel, settings.testNoteKey, settings.testNoteVelocity, settings.testNoteLength);
}

void AppServices::releaseTestNote()
{
    testNote_->release();
}

void AppServices::stopTestNote()
{
    testNote_->stop();
}

HelpWindow& AppServices::help()
{
    if (!help_)
        help_ = std::make_unique<HelpWindow>();
    return *help_;
}

void AppServices::showHelp(int context)
{
    help().showContext(context);
}

void AppServices::showContents()
{
    help().showContents();
}

} // namespace morvane
