// What the windows ask of the rest of the program, in one place: sending the
// voice, fetching it from the instrument, refreshing the editors, voice
// files, the library's messages and the help pages. It reaches everything
// through the program's context, so a window needs to know only this.
// The state of editing (undo, compare, sound design) is an EditSession and
// the exchange with the instrument an InstrumentLink; this class owns both
// and shows what they do in the windows.
#pragma once

#include "Clock.h"
#include "EditSession.h"
#include "EditorHost.h"
#include "InstrumentLink.h"
#include "LibraryBrowser.h"
#include "MidiPort.h"

#include "VoiceHistory.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace morvane {

struct AppContext;
class ControllerLink;
class EditorWindow;
class HelpWindow;

class AppServices : public EditorHost, public LibraryBrowserHost {
public:
    // The test note's length is measured on `now`.
    explicit AppServices(AppContext& context, Now now = SteadyClock::now);
    ~AppServices() override;

    // The current voice and the auto-send switch.
    VoiceParameters& voice() override;
    bool autoSend() const override;
    int model() const override;
    void setModel(int model) override;

    // The undo history of the edit voice. It starts with the voice the
    // editors first show; every edit is a step, and so is every voice loaded
    // from elsewhere (a file, the library, the instrument): voiceLoaded
    // records it.
    void voiceEdited(const std::string& name, const std::string& key) override;
    void undo() override;
    void redo() override;
    // Compare with the voice as last loaded (EditorHost). It adds no undo
    // step; each switch sends the voice then shown, whatever the auto-send
    // switch says, through the paced send path. Undo, redo, a transformation
    // or a newly loaded voice ends it first.
    bool comparing() const override { return session_.comparing(); }
    void setComparing(bool on) override;
    // A voice came in from a file, the library or the instrument: it is the
    // voice that compare shows from now on, and a step of its own ("Load
    // voice"), or the start of the history when none has begun.
    void voiceLoaded() override;
    // The test note on the chosen channel with the key, velocity and length
    // of the settings (EditorHost); stopTestNote ends one that sounds, as the
    // program does before it closes the ports.
    void startTestNote() override;
    void releaseTestNote() override;
    // Hardware controllers, through the controller input (ControllerLink).
    void learnController(const std::string& path) override;
    void forgetController(const std::string& path) override;
    std::string controllerOf(const std::string& path) const override;
    ControllerLink& controllers();
    void stopTestNote();
    const VoiceHistory* history() const { return session_.history(); }
    // The parts this class is made of, each usable alone.
    EditSession& editing() { return session_; }
    InstrumentLink& link() { return link_; }

    // Sends the whole voice as one bulk dump on the chosen channel, through
    // the paced send path: it returns at once, and a state that waits for
    // the cable is replaced by a newer one.
    void sendVoice() override;
    // The pace of sends (Settings::wireRate), kept for the next run.
    void setWireRate(int baud);
    // Requests the instrument's edit voice for the chosen model; on arrival
    // refreshes the editors and says so, else
    // says that nothing came. The voice is untouched then.
    void getVoice() override;
    // The same exchange without a dialog (start-up): on arrival the voice is
    // loaded and the editors refreshed; otherwise nothing changes.
    VoiceRequest fetchVoice();
    void showHelp(int context) override;
    void showContents();

    // The editor windows made so far, each with the name of the main
    // window's menu item that shows it, in the order they are refreshed.
    // Every refresh and every hiding of the editors goes through this one
    // list. An editor is made the first time it is asked for (editor()); a
    // new one joins with addEditor, which shows it the voice, compare and
    // the history as the others show them, and tells whoever listens.
    struct Editor {
        EditorWindow* window;
        const char* menuItem;
    };
    void addEditor(EditorWindow& window, const char* menuItem);
    const std::vector<Editor>& editors() const { return editors_; }
    // How the editor of a menu item is made; it joins through addEditor.
    void addEditorMaker(const char* menuItem, std::function<EditorWindow*()> make);
    // The editor of the menu item, made now when it was not yet; null when
    // the program has none.
    EditorWindow* editor(const char* menuItem);
    bool hasEditor(const char* menuItem) const;
    // Called with every editor that joins, once.
    void onEditorAdded(std::function<void(EditorWindow&)> listener);

    // updateDisplay of every editor. A refresh only shows the voice, so the
    // order does not change what the editors show; it records no step (the
    // first one starts the history with the voice shown).
    void refreshEditors() override;

    // Reads a voice file into the current voice and sends it whatever the
    // auto-send switch says; "Invalid file" when it holds no usable voice.
    // A file loaded joins the recent files. True when it was loaded.
    bool loadVoiceFile(const QString& path);
    // Writes the current voice; "Save error" unless all of it was written.
    // A file written joins the recent files.
    void saveVoiceFile(const QString& path);

    // Sound design. A transformation replaces the edited voice as one undo
    // step of its own name, shows it and sends it when auto-send is on.
    // Randomise moves the chosen parts by up to `amount` percent (see
    // randomiseVoice); blend mixes the other voice in by `mix` percent.
    void randomise(int amount, unsigned parts, std::uint32_t seed);
    void blend(const VoiceParameters& other, int mix);
    // A voice made by a sound-design window (the morph pad, a variation)
    // replaces the edited voice the same way, as the step `name`.
    void takeVoice(const VoiceParameters& result, const std::string& name);
    // Sends a voice the instrument is to play for a while (a point of the
    // morph pad, a variation heard) through the paced send path, whatever
    // the auto-send switch says; the edited voice stays as it is.
    void auditionVoice(const VoiceParameters& voice);
    // The same, and the test note (as startTestNote, released) sounding
    // with that voice: its note-on goes behind the voice.
    void hearVoice(const VoiceParameters& voice);

    int showModal(QDialog& dialog) override;
    TSelectVoiceType& selectVoiceType() override;
    QDialog& overwriteDialog() override;
    void reportLibraryError(const QString& text) override;

    // The help window, made on first use.
    HelpWindow& help();

private:
    AppContext& context_;
    std::unique_ptr<HelpWindow> help_;
    std::vector<Editor> editors_;
    std::vector<std::pair<std::string, std::function<EditorWindow*()>>> editorMakers_;
    std::vector<std::function<void(EditorWindow&)>> editorListeners_;
    EditSession session_;
    InstrumentLink link_;
    std::unique_ptr<ControllerLink> controllers_;

    void updateEditors();
    // The voice changed as a step (a transformation, undo, redo): shows it
    // and sends it when auto-send is on.
    void showStep();
    void showHistory();
    void showComparing();
    void showVoiceState();
    // The library list highlights the loaded voice when the library holds
    // it, and nothing otherwise.
    void followLoadedVoice();
};

} // namespace morvane
