// The program's single instances. The start-up sequence makes each of them
// once, in its order, and fills this in as it goes; every window reaches the
// others through it. A test fills in only what the window under test uses.
#pragma once

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

    // Windows, by the names the rest of the program knows them by.
    TMIDIOpenError* MIDIOpenError = nullptr;
    TMainForm* MainForm = nullptr;
    TSetDevices* SetDevices = nullptr;
    TAWMEdit* AWMEdit = nullptr;
    TFMEdit* FMEdit = nullptr;
    TVoiceCommonEdit* VoiceCommonEdit = nullptr;
    TVectorEdit* VectorEdit = nullptr;
    TAboutMorvane* AboutMorvane = nullptr;
    TInvFile* InvFile = nullptr;
    TSaveErrDlg* SaveErrDlg = nullptr;
    TOverwriteDlg* OverwriteDlg = nullptr;
    TnoMIDIData* noMIDIData = nullptr;
    TDataReceivedForm* DataReceivedForm = nullptr;
    TSelectVoiceType* SelectVoiceType = nullptr;
};

} // namespace morvane
