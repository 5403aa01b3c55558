// What the windows ask of the rest of the program, in one place: sending the
// voice, fetching it from the instrument, refreshing the editors, voice
// files, the library's messages and the help pages. It reaches everything
// through the program's context, so a window needs to know only this.
#pragma once

#include "EditorHost.h"
#include "LibraryBrowser.h"

#include <memory>

namespace morvane {

struct AppContext;
class HelpWindow;

class AppServices : public EditorHost, public LibraryBrowserHost {
public:
    explicit AppServices(AppContext& context);
    ~AppServices() override;

    // The current voice and the auto-send switch.
    VoiceParameters& voice() override;
    bool autoSend() const override;

    // Sends the whole voice as one bulk dump on the chosen channel.
    void sendVoice() override;
    // Requests the instrument's edit voice for the chosen model; on arrival
    // refreshes the editors (AWM, FM, vector, voice common) and says so, else
    // says that nothing came. The voice is untouched then.
    void getVoice() override;
    void showHelp(int context) override;
    void showContents();

    // updateDisplay of the FM, AWM, voice common and vector editors.
    void refreshEditors() override;

    // Reads a voice file into the current voice and sends it whatever the
    // auto-send switch says; "Invalid file" when it holds no usable voice.
    void loadVoiceFile(const QString& path);
    // Writes the current voice; "Save error" unless all of it was written.
    void saveVoiceFile(const QString& path);

    int showModal(QDialog& dialog) override;
    TSelectVoiceType& selectVoiceType() override;
    QDialog& overwriteDialog() override;
    void reportLibraryError(const QString& text) override;

    // The help window, made on first use.
    HelpWindow& help();

private:
    AppContext& context_;
    std::unique_ptr<HelpWindow> help_;
};

} // namespace morvane
