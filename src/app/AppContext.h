// The program's single instances. The start-up sequence makes each of them
// once, in its order, and fills this in as it goes; every window reaches the
// others through it. A test fills in only what the window under test uses.
#pragma once

namespace morvane {

class ModalHost;
class Settings;
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
    // The MIDI port manager and the voice library join here.

    // Windows, by the names the rest of the program knows them by.
    TMIDIOpenError* MIDIOpenError = nullptr;
    // The main window, the device dialog and the four editors join here.
    TAboutMorvane* AboutMorvane = nullptr;
    TInvFile* InvFile = nullptr;
    TSaveErrDlg* SaveErrDlg = nullptr;
    TOverwriteDlg* OverwriteDlg = nullptr;
    TnoMIDIData* noMIDIData = nullptr;
    TDataReceivedForm* DataReceivedForm = nullptr;
    // The voice-type dialog joins here.
};

} // namespace morvane
