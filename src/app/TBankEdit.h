// The bank window: the instrument's 64 internal voices as eight banks of
// eight, each slot with its voice's name. Banks come from files and from the
// instrument and go back to both; voices come in from the library list, the
// current voice and other slots, and go out to the editors and the library.
#pragma once

#include "VoiceBank.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;

namespace morvane {

struct AppContext;
class AppServices;

class TBankEdit : public QWidget {
    Q_OBJECT
public:
    TBankEdit(AppContext& context, AppServices& services, QWidget* parent = nullptr);

    // Called after voices were added to the library, so its list shows them.
    void setLibraryChanged(std::function<void()> changed) { libraryChanged_ = std::move(changed); }

    const VoiceBank& bank() const { return bank_; }
    // The slot selected in the table (0-63), or -1.
    int currentSlot() const;
    void selectSlot(int slot);

    // Reads a bank file (SY or TG-33) into the window; a damaged bank is
    // reported block by block and its whole voices kept.
    bool openBankFile(const QString& path);
    // Writes the bank exactly as the instrument sends it; refused (and said
    // why) while a slot is empty or an SY bank has no multi data of a real bank.
    bool saveBankFile(const QString& path);

    // The MIDI menu's and the window's buttons.
    void OpenBankClick();
    void SaveBankClick();
    void GetBankClick();
    void ReceiveBankClick();
    void SendBankClick();
    void LoadSlotClick();
    void PutVoiceClick();
    void AddToLibraryClick();

    // A voice moved from one slot to another (the two change places), and
    // library records dropped on a slot (the first there, the rest after it).
    void moveSlot(int from, int to);
    void dropRecords(const std::vector<int>& records, int slot);

    QTableWidget* Slots;
    QLabel* BankState;

private:
    void showBank();
    void say(const QString& text);
    void warn(const QString& title, const QString& text);
    // Waits for a bank from the instrument, with progress and Cancel.
    void takeBank(const QString& title, std::optional<DumpLayout> request);
    // Tells of a bank that came damaged or stopped coming, offering to get
    // (or, not requested, to receive) it again; true when that was chosen.
    bool offerAgain(const QString& title, const QString& text, bool requested);
    // Tells of voices converted to the bank's layout.
    QString converted(int count) const;

    AppContext& context_;
    AppServices& services_;
    VoiceBank bank_;
    std::function<void()> libraryChanged_;
};

} // namespace morvane
