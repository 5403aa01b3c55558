// "Select MIDI Devices": the MIDI input, output and channel, and the model.
// Every pick takes effect at once, so the window has no Cancel. The device
// lists are read afresh whenever the window opens, on "Refresh", and while
// it is open as devices come and go (which also finds a MIDI system started
// after the program).
//
// "Find instrument" looks for the instrument on every port (TFindInstrument)
// and selects what answered in the lists, the channel and the model: those
// are a proposal, stored only when the user presses Okay.
#pragma once

#include "InstrumentSearch.h"

#include <QDialog>
#include <QPixmap>

#include <functional>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace morvane {

class MidiPort;
class Settings;
class TFindInstrument;

class TSetDevices : public QDialog {
    Q_OBJECT

public:
    // picture: the main window's strip picture, which the dialog shows too;
    // without it the dialog draws its own.
    TSetDevices(Settings& settings, MidiPort& midiPort, const QPixmap& picture = QPixmap(), QWidget* parent = nullptr);

    // Fills both lists from the port's latest listing of the machine's
    // devices (a line number is the device's index in it) and shows the
    // stored choices. Start-up calls it just after the port listed them.
    void populate();
    // Lists the machine's devices again, then fills both lists: when the
    // window shows, on Refresh, and after a search.
    void listDevicesAgain();

    // How often the open window looks for devices that came or went.
    static constexpr int kListWatchMs = 1000;

    // The user picked a line or a channel.
    void selectInputDevice();
    void selectOutputDevice();
    void setMIDIChannel();
    void setModel();

    // How "Find instrument" reaches the MIDI system: gives, on this window's
    // thread as a search is prepared, the factory the search's thread uses.
    // Without one the button is disabled.
    using SearchFactoryMaker = std::function<InstrumentSearch::BackendFactory()>;
    void setSearchBackendFactory(SearchFactoryMaker maker);
    // Called when the model setting changed here (a pick, or Okay after a
    // find), for the windows that show it.
    void setModelListener(std::function<void()> listener) { modelListener_ = std::move(listener); }
    // The first start: the window offers "Find instrument" in its message line.
    void offerFindInstrument();
    // Opens the "Find instrument" window over this one.
    void findInstrument();
    // Selects a found instrument's ports, channel and model in the window
    // (not in the settings: Okay stores them).
    void showFound(const SearchResult& result);
    TFindInstrument& findWindow() { return *findWindow_; }

    QLabel* Image1;
    QGroupBox* GroupBox1;
    QListWidget* lbInputs;
    QGroupBox* GroupBox2;
    QListWidget* lbOutputs;
    QGroupBox* GroupBox3;
    QComboBox* cbMIDIChannel;
    QGroupBox* GroupBox4;
    QComboBox* cbModel;
    QPushButton* bFindInstrument;
    QLabel* lblMessage;
    QPushButton* BitBtn1;
    QPushButton* bRefresh;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void reopenPorts();
    void refreshIfChanged();
    void okay();
    void showChoices();
    QTimer* listWatch_;
    TFindInstrument* findWindow_;
    SearchFactoryMaker searchFactory_;
    std::function<void()> modelListener_;

    // What a search found, shown and waiting for Okay.
    struct Proposal {
        QString input;
        QString output;
        int channel;
        int model;
    };
    std::optional<Proposal> proposal_;

    Settings& settings_;
    MidiPort& midiPort_;
};

} // namespace morvane
