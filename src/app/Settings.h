// The user's persistent choices. Loaded when constructed, stored by
// saveSettings() at shutdown.
#pragma once

#include <memory>

#include <QMap>
#include <QPoint>
#include <QSize>
#include <QSettings>
#include <QStringList>

namespace morvane {

class Settings {
public:
    // Reads the user's settings store (organisation "QVD", application
    // "MORVANE", the platform's native format). A test passes its own store.
    explicit Settings(std::unique_ptr<QSettings> store = nullptr);
    ~Settings();

    // Stores the values; false when the store could not be written.
    bool saveSettings();
    // Where the store lives, for messages.
    QString storeLocation() const;

    int midiChannel = 0;   // 0-15; channel 1 is 0
    int inDevice = 0;      // index into the machine's MIDI inputs
    int outDevice = 0;     // index into the machine's MIDI outputs
    // The chosen devices by the MIDI system's names; empty until a device is
    // known by name (older settings stores hold the places only).
    QString inDeviceName;
    QString outDeviceName;
    // The voice library file; empty: SOUNDS.SYL in the folder the program
    // is started from when there is one, else in the user's data folder.
    // Set by hand in the store; --library overrides it.
    QString libraryPath;
    // The folder the voice file dialogs open in, and the voice files last
    // loaded or saved, newest first.
    QString lastFolder;
    QStringList recentFiles;
    static constexpr int kMaxRecentFiles = 8;
    // A file loaded or saved: first among the recent files, its folder the
    // last one.
    void rememberFile(const QString& path);

    // Where each window was, by its objectName.
    QMap<QString, QPoint> windowPlaces;
    // The main window's size once the user changed it; invalid until then.
    QSize mainWindowSize;

    int model = 0;         // 0 SY-22, 1 SY-35, 2 TG-33
    bool autoSend = true;
    // The pace of voice sends: the MIDI cable's bits per second, or
    // kSendAtOnce for an interface that paces itself or a fast link.
    static constexpr int kCableRate = 31250;
    static constexpr int kSendAtOnce = 0;
    int wireRate = kCableRate;
    // The test note: MIDI key (60 middle C), velocity and length.
    static constexpr int kShortestTestNote = 50;
    static constexpr int kLongestTestNote = 10000;
    static constexpr int kDefaultTestKey = 60;
    static constexpr int kDefaultTestVelocity = 100;
    static constexpr int kDefaultTestLength = 1000;
    int testNoteKey = kDefaultTestKey;
    int testNoteVelocity = kDefaultTestVelocity;
    int testNoteLength = kDefaultTestLength;   // milliseconds
    // What the program does with the instrument once it is up: fetch the
    // instrument's edit voice (nothing is sent), send the library's first
    // voice, or neither.
    enum class StartAction { FetchVoice = 0, SendFirstVoice = 1, Nothing = 2 };
    StartAction startAction = StartAction::FetchVoice;
    // The library filter lists voices with every ticked category (false) or
    // with any of them (true).
    bool filterAny = false;
    // The controller input (a keyboard's knobs), by its MIDI system name;
    // empty for none. The hardware controllers bound to voice fields, one
    // line each (ControllerMap::save).
    QString controllerInName;
    QStringList controllerBindings;
    static constexpr int kMaxControllerBindings = 512;
    bool settingsFound = false;

private:
    std::unique_ptr<QSettings> store_;
};

} // namespace morvane
