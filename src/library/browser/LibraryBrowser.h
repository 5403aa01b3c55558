// The " Database " box of the main window: the library's voices listed
// through sixteen category filters and a name search, loaded by a double
// click or Enter; the commands that store the current voice into the library,
// import files, and delete, rename, recategorise and export listed voices.
// The names and masks are read once and kept; a filter or a key press in the
// search box works on them, and they are read again when the library changes.
#pragma once

#include "VoiceLibrary.h"

#include <QAbstractListModel>
#include <QGroupBox>

#include <cstdint>
#include <vector>

class QAction;
class QCheckBox;
class QDialog;
class QLineEdit;
class QListView;

namespace morvane {

class TSelectVoiceType;
class VoiceData;

// What the browser needs from the rest of the program.
class LibraryBrowserHost {
public:
    virtual ~LibraryBrowserHost() = default;
    virtual int showModal(QDialog& dialog) = 0;
    virtual TSelectVoiceType& selectVoiceType() = 0;
    virtual QDialog& overwriteDialog() = 0;  // Accepted means "&Yes"
    virtual void sendVoice() = 0;
    virtual void refreshEditors() = 0;
    // A record was loaded into the current voice.
    virtual void voiceLoaded() {}
    // Tells the user that the library could not be read or written.
    virtual void reportLibraryError(const QString& text) = 0;
};

// The listed rows: names of the records that pass the filter, in file order.
class LibraryListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setRecords(std::vector<RecordSummary> records);
    void setFilter(std::uint32_t filterMask, const std::string& namePart);
    int recordOfRow(int row) const { return rowRecords_[static_cast<std::size_t>(row)]; }
    int rowOfRecord(int record) const;
    const RecordSummary& record(int n) const { return records_[static_cast<std::size_t>(n)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<RecordSummary> records_;
    std::vector<int> rowRecords_;  // row r shows record rowRecords_[r]
};

class LibraryBrowser : public QGroupBox {
    Q_OBJECT
public:
    LibraryBrowser(VoiceLibrary& library, VoiceData& voiceData, LibraryBrowserHost& host, QWidget* parent = nullptr);

    // Lists the library and, when it holds a voice, makes the first listed
    // voice current and sends it. The editors are refreshed by the caller.
    void setUp();

    // Reads the names and masks from the file again and lists them through
    // the filters; selects row 0.
    void fillList();
    // Loads the first record (start-up after the device dialog).
    void loadFirstVoice();

    void Addvoicetodatabase1Click();
    void ModifyVoiceClick();

    // Imports voice files and bank backups (also those dropped on the list):
    // asks the categories once, then
    // adds all of them or none; a damaged bank's whole voices are kept only
    // when the user says so. Says what was added and skipped.
    void importFiles(const QStringList& paths);

    // On the selected voices, from the list's context menu.
    void deleteSelected();
    void renameSelected();
    void changeCategoriesOfSelected();
    void exportSelected();

    std::uint32_t filterMask() const { return filterMask_; }
    int rowCount() const { return model_->rowCount(); }
    bool canModify() const { return rowCount() > 0; }

signals:
    // "&Modify voice in database" is enabled only while the list shows a voice.
    void modifyEnabledChanged(bool enabled);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void changeFilter(int bit, bool checked);
    // Lists the kept names through the filters; reads them first when the
    // file changed since. Keeps `record` selected when it is listed.
    void applyFilter(int record = -1);
    void reload(int record = -1);
    void listFiltered(int record);
    // The file's size and time of change: when they differ from those of the
    // last read, the kept names are read again.
    struct Stamp {
        std::uintmax_t size = 0;
        std::int64_t time = 0;
        bool operator==(const Stamp&) const = default;
    };
    Stamp stamp() const;
    std::vector<int> selectedRecords() const;
    bool ask(const QString& title, const QString& text);
    void tell(const QString& title, const QString& text);
    void extractVoice();
    void extravtVoiceKP();
    bool loadRecord(int record);
    int selectedRow() const;
    // The records the user picked, checked against the file as it is now:
    // the list is read again first when another program changed the file
    // since it was listed, and each record must still be at its number with
    // the name and categories shown. `stored` gets them as they are stored.
    // When one is gone or has moved, the user is told, nothing changes and
    // false comes back.
    bool checkPicked(const std::vector<int>& records, std::vector<LibraryRecord>& stored);

    VoiceLibrary& library_;
    VoiceData& voiceData_;
    LibraryBrowserHost& host_;
    std::uint32_t filterMask_ = 0;
    LibraryListModel* model_;
    QLineEdit* tfSearch;
    QListView* dbListBox;
    std::vector<QCheckBox*> boxes_;
    Stamp scanned_;
};

} // namespace morvane
