// "Select MIDI Devices": the MIDI input, output and channel. Every pick takes
// effect at once, so the window has no Cancel. The device lists are read
// afresh whenever the window opens, on "Refresh", and while it is open as
// devices come and go.
#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace morvane {

class MidiPort;
class Settings;

class TSetDevices : public QDialog {
    Q_OBJECT

public:
    TSetDevices(Settings& settings, MidiPort& midiPort, QWidget* parent = nullptr);

    // Fills both lists from the machine's devices now (a line number is the
    // device's index in the latest list) and shows the stored choices.
    void populate();

    // How often the open window looks for devices that came or went.
    static constexpr int kListWatchMs = 1000;

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
    QPushButton* bRefresh;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void reopenPorts();
    void refreshIfChanged();
    QTimer* listWatch_;

    Settings& settings_;
    MidiPort& midiPort_;
};

} // namespace morvane
