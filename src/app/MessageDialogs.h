// The six message dialogs. Each is created once at start-up and shown
// modally through ModalHost by whoever meets the situation; it keeps its
// state between showings.
#pragma once

#include "MessageDialog.h"

namespace morvane {

// A voice file could not be opened or holds no complete dump. "Okay": Accepted.
class TInvFile : public MessageDialog {
    Q_OBJECT
public:
    explicit TInvFile(QWidget* parent = nullptr);
};

// A voice file could not be created. "Okay": Accepted.
class TSaveErrDlg : public MessageDialog {
    Q_OBJECT
public:
    explicit TSaveErrDlg(QWidget* parent = nullptr);
};

// Asks before a library voice is replaced. "&No" (default, Enter): Rejected;
// "&Yes": Accepted.
class TOverwriteDlg : public MessageDialog {
    Q_OBJECT
public:
    explicit TOverwriteDlg(QWidget* parent = nullptr);
};

// No bulk dump came back after a request. "Bummer!": Accepted.
class TnoMIDIData : public MessageDialog {
    Q_OBJECT
public:
    explicit TnoMIDIData(QWidget* parent = nullptr);
};

// A bulk dump came back and is now the current voice. "Okay": Accepted.
class TDataReceivedForm : public MessageDialog {
    Q_OBJECT
public:
    explicit TDataReceivedForm(QWidget* parent = nullptr);
};

// A MIDI port could not be opened or started. The caller puts the system's
// error text into tfError before each showing; it stays until replaced.
// "Nuts!": Accepted.
class TMIDIOpenError : public MessageDialog {
    Q_OBJECT
public:
    explicit TMIDIOpenError(QWidget* parent = nullptr);

    // Sets tfError, cut to the 255 characters the line has room for.
    void setError(const QString& text);

    QLabel* label;       // "Error opening MIDI port"
    QPushButton* BitBtn1;
    QLabel* tfError;     // the failure, in aqua
};

} // namespace morvane
