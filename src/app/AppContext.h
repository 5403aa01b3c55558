// The program's single instances. The start-up sequence makes each of them
// once, in its order, and fills this in as it goes; every window reaches the
// others through it. A test fills in only what the window under test uses.
#pragma once

#include <functional>

class QPixmap;

namespace morvane {

class AppServices;
class EditorWindow;
class HelpWindow;
class MidiPort;
class ModalHost;
class Settings;
class TMainForm;
class TSelectVoiceType;
class TAWMEdit;
class TFMEdit;
class TSetDevices;
class TVoiceCommonEdit;
class TVectorEdit;
class VoiceLibrary;
class TAboutMorvane;
class TDataReceivedForm;
class TInvFile;
class TMIDIOpenError;
class TOverwriteDlg;
class TSaveErrDlg;
class TnoMIDIData;
class VoiceData;
struct VoiceParameters;

// A window that is made the first time it is asked for: the editors and
// dialogs, which a user may never open in a run, cost start-up nothing. It
// reads as a pointer to the window (made now if need be); made() tells
// whether it exists yet without making it.
template <typename Window>
class MadeOnUse {
public:
    void setMaker(std::function<Window*()> make) { make_ = std::move(make); }
    Window* get() const
    {
        if (window_ == nullptr && make_)
            window_ = make_();
        return window_;
    }
    Window* made() const { return window_; }
    Window* operator->() const { return get(); }
    Window& operator*() const { return *get(); }
    operator Window*() const { return get(); }

private:
    std::function<Window*()> make_;
    mutable Window* window_ = nullptr;
};

struct AppContext {
    ModalHost* modal = nullptr;
    Settings* settings = nullptr;
    VoiceParameters* voice = nullptr;     // the current voice
    VoiceData* voiceData = nullptr;
    MidiPort* midiPort = nullptr;
    VoiceLibrary* library = nullptr;
    // What the windows ask of the program: sending, fetching, refreshing,
    // voice files, help.
    AppServices* services = nullptr;
    // The strip picture the main window and the device dialog show, drawn
    // once; without it each window draws its own.
    const QPixmap* stripPicture = nullptr;

    // Windows, by the names the rest of the program knows them by.
    MadeOnUse<TMIDIOpenError> MIDIOpenError;
    TMainForm* MainForm = nullptr;
    TSetDevices* SetDevices = nullptr;
    MadeOnUse<TAWMEdit> AWMEdit;
    MadeOnUse<TFMEdit> FMEdit;
    MadeOnUse<TVoiceCommonEdit> VoiceCommonEdit;
    MadeOnUse<TVectorEdit> VectorEdit;
    MadeOnUse<TAboutMorvane> AboutMorvane;
    MadeOnUse<TInvFile> InvFile;
    MadeOnUse<TSaveErrDlg> SaveErrDlg;
    MadeOnUse<TOverwriteDlg> OverwriteDlg;
    MadeOnUse<TnoMIDIData> noMIDIData;
    MadeOnUse<TDataReceivedForm> DataReceivedForm;
    MadeOnUse<TSelectVoiceType> SelectVoiceType;
};

} // namespace morvane
