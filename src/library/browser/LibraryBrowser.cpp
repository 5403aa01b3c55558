#include "LibraryBrowser.h"

#include "CategoryBoxes.h"
#include "TSelectVoiceType.h"
#include "VoiceData.h"

#include <QCheckBox>
#include <QDialog>
#include <QFont>
#include <QKeyEvent>
#include <QListView>

namespace morvane {

namespace {

constexpr int kBoxTops[kCategoryCount] = {16, 37, 58, 78, 99, 120, 141, 162, 182, 203, 224, 245, 266, 286, 307, 328};

} // namespace

void LibraryListModel::setRecords(std::vector<RecordSummary> records, std::uint32_t filterMask)
{
    beginResetModel();
    records_ = std::move(records);
    rowRecords_.clear();
    for (std::size_t n = 0; n < records_.size(); ++n)
        if (matchesFilter(records_[n].categories, filterMask))
            rowRecords_.push_back(static_cast<int>(n));
    endResetModel();
}

int LibraryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rowRecords_.size());
}

QVariant LibraryListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(records_[static_cast<std::size_t>(recordOfRow(index.row()))].name);
    if (role == Qt::ToolTipRole)
        return QStringLiteral("Double click a voice name to load it");
    return {};
}

LibraryBrowser::LibraryBrowser(VoiceLibrary& library, VoiceData& voiceData, LibraryBrowserHost& host,
                               QWidget* parent)
    : QGroupBox(QStringLiteral(" Database "), parent), library_(library), voiceData_(voiceData), host_(host),
      model_(new LibraryListModel(this)), dbListBox(new QListView(this))
{
    setObjectName(QStringLiteral("GroupBox1"));
    setFixedSize(209, 353);

    for (std::size_t i = 0; i < kCategoryBoxes.size(); ++i) {
        const CategoryBox& category = kCategoryBoxes[i];
        QCheckBox* box = makeCategoryBox(category, this);
        box->setLayoutDirection(Qt::RightToLeft);  // caption left of the box
        box->setGeometry(4, kBoxTops[i], 81, 17);
        const int bit = category.bit;
        connect(box, &QCheckBox::clicked, this, [this, bit](bool checked) { changeFilter(bit, checked); });
        boxes_.push_back(box);
    }

    dbListBox->setObjectName(QStringLiteral("dbListBox"));
    dbListBox->setModel(model_);
    dbListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    dbListBox->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbListBox->setUniformItemSizes(true);  // keeps a list of 100,000 names quick
    dbListBox->setToolTip(QStringLiteral("Double click a voice name to load it"));
    dbListBox->setGeometry(90, 16, 111, 329);
    QFont bold = dbListBox->font();
    bold.setBold(true);
    dbListBox->setFont(bold);
    connect(dbListBox, &QListView::doubleClicked, this, &LibraryBrowser::extractVoice);
    dbListBox->installEventFilter(this);
}

void LibraryBrowser::setUp()
{
    // Opening once creates a missing library and tells the user at once when
    // an existing one cannot be used.
    if (const LibraryResult opened = library_.openLibrary(); !opened)
        host_.reportLibraryError(QString::fromStdString(opened.error()));
    library_.closeLibrary();
    filterMask_ = 0;
    fillList();
    if (rowCount() > 0)
        loadRecord(model_->recordOfRow(0));
}

void LibraryBrowser::fillList()
{
    std::vector<RecordSummary> records;
    if (const LibraryResult scanned = library_.scanRecords(records); !scanned)
        host_.reportLibraryError(QString::fromStdString(scanned.error()));
    model_->setRecords(std::move(records), filterMask_);
    const bool any = rowCount() > 0;
    if (any)
        dbListBox->setCurrentIndex(model_->index(0));
    emit modifyEnabledChanged(any);
}

void LibraryBrowser::loadFirstVoice()
{
    if (library_.recordCount() > 0)
        loadRecord(0);
}

bool LibraryBrowser::loadRecord(int record)
{
    if (const LibraryResult loaded = library_.loadRecord(record, voiceData_); !loaded) {
        host_.reportLibraryError(QString::fromStdString(loaded.error()));
        return false;
    }
    host_.sendVoice();
    return true;
}

int LibraryBrowser::selectedRow() const
{
    const QModelIndexList selected = dbListBox->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void LibraryBrowser::changeFilter(int bit, bool checked)
{
    if (checked)
        filterMask_ |= categoryBit(static_cast<std::size_t>(bit));
    else
        filterMask_ &= ~categoryBit(static_cast<std::size_t>(bit));
    fillList();
}

void LibraryBrowser::extractVoice()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    loadRecord(model_->recordOfRow(row));
    host_.refreshEditors();
}

void LibraryBrowser::extravtVoiceKP()
{
    const int row = selectedRow();
    if (row >= 0)
        loadRecord(model_->recordOfRow(row));
    host_.refreshEditors();
}

bool LibraryBrowser::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == dbListBox && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            extravtVoiceKP();
            return true;
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

void LibraryBrowser::Addvoicetodatabase1Click()
{
    TSelectVoiceType& dialog = host_.selectVoiceType();
    host_.showModal(dialog);
    const std::uint32_t categories = dialog.buildCategoryMask();
    if (categories == 0)
        return;  // the dialog was not answered; there is nothing to store
    if (const LibraryResult added = library_.appendRecord(categories, voiceData_); !added)
        host_.reportLibraryError(QString::fromStdString(added.error()));
    fillList();
}

void LibraryBrowser::ModifyVoiceClick()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const int record = model_->recordOfRow(row);
    TSelectVoiceType& dialog = host_.selectVoiceType();
    host_.showModal(dialog);
    const std::uint32_t categories = dialog.buildCategoryMask();
    if (host_.showModal(host_.overwriteDialog()) != QDialog::Accepted || categories == 0)
        return;
    if (const LibraryResult replaced = library_.overwriteRecord(record, categories, voiceData_); !replaced)
        host_.reportLibraryError(QString::fromStdString(replaced.error()));
    fillList();
}

} // namespace morvane
