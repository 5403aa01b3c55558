// The multi editor: the TG-33's edit multi, its common part (name, effect,
// balance, sends, output and voice assignment) and its sixteen parts, one
// per MIDI channel, in a table. Every change is one undo step and goes to
// the instrument at once through the paced send path; "Get multi" fetches
// the instrument's multi and "Send multi" sends it on request. Bytes the
// multi table keeps without understanding them stay as they came.
#pragma once

#include "BoundControls.h"
#include "Multi.h"

#include <QWidget>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace morvane {

class TMultiEdit : public QWidget {
    Q_OBJECT
public:
    // What the window asks of the rest of the program. Each returns an empty
    // text when it did what was asked, otherwise why not.
    struct Host {
        // Fetches the instrument's edit multi into the argument, waiting for
        // it without freezing the windows; the argument is untouched on failure.
        std::function<std::string(Multi&)> getMulti;
        // Queues the multi's dump for the instrument.
        std::function<std::string(const Multi&)> sendMulti;
        // The name of the voice a part plays, where the program knows its
        // bank (0 internal, 1 and 2 the presets); empty where it does not.
        std::function<std::string(int bank, int voice)> voiceName;
        std::function<void()> showHelp;
    };

    explicit TMultiEdit(Host host, QWidget* parent = nullptr);

    const Multi& multi() const { return multi_; }
    // Shows a multi as one undo step named `step` (as "Get multi" does),
    // sending nothing.
    void loadMulti(const Multi& multi, const std::string& step);
    // Shows the multi again, as when a voice name it shows may have changed.
    void updateDisplay();

    // Reads a multi file as one undo step ("Open multi") and sends it; a
    // file that holds no sound multi is refused with the reason and changes
    // nothing.
    bool openMultiFile(const QString& path);
    // Writes the multi as the instrument sends it (device 1), all or nothing.
    bool saveMultiFile(const QString& path);

    void GetMultiClick();
    void SendMultiClick();
    void OpenMultiClick();
    void SaveMultiClick();
    void undo();
    void redo();

    QLineEdit* tfMultiName;
    QTableWidget* tblParts;
    QPushButton* bGetMulti;
    QPushButton* bSendMulti;
    QPushButton* bOpenMulti;
    QPushButton* bSaveMulti;
    QLabel* MultiState;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Coming to the front, the window names the voices again: the bank
    // window may hold another bank by now.
    void changeEvent(QEvent* event) override;

private:
    // The parts table's columns.
    enum Column { On, Bank, Voice, Volume, Detune, NoteShift, Pan, EffectGroup, Columns };

    FieldRef commonField(MultiField f);
    FieldRef partField(int part, PartField f);
    template <typename Control>
    Control& bind(Control* control);
    QWidget* numberCell(const QString& name, FieldRef field, ShownForm form);
    void buildParts();
    void nameEdited(const QString& text);
    // A change by the user: one step (changes under one key within a short
    // pause are one) and a send.
    void edited(const std::string& name, const std::string& key);
    void send();
    void showVoiceNames();
    void showHistory();
    void say(const QString& text, bool fault = false);

    Host host_;
    Multi multi_ = initialMulti();
    std::vector<BoundControl*> bindings_;
    std::vector<QComboBox*> voiceLists_;
    QAction* undoAction_;
    QAction* redoAction_;
    bool refreshing_ = false;

    // The undo history: the multi after each step, and where we stand.
    struct Step {
        Multi multi;
        std::string name;
        std::string key;
        std::chrono::steady_clock::time_point at;
    };
    std::vector<Step> steps_;
    std::size_t at_ = 0;
};

} // namespace morvane
