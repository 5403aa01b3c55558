// The life of the process: makes the program's single instances and windows
// in their fixed order, applies the first-run rule, runs the event loop,
// reports an exception that escaped, and shuts down in order (ports closed,
// settings stored). main() builds one and runs it; a test builds its own with
// its own settings store and its own answers to the dialogs.
#pragma once

#include "AppContext.h"
#include "Artwork.h"
#include "Clock.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <future>
#include <optional>
#include <memory>
#include <string>
#include <vector>

namespace morvane {

// The single instances are declared with AppContext.
class MidiBackend;
class MorvaneApplication;
class SystemMidiBackend;

class AppShell {
public:
    // store: the settings store to use; none means the user's own.
    AppShell(MorvaneApplication& app, ModalHost& modal, std::unique_ptr<QSettings> store = nullptr);
    ~AppShell();
    AppShell(const AppShell&) = delete;
    AppShell& operator=(const AppShell&) = delete;

    using MidiBackendFactory = std::function<std::unique_ptr<MidiBackend>()>;

    // The MIDI system to use: by default the machine's own (JACK or ALSA);
    // a test gives an in-process one.
    void setMidiBackendFactory(MidiBackendFactory factory) { midiBackendFactory_ = std::move(factory); }
    // The machine's MIDI system, opened on a thread of its own from the
    // moment this is called: reaching the MIDI server takes as long as the
    // window system's start, so the two overlap (main calls it before the
    // application object is made). Given to setMidiSystem, it is waited for
    // where the program makes its MIDI port; without it the system is
    // opened there.
    static std::future<std::unique_ptr<SystemMidiBackend>> openMidiSystem();
    void setMidiSystem(std::future<std::unique_ptr<SystemMidiBackend>> opening);
    // The time the MIDI port and the test note read: by default the
    // machine's steady clock; a test moves its own.
    void setClock(Now now) { now_ = std::move(now); }
    // The library file: by default the one the settings name, else
    // "SOUNDS.SYL" in the working folder.
    void setLibraryPath(std::string path) { libraryPath_ = std::move(path); }
    // A voice file loaded, as "Load voice" does, once the program is up.
    void setStartFile(QString path) { startFile_ = std::move(path); }
    // How long the start-up fetch of the instrument's voice waits for the
    // reply; by default as long as "Get voice" does.
    void setReplyWait(std::chrono::milliseconds wait) { replyWait_ = wait; }

    // The library used when neither the command line nor the settings name
    // one: SOUNDS.SYL in the folder the program starts from when there is
    // one (`notice` then says so), else in the user's data folder
    // ($XDG_DATA_HOME/morvane), which is made when missing.
    static QString defaultLibraryPath(QString& notice);

    // Start-up, event loop, shutdown. Returns the process's exit code, 0.
    // SIGTERM, SIGINT, SIGHUP (once main installed their handler) and the
    // end of the desktop session end it as "Exit" does, at any point.
    int run();

    // The two halves around the event loop, for tests that drive the
    // windows themselves: everything up to the editors' refresh, and the
    // orderly end (ports closed, settings stored).
    void startUp();
    void shutDown();

    // The steps taken so far, in order: each object or window by its class
    // name as it is made, then "application title", "first-run device
    // selection", "event loop", "exception: <message>", "saveSettings",
    // "settings not stored" when the store could not be written.
    const QStringList& trace() const { return trace_; }

    // Called after each step is recorded, with its trace entry.
    void setStepObserver(std::function<void(const QString&)> observer) { observer_ = std::move(observer); }

    const AppContext& context() const { return context_; }

    // How often the chosen ports are looked for while the program runs.
    // The outcome of each send comes from the sending thread as it happens.
    static constexpr int kPortWatchMs = 500;

private:
    void createObjects();
    void createWindows();
    void applyFirstRunRule();
    void loadStartFile();
    // Once the main window shows: fetch the instrument's voice, send the
    // first library voice or do nothing, as the settings say.
    void applyStartAction();
    // The main window and the editors, whose places are kept.
    std::vector<QWidget*> placedWindows() const;
    // Moves the windows to their stored places and keeps the places up to
    // date from then on.
    void restoreWindowPlaces();
    // Moves one window to its stored place and keeps its place from then on.
    void placeWindow(QWidget& window);
    // Makes an editor the first time it is asked for; `name` goes into the
    // start-up trace.
    template <typename Editor>
    Editor* makeEditor(std::unique_ptr<Editor>& editor, const char* menuItem, const char* name);
    // Makes a dialog on its first use.
    template <typename Dialog>
    Dialog* makeDialog(std::unique_ptr<Dialog>& dialog, const char* name);
    // Tells the editors made so far of each other.
    void linkEditors();
    void refreshEditors();
    void watchPorts();
    void runEventLoop();
    void endOnRequest();
    void reportException(const QString& message);
    void step(const QString& entry);

    MorvaneApplication& app_;
    ModalHost& modal_;
    std::unique_ptr<QSettings> store_;
    AppContext context_;
    QStringList trace_;
    std::function<void(const QString&)> observer_;
    MidiBackendFactory midiBackendFactory_;
    bool running_ = false;   // run() was called: the start action follows start-up
    std::future<std::unique_ptr<SystemMidiBackend>> midiSystem_;
    Now now_ = SteadyClock::now;
    std::string libraryPath_;
    QString startFile_;
    std::optional<std::chrono::milliseconds> replyWait_;
    QString libraryNotice_;
    // Drawn on a thread from the start of start-up; taken when the windows
    // are made.
    std::future<artwork::StartPictures> startPictures_;
    QPixmap stripPicture_;

    // Owned here for the whole run, in creation order; none is re-created.
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<TMIDIOpenError> midiOpenError_;
    // The send outcomes are posted to it from the sending thread: it outlives
    // the port, whose sending thread ends with it.
    std::unique_ptr<QObject> sendOutcomes_;
    std::unique_ptr<MidiPort> midiPort_;
    // The port's backend when it is the machine's MIDI system (not a test's).
    SystemMidiBackend* systemBackend_ = nullptr;
    std::unique_ptr<VoiceParameters> voice_;
    std::unique_ptr<VoiceData> voiceData_;
    std::unique_ptr<VoiceLibrary> library_;
    std::unique_ptr<AppServices> services_;
    std::unique_ptr<TMainForm> mainForm_;
    std::unique_ptr<TSetDevices> setDevices_;
    // The AWM element, FM element, common and vector editors, each made on
    // first use.
    std::unique_ptr<TAWMEdit> awmEdit_;
    std::unique_ptr<TFMEdit> fmEdit_;
    std::unique_ptr<TVoiceCommonEdit> voiceCommonEdit_;
    std::unique_ptr<TVectorEdit> vectorEdit_;
    std::unique_ptr<TAboutMorvane> aboutMorvane_;
    std::unique_ptr<TInvFile> invFile_;
    std::unique_ptr<TSaveErrDlg> saveErrDlg_;
    std::unique_ptr<TOverwriteDlg> overwriteDlg_;
    std::unique_ptr<TnoMIDIData> noMIDIData_;
    std::unique_ptr<TDataReceivedForm> dataReceivedForm_;
    std::unique_ptr<TSelectVoiceType> selectVoiceType_;
    std::unique_ptr<QTimer> portWatch_;
    std::unique_ptr<QObject> exitSignals_;
    std::unique_ptr<QObject> placeKeeper_;
    QMetaObject::Connection sessionEnd_;
    bool exitRequested_ = false;
    bool started_ = false;
};

} // namespace morvane
