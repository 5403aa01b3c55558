// The " Database " box of the main window: the library's voices listed
// through sixteen category filters and a name search, loaded by a double
// click or Enter; the commands that store the current voice into the library,
// import files, and delete, rename, recategorise and export listed voices.
// The names and masks are read once and kept; a filter or a key press in the
// search box works on them, and they are read again when the library changes.
#pragma once

#include "LibraryImport.h"
#include "VoiceLibrary.h"

#include <QAbstractListModel>
#include <QGroupBox>

#include <cstdint>
#include <future>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QRadioButton;
class QDialog;
class QFileDialog;
class QLineEdit;
class QListView;
class QTimer;

namespace morvane {

class TImportVoices;
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

// What a drag of library rows carries: the record numbers, comma-separated,
// in list order.
inline constexpr const char* kLibraryRecordsMime = "application/x-morvane-records";

// The listed rows: the number and name of each record that passes the
// filter, in file order or by name. The names are kept packed beside the
// records, so a filter is one pass over them; a filter that narrows one met
// lately (a letter typed, a category ticked) works only on that one's rows,
// and the last few filters' rows are kept (a letter taken away again, a box
// unticked again).
class LibraryListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit LibraryListModel(QObject* parent = nullptr);

    // A row's record number (from 0, as the library and morvane-syx count).
    static constexpr int kRecordRole = Qt::UserRole;

    // A whole reading's records with their names packed and, for a long
    // list, their order by name: worked out on any thread (at a million
    // voices that takes longer than a frame) and taken in at once.
    struct Listing {
        std::vector<RecordSummary> records;
        std::vector<std::uint64_t> names;
        std::vector<std::uint32_t> masks;
        std::vector<int> nameOrder;  // empty: worked out when needed
    };
    static Listing listingOf(std::vector<RecordSummary> records);
    // The names packed and the masks, without the order.
    static void pack(Listing& listing);
    void setRecords(Listing listing);
    // A long list's order by name is then worked out beside the window.
    void setRecords(std::vector<RecordSummary> records);
    // Records appended to the library since: these follow the others.
    void appendRecords(std::vector<RecordSummary> records);
    // Record n changed (renamed, given other categories or another voice).
    void replaceRecord(int n, RecordSummary record);
    // The records removed from the library (those after move down).
    void removeRecords(const std::vector<int>& numbers);
    // any: records with at least one of the filter's categories, rather
    // than all of them.
    void setFilter(std::uint32_t filterMask, const std::string& namePart, bool any = false);
    // By name (ignoring case; equal names by number) or by number. While a
    // long list's order by name is still being worked out beside the window,
    // the rows stay in the order they were; nameOrderArrived says when it is
    // there.
    void setSortByName(bool byName) { byName_ = byName; }
    // Whether the rows listed are in order by name.
    bool listedByName() const { return shown_ && shown_->byName; }
    // Whether the order by name is there (taken in when it was worked out
    // beside the window); never waits.
    bool nameOrderReady();
    int recordOfRow(int row) const { return rowRecords_[static_cast<std::size_t>(row)]; }
    int rowOfRecord(int record) const;
    const RecordSummary& record(int n) const { return records_[static_cast<std::size_t>(n)]; }
    int recordCount() const { return static_cast<int>(records_.size()); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Rows are dragged out (to a bank window) as their record numbers.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

signals:
    // The order by name was asked for before it was there, and is there now:
    // set the filter again to list by name.
    void nameOrderArrived();

private:
    struct Filter {
        std::uint32_t mask = 0;      // categories only; 0 lets every record through
        bool any = false;            // one of them rather than all (never with one alone)
        std::string part;            // in lower case
        std::uint64_t packedPart = 0;
        bool byName = false;
        bool operator==(const Filter& other) const
        {
            return mask == other.mask && any == other.any && part == other.part && byName == other.byName;
        }
        // Whether every record this filter lets through also passes `wider`.
        bool implies(const Filter& wider) const;
        bool passesCategories(std::uint32_t categories) const;
        bool passesName(std::uint64_t name) const;
    };
    struct Recent {
        Filter filter;
        std::vector<int> rows;
    };
    static constexpr std::size_t kRecentFilters = 8;
    // Every record in the list's order (by name only once that order is there).
    const std::vector<int>& everyRecord(bool byName);
    // The rows listed and kept were of other records: made again.
    void forgetFilters();
    static std::vector<int> orderByName(const std::vector<std::uint64_t>& names);
    // The order by name is out of date: a long list's is worked out again
    // beside the window.
    void orderAgain();
    void checkComingOrder();
    static constexpr std::size_t kOrderBesideFrom = 50000;

    std::vector<RecordSummary> records_;
    std::vector<std::uint64_t> names_;  // each name in lower case, packed
    std::vector<std::uint32_t> masks_;  // each record's categories, side by side (a filter reads only these)
    std::vector<int> rowRecords_;  // row r shows record rowRecords_[r]
    std::vector<int> scratch_;     // a filter's rows as they are found (kept: its memory is ready)
    mutable std::vector<int> rowOfRecord_;  // the other way round, by name; made when needed again
    mutable int lookups_ = 0;
    bool byName_ = false;
    std::vector<int> nameOrder_;   // every record, by name; made when first needed
    std::future<std::vector<int>> comingNameOrder_;
    QTimer* orderWatch_;  // looks for the order coming from beside the window
    std::vector<int> numberOrder_; // every record, by number
    std::vector<Recent> recent_;   // the latest first
    std::optional<Filter> shown_;  // what rowRecords_ was made by
};

// What the progress dialog of work beside the window says, and its name.
struct BesideText {
    QString title = QStringLiteral("Import voices");
    QString label = QStringLiteral("Importing voices into the library...");
    QString name = QStringLiteral("ImportProgress");
};

// Runs `work` (an import into the library at `path`, or another change of
// it) on a thread of its own, through a library object of its own, and
// returns when it is done: meanwhile the windows go on painting; when it
// takes longer than kShowImportProgressAfterMs the progress dialog (named
// by `text`) shows how far it got, and its Cancel sets progress.cancel.
// Until then key presses and clicks wait.
inline constexpr int kShowImportProgressAfterMs = 300;
void runBeside(QWidget* parent, const std::string& path,
               const std::function<void(VoiceLibrary& library, ReadProgress& progress)>& work,
               const BesideText& text = {});

class LibraryBrowser : public QGroupBox {
    Q_OBJECT
public:
    LibraryBrowser(VoiceLibrary& library, VoiceData& voiceData, LibraryBrowserHost& host, QWidget* parent = nullptr);

    // Lists the library and, when it holds a voice, makes the first listed
    // voice current without sending it. The editors are refreshed by the
    // caller. A long library is listed when its reading beside the window
    // is there; its first voice is made current at once.
    void setUp();

    // Reads the names and masks from the file again and lists them through
    // the filters; selects row 0.
    void fillList();
    // Loads the first record and, when asked, sends it.
    void loadFirstVoice(bool send);

    void Addvoicetodatabase1Click();
    void ModifyVoiceClick();

    // Imports voice files and bank backups (also those dropped on the list):
    // lists their voices for each to be given its categories (or the same
    // for all), then adds all of them or none; a damaged bank's whole voices
    // are kept only when the user says so. Says what was added and skipped.
    void importFiles(const QStringList& paths);

    // On the selected voices, from the list's context menu.
    void deleteSelected();
    void renameSelected();
    void changeCategoriesOfSelected();
    void exportSelected();

    std::uint32_t filterMask() const { return filterMask_; }
    // Whether the filter lists voices with any of the ticked categories
    // rather than all of them; the switch beside the boxes.
    bool filterAny() const { return filterAny_; }
    void setFilterAny(bool any);
    void setSortByName(bool byName);
    // Puts the keyboard focus in the list.
    void focusList();
    // Selects the record in the list (when the filter shows it), or nothing
    // when record is -1: the list follows the voice loaded.
    void showLoadedRecord(int record);
    // The records with this name (8 characters), from the names kept (read
    // again when the file changed).
    std::vector<int> recordsNamed(const std::string& name);
    int rowCount() const { return model_->rowCount(); }
    // The record of the list's current row; -1 with none.
    int currentRecord() const;
    bool canModify() const { return rowCount() > 0; }

signals:
    // "&Modify voice in database" is enabled only while the list shows a voice.
    void modifyEnabledChanged(bool enabled);
    void filterAnyChanged(bool any);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Makes the search box's clear button, once.
    void offerClearButton();
    void changeFilter(int bit, bool checked);
    // Lists the kept names through the filters; reads them first when the
    // file changed since. Keeps `record` selected when it is listed.
    void applyFilter(int record = -1);
    // Reads the names again. A long library is read beside the window: the
    // list stays as it was until the reading is there, then shows it
    // (keeping the current record selected); true when it was read at once
    // and listed.
    bool reload(int record = -1);
    void takeComingReading();
    // What a change of the library made beside the window brought back.
    struct Changed;
    // Makes a change of the library beside the window (see runBeside,
    // titled `title`), then lists it (keeping `record` selected): `takeIn`
    // brings the kept names up to date when nothing else changed the file
    // (false: they are read again). `reread`: a record to read again after
    // the change, for takeIn (-1: none). Both numbers are looked at only
    // after `change`, which may set them (an append learns there which
    // number its record got).
    void changeLibrary(const QString& title,
                       const std::function<LibraryResult(VoiceLibrary& library, ReadProgress& progress)>& change,
                       const std::function<bool(const Changed& changed)>& takeIn, const int& record,
                       const int& reread);
    // Takes the record as read again after a change into the kept names;
    // false when it could not be read.
    bool takeRecordAgain(int record, const Changed& changed);
    void listFiltered(int record);
    // The file's size, time of change and identity, and the time of its
    // last change in place: when they differ from those of the last read,
    // the kept names are read again (only the appended ones when the same
    // file only grew, up to this many).
    struct Stamp {
        std::uintmax_t size = 0;
        std::int64_t time = 0;
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t changedInPlace = 0;
        bool operator==(const Stamp&) const = default;
    };
    static constexpr int kReadAppendedUpTo = 256;
    static Stamp stampOf(const VoiceLibrary& library);
    // What reading the library again gave: the records appended since the
    // reading `scanned` of `had` records, or all of them. Needs nothing of
    // the browser, so an import's thread does it too.
    struct Reading {
        Stamp stamp;
        bool appended = false;
        std::vector<RecordSummary> records;   // the appended ones
        LibraryListModel::Listing listing;    // or all of them
        LibraryResult result;
    };
    static Reading readLibrary(const VoiceLibrary& library, const Stamp& scanned, int had);
    // Whether the library at `now` only grew by a few records since the
    // reading `scanned` of `had` records.
    static bool onlyAppended(const Stamp& scanned, int had, const Stamp& now);
    // From this many records a whole reading is made beside the window.
    static constexpr int kReadBesideFrom = 50000;
    void takeReading(Reading reading, int record);
    // An import run off this thread: its report and, unless it was refused,
    // the library read again afterwards.
    struct ImportRun {
        ImportReport report;
        Reading reading;
    };
    ImportRun runImport(const std::vector<std::string>& files, const ImportMasks& masks, bool keepWhole);
    std::vector<int> selectedRecords() const;
    bool ask(const QString& title, const QString& text);
    void tell(const QString& title, const QString& text);
    void extractVoice();
    void extravtVoiceKP();
    bool loadRecord(int record, bool send = true);
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
    bool filterAny_ = false;
    QRadioButton* rbAll;
    QRadioButton* rbAny;
    QComboBox* cbSort;
    LibraryListModel* model_;
    QLineEdit* tfSearch;
    QListView* dbListBox;
    std::vector<QCheckBox*> boxes_;
    Stamp scanned_;
    // A reading going on beside the window, and the count of the readings
    // taken in (one taken in after the coming one began makes it out of date).
    std::future<Reading> comingReading_;
    int readingsTaken_ = 0;
    int comingAfter_ = 0;
    QTimer* readingWatch_;
    TImportVoices* importDialog_ = nullptr;
    QFileDialog* exportDialog_ = nullptr;
};

} // namespace morvane
