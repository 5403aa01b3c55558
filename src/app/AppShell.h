// The life of the process: makes the program's single instances and windows
// in their fixed order, applies the first-run rule, runs the event loop,
// reports an exception that escaped, and shuts down in order (ports closed,
// settings stored). main() builds one and runs it; a test builds its own with
// its own settings store and its own answers to the dialogs.
#pragma once

#include "AppContext.h"

#include <QSettings>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QWidget;

namespace morvane {

class MorvaneApplication;
class ModalHost;
class Settings;
class TAboutMorvane;
class TDataReceivedForm;
class TInvFile;
class TMIDIOpenError;
class TOverwriteDlg;
class TSaveErrDlg;
class TnoMIDIData;
class TemporaryMainWindow;
class VoiceData;
struct VoiceParameters;

class AppShell {
public:
    // store: the settings store to use; none means the user's own.
    AppShell(MorvaneApplication& app, ModalHost& modal, std::unique_ptr<QSettings> store = nullptr);
    ~AppShell();
    AppShell(const AppShell&) = delete;
    AppShell& operator=(const AppShell&) = delete;

    // Start-up, event loop, shutdown. Returns the process's exit code, 0.
    int run();

    // The steps taken so far, in order: each object or window by its class
    // name as it is made, then "application title", "first-run device
    // selection", "event loop", "exception: <message>", "saveSettings".
    const QStringList& trace() const { return trace_; }

    // Called after each step is recorded, with its trace entry.
    void setStepObserver(std::function<void(const QString&)> observer) { observer_ = std::move(observer); }

    const AppContext& context() const { return context_; }

private:
    void createObjects();
    void createWindows();
    void applyFirstRunRule();
    void refreshEditors();
    void runEventLoop();
    void reportException(const QString& message);
    void shutdown();
    void step(const QString& entry);

    MorvaneApplication& app_;
    ModalHost& modal_;
    std::unique_ptr<QSettings> store_;
    AppContext context_;
    QStringList trace_;
    std::function<void(const QString&)> observer_;

    // Owned here for the whole run, in creation order; none is re-created.
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<TMIDIOpenError> midiOpenError_;
    // MidiPort: created and opened after the open-error dialog.
    std::unique_ptr<VoiceParameters> voice_;
    std::unique_ptr<VoiceData> voiceData_;
    // VoiceLibrary: created after VoiceData.
    std::unique_ptr<TemporaryMainWindow> mainWindow_;
    // TSetDevices and the four editors: created after the main window.
    std::unique_ptr<TAboutMorvane> aboutMorvane_;
    std::unique_ptr<TInvFile> invFile_;
    std::unique_ptr<TSaveErrDlg> saveErrDlg_;
    std::unique_ptr<TOverwriteDlg> overwriteDlg_;
    std::unique_ptr<TnoMIDIData> noMIDIData_;
    std::unique_ptr<TDataReceivedForm> dataReceivedForm_;
    // TSelectVoiceType: created last.
};

} // namespace morvane
