// The " Database " box of the main window: the library's voices listed
// through sixteen category filters, loaded by a double click or Enter, and
// the two commands that store the current voice into the library.
#pragma once

#include "VoiceLibrary.h"

#include <QAbstractListModel>
#include <QGroupBox>

#include <cstdint>
#include <vector>

class QCheckBox;
class QDialog;
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
    // Tells the user that the library could not be read or written.
    virtual void reportLibraryError(const QString& text) = 0;
};

// The listed rows: names of the records that pass the filter, in file order.
class LibraryListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setRecords(std::vector<RecordSummary> records, std::uint32_t filterMask);
    int recordOfRow(int row) const { return rowRecords_[static_cast<std::size_t>(row)]; }

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

    // Rebuilds the list from the file and the filter; selects row 0.
    void fillList();
    // Loads the first record (start-up after the device dialog).
    void loadFirstVoice();

    void Addvoicetodatabase1Click();
    void ModifyVoiceClick();

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
    void extractVoice();
    void extravtVoiceKP();
    bool loadRecord(int record);
    int selectedRow() const;

    VoiceLibrary& library_;
    VoiceData& voiceData_;
    LibraryBrowserHost& host_;
    std::uint32_t filterMask_ = 0;
    LibraryListModel* model_;
    QListView* dbListBox;
    std::vector<QCheckBox*> boxes_;
};

} // namespace morvane
