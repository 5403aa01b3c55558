#include "AppServices.h"

#include "AboutMorvane.h"
#include "AppContext.h"
#include "ControllerLink.h"
#include "EditorStyle.h"
#include "MessageDialog.h"
#include "HelpWindow.h"
#include "MessageDialogs.h"
#include "MidiPort.h"
#include "ModalHost.h"
#include "Settings.h"
#include "TMainForm.h"
#include "TSelectVoiceType.h"
#include "Duplicates.h"
#include "EditorWindow.h"
#include "LibraryBrowser.h"
#include "VoiceLibrary.h"
#include "VoiceData.h"
#include "VoiceFile.h"

#include <QApplication>
#include <algorithm>
#include <string_view>
#include <QMessageBox>

namespace morvane {

AppServices::AppServices(AppContext& context, Now now)
    : context_(context), session_(*context.voice), link_(context.midiPort, *context.voiceData, std::move(now))
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
    link_.sendVoice(context_.settings->midiChannel);
}

void AppServices::setWireRate(int baud)
{
    context_.settings->wireRate = baud;
    link_.setWireRate(baud);
}

VoiceRequest AppServices::fetchVoice()
{
    const Settings& settings = *context_.settings;
    // The windows repaint during the wait but take no input; the cursor says why.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const VoiceRequest request = link_.requestVoice(settings.model, settings.midiChannel);
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
    // One made while the program runs shows what the others show.
    window.updateDisplay();
    if (session_.comparing())
        window.showComparing(true);
    const VoiceHistory* history = session_.history();
    if (history != nullptr)
        window.showHistory(QString::fromStdString(history->undoName()), QString::fromStdString(history->redoName()));
    for (const auto& listener : editorListeners_)
        listener(window);
}

void AppServices::addEditorMaker(const char* menuItem, std::function<EditorWindow*()> make)
{
    editorMakers_.emplace_back(menuItem, std::move(make));
}

EditorWindow* AppServices::editor(const char* menuItem)
{
    const std::string_view wanted(menuItem);
    for (const Editor& editor : editors_)
        if (wanted == editor.menuItem)
            return editor.window;
    for (const auto& [item, make] : editorMakers_)
        if (item == wanted)
            return make();
    return nullptr;
}

bool AppServices::hasEditor(const char* menuItem) const
{
    const std::string_view wanted(menuItem);
    return std::any_of(editors_.begin(), editors_.end(), [wanted](const Editor& e) { return wanted == e.menuItem; })
           || std::any_of(editorMakers_.begin(), editorMakers_.end(),
                          [wanted](const auto& maker) { return maker.first == wanted; });
}

void AppServices::onEditorAdded(std::function<void(EditorWindow&)> listener)
{
    editorListeners_.push_back(std::move(listener));
}

void AppServices::updateEditors()
{
    for (const Editor& editor : editors_)
        editor.window->updateDisplay();
}

void AppServices::refreshEditors()
{
    // The history starts with the voice the editors first show.
    session_.begin();
    updateEditors();
}

void AppServices::voiceEdited(const std::string& name, const std::string& key)
{
    session_.record(name, key);
    showHistory();
}

void AppServices::voiceLoaded()
{
    const bool wasComparing = session_.comparing();
    session_.loaded();
    if (wasComparing)
        showComparing();
    showHistory();
}

void AppServices::setComparing(bool on)
{
    if (!session_.setComparing(on))
        return;
    showComparing();
    updateEditors();
    sendVoice();
}

void AppServices::showComparing()
{
    for (const Editor& editor : editors_)
        editor.window->showComparing(session_.comparing());
    if (context_.MainForm != nullptr)
        context_.MainForm->showComparing(session_.comparing());
}

void AppServices::showStep()
{
    updateEditors();
    if (autoSend())
        sendVoice();
    showHistory();
}

// Compare ends through setComparing first, so that the windows show it and
// the edited voice is sent back before the step.
void AppServices::randomise(int amount, unsigned parts, std::uint32_t seed)
{
    setComparing(false);
    session_.randomise(amount, parts, seed);
    showStep();
}

void AppServices::blend(const VoiceParameters& other, int mix)
{
    setComparing(false);
    session_.blend(other, mix);
    showStep();
}

void AppServices::takeVoice(const VoiceParameters& result, const std::string& name)
{
    setComparing(false);
    session_.take(result, name);
    showStep();
}

void AppServices::auditionVoice(const VoiceParameters& voice)
{
    link_.sendVoice(voice, context_.settings->midiChannel);
}

void AppServices::hearVoice(const VoiceParameters& voice)
{
    auditionVoice(voice);
    const Settings& settings = *context_.settings;
    link_.startTestNote(settings.midiChannel, settings.testNoteKey, settings.testNoteVelocity, settings.testNoteLength,
                        true);
    link_.releaseTestNote();
}

void AppServices::undo()
{
    setComparing(false);
    if (session_.undo())
        showStep();
}

void AppServices::redo()
{
    setComparing(false);
    if (session_.redo())
        showStep();
}

void AppServices::showVoiceState()
{
    if (context_.MainForm != nullptr)
        context_.MainForm->showVoiceState(session_.edited());
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
    const VoiceHistory* history = session_.history();
    const QString undoName = history ? QString::fromStdString(history->undoName()) : QString();
    const QString redoName = history ? QString::fromStdString(history->redoName()) : QString();
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
        session_.saved();
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
    link_.startTestNote(settings.midiChannel, settings.testNoteKey, settings.testNoteVelocity, settings.testNoteLength);
}

void AppServices::releaseTestNote()
{
    link_.releaseTestNote();
}

ControllerLink& AppServices::controllers()
{
    if (!controllers_)
        controllers_ = std::make_unique<ControllerLink>(*context_.settings, *this);
    return *controllers_;
}

void AppServices::learnController(const std::string& path)
{
    controllers().learn(path);
}

void AppServices::forgetController(const std::string& path)
{
    controllers().forget(path);
}

std::string AppServices::controllerOf(const std::string& path) const
{
    return controllers_ ? controllers_->controllerOf(path) : std::string();
}

void AppServices::stopTestNote()
{
    link_.stopTestNote();
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
