// "Select MIDI Devices": the MIDI input, output and channel. Every pick takes
// effect at once, so the window has no Cancel.
#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace morvane {

class MidiPort;
class Settings;

class TSetDevices : public QDialog {
    Q_OBJECT

public:
    TSetDevices(Settings& settings, MidiPort& midiPort, QWidget* parent = nullptr);

    // Fills both lists once (a line number is the device's index for the
    // whole run) and shows the stored choices.
    void populate();

    // The user picked a line or a channel.
    void selectInputDevice();
    void selectOutputDevice();
    void setMIDIChannel();

    QLabel* Image1;
    QGroupBox* GroupBox1;
    QListWidget* lbInputs;
    QGroupBox* GroupBox2;
    QListWidget* lbOutputs;
    QGroupBox* GroupBox3;
    QComboBox* cbMIDIChannel;
    QPushButton* BitBtn1;

private:
    void reopenPorts();

    Settings& settings_;
    MidiPort& midiPort_;
};

} // namespace morvane
