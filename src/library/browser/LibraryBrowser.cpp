#include "LibraryBrowser.h"

#include "CategoryBoxes.h"
#include "LibraryImport.h"
#include "TImportVoices.h"
#include "TSelectVoiceType.h"
#include "VoiceSource.h"
#include "VoiceData.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QStyledItemDelegate>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QEventLoop>
#include <QUrl>

#include <algorithm>
#include <iterator>
#include <bit>
#include <cctype>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <chrono>
#include <future>
#include <thread>

#include <sys/stat.h>

namespace morvane {

namespace {

// Shows each voice with its number in the library before its name.
class NumberedDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = QStringLiteral("%1  %2").arg(index.data(LibraryListModel::kRecordRole).toInt(), 4).arg(option->text);
    }
};

// The list of voices. Its rows are placed in slices (see the browser), so a
// row far down may not have its place yet when it is to be scrolled to: that
// is done once the last slice is placed.
class LibraryListView : public QListView {
public:
    using QListView::QListView;
    static constexpr int kRowsPerSlice = 10000;

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override
    {
        pending_ = QPersistentModelIndex();
        if (index.isValid() && !visualRect(index).isValid()) {
            pending_ = index;
            pendingHint_ = hint;
            return;
        }
        QListView::scrollTo(index, hint);
    }

protected:
    void updateGeometries() override
    {
        QListView::updateGeometries();
        if (pending_.isValid() && visualRect(pending_).isValid()) {
            const QModelIndex index = pending_;
            pending_ = QPersistentModelIndex();
            QListView::scrollTo(index, pendingHint_);
        }
    }

private:
    QPersistentModelIndex pending_;
    ScrollHint pendingHint_ = EnsureVisible;
};

// Names are ASCII; the locale plays no part.
constexpr char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Up to eight characters in one word, the first in the lowest byte.
std::uint64_t packed(std::string_view text)
{
    std::uint64_t word = 0;
    for (std::size_t i = 0; i < text.size() && i < 8; ++i)
        word |= std::uint64_t{static_cast<unsigned char>(lowerAscii(text[i]))} << (8 * i);
    return word;
}

// A packed name turned round: the key of the order by name (ignoring
// case), the first character in the highest byte.
constexpr std::uint64_t sortKey(std::uint64_t name)
{
    std::uint64_t key = 0;
    for (int i = 0; i < 8; ++i, name >>= 8)
        key = (key << 8) | (name & 0xFF);
    return key;
}
static_assert(sortKey(0x0807060504030201ull) == 0x0102030405060708ull);

// Whether the packed name holds the character anywhere: one test over all
// eight bytes, without a branch.
inline bool holdsCharacter(std::uint64_t name, std::uint64_t character)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    const std::uint64_t apart = name ^ (kOnes * character);
    return ((apart - kOnes) & ~apart & (kOnes << 7)) != 0;
}

// Whether the packed part of `length` characters (1 to 8) is in the packed name.
bool holds(std::uint64_t name, std::uint64_t part, std::size_t length)
{
    // Most names lack the first character.
    if (!holdsCharacter(name, part & 0xFF))
        return false;
    const std::uint64_t keep = length >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * length)) - 1;
    for (std::size_t at = 0; at + length <= 8; ++at)
        if (((name >> (8 * at)) & keep) == part)
            return true;
    return false;
}

} // namespace

bool LibraryListModel::Filter::implies(const Filter& wider) const
{
    if (byName != wider.byName || part.find(wider.part) == std::string::npos)
        return false;
    if (wider.mask == 0)
        return true;
    if (mask == 0)
        return false;
    if (!wider.any)  // every one of wider's categories must be among ours, all of them carried
        return !any && (wider.mask & ~mask) == 0;
    // wider lists records with one of its categories
    return any ? (mask & ~wider.mask) == 0 : (mask & wider.mask) != 0;
}

bool LibraryListModel::Filter::passesCategories(std::uint32_t categories) const
{
    return mask == 0 || (any ? (categories & mask) != 0 : (mask & ~categories) == 0);
}

bool LibraryListModel::Filter::passesName(std::uint64_t name) const
{
    return part.empty() || (part.size() <= 8 && holds(name, packedPart, part.size()));
}

LibraryListModel::LibraryListModel(QObject* parent) : QAbstractListModel(parent), orderWatch_(new QTimer(this))
{
    orderWatch_->setInterval(10);
    connect(orderWatch_, &QTimer::timeout, this, &LibraryListModel::checkComingOrder);
}

void LibraryListModel::pack(Listing& listing)
{
    // Room for records appended later, as the records have.
    listing.names.reserve(listing.records.capacity());
    listing.masks.reserve(listing.records.capacity());
    listing.names.resize(listing.records.size());
    listing.masks.resize(listing.records.size());
    for (std::size_t n = 0; n < listing.records.size(); ++n) {
        listing.names[n] = packed(listing.records[n].name);
        listing.masks[n] = listing.records[n].categories;
    }
}

LibraryListModel::Listing LibraryListModel::listingOf(std::vector<RecordSummary> records)
{
    Listing listing;
    listing.records = std::move(records);
    pack(listing);
    if (listing.names.size() >= kOrderBesideFrom)
        listing.nameOrder = orderByName(listing.names);
    return listing;
}

void LibraryListModel::setRecords(std::vector<RecordSummary> records)
{
    Listing listing;
    listing.records = std::move(records);
    pack(listing);
    setRecords(std::move(listing));
}

void LibraryListModel::setRecords(Listing listing)
{
    beginResetModel();
    // What is listed now goes on a thread of its own: letting go of a
    // million names takes longer than a frame.
    std::swap(records_, listing.records);
    std::swap(names_, listing.names);
    std::swap(masks_, listing.masks);
    std::swap(nameOrder_, listing.nameOrder);
    if (listing.records.size() >= kOrderBesideFrom)
        std::thread([old = std::move(listing)] {}).detach();
    comingNameOrder_ = {};
    if (nameOrder_.size() != records_.size())
        orderAgain();
    // The memory the first filter of a long list writes to, made ready now.
    if (scratch_.size() < records_.size())
        scratch_.resize(records_.capacity());
    forgetFilters();
    endResetModel();
}

void LibraryListModel::orderAgain()
{
    nameOrder_.clear();
    comingNameOrder_ = {};
    orderWatch_->stop();
    // A long list is put in order by name beside the window, in case it is
    // asked for: at a million names that takes longer than a frame.
    if (names_.size() < kOrderBesideFrom)
        return;
    std::packaged_task<std::vector<int>()> sorting([names = names_] { return orderByName(names); });
    comingNameOrder_ = sorting.get_future();
    std::thread(std::move(sorting)).detach();
    orderWatch_->start();
}

std::vector<int> LibraryListModel::orderByName(const std::vector<std::uint64_t>& names)
{
    std::vector<std::pair<std::uint64_t, int>> keyed(names.size());
    for (std::size_t n = 0; n < names.size(); ++n)
        keyed[n] = {sortKey(names[n]), static_cast<int>(n)};
    std::sort(keyed.begin(), keyed.end());
    std::vector<int> order(keyed.size());
    for (std::size_t i = 0; i < keyed.size(); ++i)
        order[i] = keyed[i].second;
    return order;
}

bool LibraryListModel::nameOrderReady()
{
    if (nameOrder_.size() == records_.size())
        return true;
    if (comingNameOrder_.valid()) {
        if (comingNameOrder_.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return false;
        nameOrder_ = comingNameOrder_.get();
        orderWatch_->stop();
        return nameOrder_.size() == records_.size();
    }
    // A short list is put in order on the spot.
    if (names_.size() < kOrderBesideFrom) {
        nameOrder_ = orderByName(names_);
        return true;
    }
    orderAgain();
    return false;
}

void LibraryListModel::checkComingOrder()
{
    if (!nameOrderReady())
        return;
    orderWatch_->stop();
    if (byName_ && shown_ && !shown_->byName)
        emit nameOrderArrived();
}

void LibraryListModel::appendRecords(std::vector<RecordSummary> records)
{
    beginResetModel();
    const std::size_t had = records_.size();
    const bool ordered = had > 0 && nameOrderReady();
    records_.insert(records_.end(), std::make_move_iterator(records.begin()), std::make_move_iterator(records.end()));
    names_.resize(records_.size());
    masks_.resize(records_.size());
    for (std::size_t n = had; n < records_.size(); ++n) {
        names_[n] = packed(records_[n].name);
        masks_[n] = records_[n].categories;
    }
    // The order by name, when made, takes the new records in: a few (a
    // voice added) each at its place, since merging a million takes longer
    // than a frame; many by merging.
    if (ordered) {
        const auto before = [this](int a, int b) {
            const std::uint64_t keyA = sortKey(names_[static_cast<std::size_t>(a)]);
            const std::uint64_t keyB = sortKey(names_[static_cast<std::size_t>(b)]);
            return keyA != keyB ? keyA < keyB : a < b;
        };
        constexpr std::size_t kPlacedOneByOne = 16;
        if (nameOrder_.capacity() < records_.size())
            nameOrder_.reserve(records_.size() + records_.size() / 16 + 256);
        if (records_.size() - had <= kPlacedOneByOne) {
            for (std::size_t n = had; n < records_.size(); ++n)
                nameOrder_.insert(std::lower_bound(nameOrder_.begin(), nameOrder_.end(), static_cast<int>(n), before),
                                  static_cast<int>(n));
        } else {
            for (std::size_t n = had; n < records_.size(); ++n)
                nameOrder_.push_back(static_cast<int>(n));
            const auto middle = nameOrder_.begin() + static_cast<std::ptrdiff_t>(had);
            std::sort(middle, nameOrder_.end(), before);
            std::inplace_merge(nameOrder_.begin(), middle, nameOrder_.end(), before);
        }
    } else {
        orderAgain();
    }
    forgetFilters();
    endResetModel();
}

void LibraryListModel::replaceRecord(int n, RecordSummary record)
{
    beginResetModel();
    const bool ordered = nameOrderReady();
    const auto at = static_cast<std::size_t>(n);
    records_[at] = std::move(record);
    names_[at] = packed(records_[at].name);
    masks_[at] = records_[at].categories;
    // Its place by name, when that order is made: taken out and put in again.
    if (ordered) {
        nameOrder_.erase(std::find(nameOrder_.begin(), nameOrder_.end(), n));
        const auto key = [this](int r) {
            return std::make_pair(sortKey(names_[static_cast<std::size_t>(r)]), r);
        };
        nameOrder_.insert(std::lower_bound(nameOrder_.begin(), nameOrder_.end(), n,
                                           [&](int a, int b) { return key(a) < key(b); }),
                          n);
    } else {
        orderAgain();
    }
    forgetFilters();
    endResetModel();
}

void LibraryListModel::removeRecords(const std::vector<int>& numbers)
{
    beginResetModel();
    const bool ordered = nameOrderReady();
    // Each record's number after the removal; -1 for a removed one. (In
    // the memory the filters use, which is ready.)
    std::vector<int>& moved = scratch_;
    moved.assign(records_.size(), 0);
    for (const int n : numbers)
        if (n >= 0 && n < recordCount())
            moved[static_cast<std::size_t>(n)] = -1;
    // The records before the first removed one stay where they are.
    std::size_t first = records_.size();
    for (const int n : numbers)
        if (n >= 0 && n < recordCount())
            first = std::min(first, static_cast<std::size_t>(n));
    for (std::size_t n = 0; n < first; ++n)
        moved[n] = static_cast<int>(n);
    std::size_t next = first;
    for (std::size_t n = first; n < records_.size(); ++n) {
        if (moved[n] < 0)
            continue;
        moved[n] = static_cast<int>(next);
        if (next != n) {
            records_[next] = std::move(records_[n]);
            names_[next] = names_[n];
            masks_[next] = masks_[n];
        }
        ++next;
    }
    records_.resize(next);
    names_.resize(next);
    masks_.resize(next);
    if (ordered) {
        std::size_t kept = 0;
        for (const int n : nameOrder_)
            if (moved[static_cast<std::size_t>(n)] >= 0)
                nameOrder_[kept++] = moved[static_cast<std::size_t>(n)];
        nameOrder_.resize(kept);
    } else {
        orderAgain();
    }
    forgetFilters();
    endResetModel();
}

void LibraryListModel::forgetFilters()
{
    rowRecords_.clear();
    rowOfRecord_.clear();
    lookups_ = 0;
    recent_.clear();
    shown_.reset();
}

const std::vector<int>& LibraryListModel::everyRecord(bool byName)
{
    if (byName)
        return nameOrder_;
    if (numberOrder_.size() != records_.size()) {
        numberOrder_.resize(records_.size());
        for (std::size_t n = 0; n < numberOrder_.size(); ++n)
            numberOrder_[n] = static_cast<int>(n);
    }
    return numberOrder_;
}

void LibraryListModel::setFilter(std::uint32_t filterMask, const std::string& namePart, bool any)
{
    Filter filter;
    filter.mask = filterMask & kCategoryBits;
    // One category is the same rule either way.
    filter.any = any && std::popcount(filter.mask) > 1;
    filter.part.resize(namePart.size());
    std::transform(namePart.begin(), namePart.end(), filter.part.begin(), lowerAscii);
    filter.packedPart = packed(filter.part);
    // A long list's order by name that is not there yet: the rows stay by
    // number until it is.
    filter.byName = byName_ && nameOrderReady();
    if (shown_ && *shown_ == filter)
        return;  // the list already shows this

    std::vector<int> rows;
    const auto cached = std::find_if(recent_.begin(), recent_.end(),
                                     [&](const Recent& entry) { return entry.filter == filter; });
    if (cached != recent_.end()) {
        rows = cached->rows;
        std::rotate(recent_.begin(), cached, cached + 1);  // the latest first
    } else if (filter.mask == 0 && filter.part.empty()) {
        rows = everyRecord(filter.byName);
    } else {
        // A filter that only narrows one met lately works on its rows; the
        // fewest such rows are taken.
        const std::vector<int>* from = &everyRecord(filter.byName);
        for (const Recent& entry : recent_)
            if (filter.implies(entry.filter) && entry.rows.size() < from->size())
                from = &entry.rows;
        // At a million voices memory and missed branches are the cost: the
        // masks are read only when categories are ticked, the names only
        // when a part is typed; every row is written and kept or not without
        // a branch, and the names that hold the part's first two characters
        // (few) are the only ones looked at closely.
        const std::size_t length = filter.part.size();
        const std::uint64_t first = filter.packedPart & 0xFF;
        const std::uint64_t second = length > 1 ? (filter.packedPart >> 8) & 0xFF : first;
        const auto collect = [&](auto passes) {
            scratch_.resize(from->size());
            std::size_t kept = 0;
            for (const int n : *from) {
                scratch_[kept] = n;
                kept += passes(static_cast<std::size_t>(n)) ? 1 : 0;
            }
            rows.assign(scratch_.begin(), scratch_.begin() + static_cast<std::ptrdiff_t>(kept));
        };
        if (length > 8) {
            // no name holds it
        } else if (length == 0) {
            collect([&](std::size_t at) { return filter.passesCategories(masks_[at]); });
        } else if (filter.mask == 0 && length == 1) {
            collect([&](std::size_t at) { return holdsCharacter(names_[at], first); });
        } else {
            collect([&](std::size_t at) {
                const std::uint64_t name = names_[at];
                const bool maybe = (filter.mask == 0 || filter.passesCategories(masks_[at]))
                                   & holdsCharacter(name, first) & holdsCharacter(name, second);
                return maybe && (length == 1 || filter.passesName(name));
            });
        }
        recent_.insert(recent_.begin(), {filter, rows});
        if (recent_.size() > kRecentFilters)
            recent_.pop_back();
    }
    beginResetModel();
    rowRecords_ = std::move(rows);
    rowOfRecord_.clear();
    lookups_ = 0;
    shown_ = filter;
    endResetModel();
}

int LibraryListModel::rowOfRecord(int record) const
{
    if (listedByName()) {
        // The first look-up walks the list (one look-up follows every
        // change of the list); from the second on, the rows of every record
        // are worked out once, so a list of a million is not walked per
        // look-up.
        if (rowOfRecord_.empty() && lookups_++ == 0) {
            const auto it = std::find(rowRecords_.begin(), rowRecords_.end(), record);
            return it != rowRecords_.end() ? static_cast<int>(it - rowRecords_.begin()) : -1;
        }
        if (rowOfRecord_.empty() && !rowRecords_.empty()) {
            rowOfRecord_.assign(records_.size(), -1);
            for (std::size_t row = 0; row < rowRecords_.size(); ++row)
                rowOfRecord_[static_cast<std::size_t>(rowRecords_[row])] = static_cast<int>(row);
        }
        return record >= 0 && static_cast<std::size_t>(record) < rowOfRecord_.size()
                   ? rowOfRecord_[static_cast<std::size_t>(record)]
                   : -1;
    }
    const auto it = std::lower_bound(rowRecords_.begin(), rowRecords_.end(), record);
    return it != rowRecords_.end() && *it == record ? static_cast<int>(it - rowRecords_.begin()) : -1;
}

int LibraryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rowRecords_.size());
}

Qt::ItemFlags LibraryListModel::flags(const QModelIndex& index) const
{
    return QAbstractListModel::flags(index) | (index.isValid() ? Qt::ItemIsDragEnabled : Qt::NoItemFlags);
}

QStringList LibraryListModel::mimeTypes() const
{
    return {QString::fromLatin1(kLibraryRecordsMime)};
}

QMimeData* LibraryListModel::mimeData(const QModelIndexList& indexes) const
{
    QModelIndexList rows = indexes;
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList records;
    for (const QModelIndex& index : rows)
        records.push_back(QString::number(recordOfRow(index.row())));
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kLibraryRecordsMime), records.join(QLatin1Char(',')).toLatin1());
    return mime;
}

QVariant LibraryListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(records_[static_cast<std::size_t>(recordOfRow(index.row()))].name);
    if (role == kRecordRole)
        return recordOfRow(index.row());
    if (role == Qt::ToolTipRole)
        return QStringLiteral("Double click a voice name to load it");
    return {};
}

LibraryBrowser::LibraryBrowser(VoiceLibrary& library, VoiceData& voiceData, LibraryBrowserHost& host,
                               QWidget* parent)
    : QGroupBox(QStringLiteral(" Database "), parent), library_(library), voiceData_(voiceData), host_(host),
      model_(new LibraryListModel(this)), tfSearch(new QLineEdit(this)), dbListBox(new LibraryListView(this)),
      readingWatch_(new QTimer(this))
{
    readingWatch_->setInterval(10);
    connect(readingWatch_, &QTimer::timeout, this, &LibraryBrowser::takeComingReading);
    // The order by name asked for is there: the list shows it, the same
    // voice selected.
    connect(model_, &LibraryListModel::nameOrderArrived, this, [this] {
        listFiltered(currentRecord());
        dbListBox->scrollTo(dbListBox->currentIndex());
    });
    setObjectName(QStringLiteral("GroupBox1"));
    setToolTip(QStringLiteral("Voice library: %1").arg(QString::fromStdString(library.path())));

    auto* boxColumn = new QVBoxLayout;
    boxColumn->setSpacing(2);
    for (std::size_t i = 0; i < kCategoryBoxes.size(); ++i) {
        const CategoryBox& category = kCategoryBoxes[i];
        QCheckBox* box = makeCategoryBox(category, this);
        box->setLayoutDirection(Qt::RightToLeft);  // caption left of the box
        const int bit = category.bit;
        connect(box, &QCheckBox::clicked, this, [this, bit](bool checked) { changeFilter(bit, checked); });
        boxColumn->addWidget(box);
        boxes_.push_back(box);
    }
    // Whether a voice must carry every ticked category or one of them.
    rbAll = new QRadioButton(QStringLiteral("All"), this);
    rbAll->setObjectName(QStringLiteral("rbAll"));
    rbAll->setToolTip(QStringLiteral("List the voices that carry every ticked category"));
    rbAny = new QRadioButton(QStringLiteral("Any"), this);
    rbAny->setObjectName(QStringLiteral("rbAny"));
    rbAny->setToolTip(QStringLiteral("List the voices that carry at least one ticked category"));
    rbAll->setChecked(true);
    connect(rbAny, &QRadioButton::toggled, this, [this](bool any) {
        if (any == filterAny_)
            return;
        filterAny_ = any;
        applyFilter(currentRecord());
        emit filterAnyChanged(any);
    });
    auto* matchRow = new QHBoxLayout;
    matchRow->setSpacing(4);
    matchRow->addStretch();
    matchRow->addWidget(rbAll);
    matchRow->addWidget(rbAny);
    boxColumn->addSpacing(4);
    boxColumn->addLayout(matchRow);
    boxColumn->addStretch();

    tfSearch->setObjectName(QStringLiteral("tfSearch"));
    tfSearch->setPlaceholderText(QStringLiteral("Find name"));
    tfSearch->setToolTip(QStringLiteral("Type a part of a voice name to list only those voices"));
    // The clear button shows only while there is text. Its icon is looked
    // up in the desktop's icon theme, which takes longer than making the
    // rest of the main window, so it is made when the box is first used.
    tfSearch->installEventFilter(this);
    connect(tfSearch, &QLineEdit::textChanged, this, [this] {
        offerClearButton();
        applyFilter();
    });

    cbSort = new QComboBox(this);
    cbSort->setObjectName(QStringLiteral("cbSort"));
    cbSort->addItems({QStringLiteral("By number"), QStringLiteral("By name")});
    cbSort->setToolTip(QStringLiteral("The order of the list"));
    connect(cbSort, &QComboBox::currentIndexChanged, this, [this](int index) { setSortByName(index == 1); });

    dbListBox->setObjectName(QStringLiteral("dbListBox"));
    dbListBox->setModel(model_);
    dbListBox->setItemDelegate(new NumberedDelegate(dbListBox));
    dbListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
    dbListBox->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbListBox->setDragEnabled(true);   // voices into a bank window
    dbListBox->setUniformItemSizes(true);  // keeps a list of 100,000 names quick
    // Rows are placed a slice at a time between events, so that a list of a
    // million names changes within a frame and the rest follows unseen.
    dbListBox->setLayoutMode(QListView::Batched);
    dbListBox->setBatchSize(LibraryListView::kRowsPerSlice);
    dbListBox->setToolTip(QStringLiteral("Double click a voice name to load it"));
    QFont bold = dbListBox->font();
    bold.setBold(true);
    bold.setStyleHint(QFont::TypeWriter);
    bold.setFamily(QStringLiteral("monospace"));
    dbListBox->setFont(bold);
    dbListBox->setMinimumWidth(QFontMetrics(bold).horizontalAdvance(QStringLiteral("00000  MMMMMMMM")) + 24);
    connect(dbListBox, &QListView::doubleClicked, this, &LibraryBrowser::extractVoice);
    dbListBox->installEventFilter(this);

    auto* listColumn = new QVBoxLayout;
    listColumn->setSpacing(3);
    listColumn->addWidget(tfSearch);
    listColumn->addWidget(cbSort);
    listColumn->addWidget(dbListBox, 1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 6, 4, 4);
    layout->setSpacing(6);
    layout->addLayout(boxColumn);
    layout->addLayout(listColumn, 1);

    // The commands on the selected voices, on the list's context menu.
    struct Command {
        const char* caption;
        const char* name;
        QKeySequence shortcut;
        void (LibraryBrowser::*handler)();
    };
    const Command commands[] = {
        {"&Delete...", "DeleteVoices", QKeySequence(QKeySequence::Delete), &LibraryBrowser::deleteSelected},
        {"&Rename...", "RenameVoice", QKeySequence(Qt::Key_F2), &LibraryBrowser::renameSelected},
        {"Change &categories...", "ChangeCategories", {}, &LibraryBrowser::changeCategoriesOfSelected},
        {"&Export as .SYX...", "ExportVoices", {}, &LibraryBrowser::exportSelected},
    };
    dbListBox->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const Command& command : commands) {
        auto* action = new QAction(QString::fromLatin1(command.caption), dbListBox);
        action->setObjectName(QString::fromLatin1(command.name));
        action->setShortcut(command.shortcut);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, command.handler);
        dbListBox->addAction(action);
    }
    // Voice files dropped on the list are added to the library.
    dbListBox->viewport()->setAcceptDrops(true);
    dbListBox->viewport()->installEventFilter(this);
}

void LibraryBrowser::setUp()
{
    // Opening once creates a missing library and tells the user at once when
    // an existing one cannot be used.
    if (const LibraryResult opened = library_.openLibrary(); !opened)
        host_.reportLibraryError(QString::fromStdString(opened.error()));
    library_.closeLibrary();
    filterMask_ = 0;
    // Shown in the editors but not sent: what reaches the instrument at
    // start-up is the program's choice (see the start-up action).
    if (reload(-1)) {
        if (rowCount() > 0)
            loadRecord(model_->recordOfRow(0), false);
        return;
    }
    // A long library is listed once its reading beside the window is there;
    // with no filter yet and the list by number, the first voice listed will
    // be the first record, read now on its own.
    loadFirstVoice(false);
}

void LibraryBrowser::fillList()
{
    reload();
}

LibraryBrowser::Stamp LibraryBrowser::stampOf(const VoiceLibrary& library)
{
    const auto time = [](const struct stat& status) {
        return static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    };
    struct stat status {};
    if (::stat(library.path().c_str(), &status) != 0)
        return {};
    struct stat lock {};
    const bool locked = ::stat(library.lockPath().c_str(), &lock) == 0;
    return {static_cast<std::uintmax_t>(status.st_size), time(status), static_cast<std::uint64_t>(status.st_dev),
            static_cast<std::uint64_t>(status.st_ino), locked ? time(lock) : 0};
}

LibraryBrowser::Reading LibraryBrowser::readLibrary(const VoiceLibrary& library, const Stamp& scanned, int had)
{
    // The stamp is taken before the reading: a change during it reads again next time.
    Reading reading;
    reading.stamp = stampOf(library);
    const Stamp& now = reading.stamp;
    const int has = recordCountForSize(now.size);
    // The same file, only grown since it was read (voices added here or by
    // another program): only the new records are read.
    if (onlyAppended(scanned, had, now)) {
        LibraryRecord bytes;
        for (int n = had; n < has && library.readRecord(n, bytes); ++n)
            reading.records.push_back(summarize(bytes));
        if (static_cast<int>(reading.records.size()) == has - had) {
            reading.appended = true;
            return reading;
        }
        reading.records.clear();
    }
    // Room for voices added later: a list of a million is not moved to grow
    // by a few (scanRecords keeps a larger capacity).
    reading.records.reserve(static_cast<std::size_t>(has) + static_cast<std::size_t>(has) / 16 + 256);
    reading.result = library.scanRecords(reading.records);
    reading.listing = LibraryListModel::listingOf(std::move(reading.records));
    reading.records = {};
    return reading;
}

bool LibraryBrowser::onlyAppended(const Stamp& scanned, int had, const Stamp& now)
{
    return scanned.inode != 0 && now.device == scanned.device && now.inode == scanned.inode
           && now.changedInPlace == scanned.changedInPlace && now.size > scanned.size && had == recordCountForSize(scanned.size)
           && recordCountForSize(now.size) - had <= kReadAppendedUpTo;
}

void LibraryBrowser::takeReading(Reading reading, int record)
{
    if (!reading.result)
        host_.reportLibraryError(QString::fromStdString(reading.result.error()));
    scanned_ = reading.stamp;
    ++readingsTaken_;
    if (reading.appended)
        model_->appendRecords(std::move(reading.records));
    else
        model_->setRecords(std::move(reading.listing));
    listFiltered(record);
}

struct LibraryBrowser::Changed {
    LibraryResult result;
    bool cancelled = false;
    bool current = false;  // the names kept were read from the file as it was just before
    Stamp after;           // the file just after the change
    std::optional<RecordSummary> record;  // the record read again
};

void LibraryBrowser::changeLibrary(const QString& title,
                                   const std::function<LibraryResult(VoiceLibrary& library, ReadProgress& progress)>& change,
                                   const std::function<bool(const Changed& changed)>& takeIn, const int& record,
                                   const int& reread)
{
    Changed changed;
    const Stamp scanned = scanned_;
    // At a million voices a removal rewrites half a gigabyte: the window
    // goes on, and a long one shows its progress and can be cancelled.
    runBeside(
        this, library_.path(),
        [&](VoiceLibrary& library, ReadProgress& progress) {
            // Held over the change and the look at the file around it: when
            // the names were read from the file as it was just before, this
            // change is the only one since, and the list takes it in without
            // reading a library of a million voices again.
            const LibraryLock lock(library);
            if (!lock) {
                changed.result = lock.result();
                return;
            }
            if (progress.cancel) {
                changed.cancelled = true;
                changed.result = LibraryResult::failure("Cancelled: the voice library \"" + library.path()
                                                        + "\" was left as it was.");
                return;
            }
            changed.current = stampOf(library) == scanned;
            changed.result = change(library, progress);
            changed.cancelled = !changed.result && progress.cancel;
            if (!changed.result || !changed.current)
                return;
            if (LibraryRecord bytes; reread >= 0 && library.readRecord(reread, bytes))
                changed.record = summarize(bytes);
            changed.after = stampOf(library);
        },
        {title, QStringLiteral("Writing the library..."), QStringLiteral("LibraryProgress")});
    if (!changed.result) {
        if (changed.cancelled)
            tell(title, QString::fromStdString(changed.result.error()));
        else
            host_.reportLibraryError(QString::fromStdString(changed.result.error()));
        applyFilter(record);  // read again only when the file changed otherwise
    } else if (changed.current && takeIn(changed)) {
        scanned_ = changed.after;
        ++readingsTaken_;
        listFiltered(record);
    } else {
        // Read whole: the file may have grown too, but a record changed in
        // place. A reading begun before this change is out of date.
        scanned_ = {};
        ++readingsTaken_;
        reload(record);
    }
}

bool LibraryBrowser::takeRecordAgain(int record, const Changed& changed)
{
    if (record < 0 || record >= model_->recordCount() || !changed.record)
        return false;
    model_->replaceRecord(record, *changed.record);
    return true;
}

bool LibraryBrowser::reload(int record)
{
    const Stamp stamp = stampOf(library_);
    const int had = model_->recordCount();
    if (recordCountForSize(stamp.size) < kReadBesideFrom || onlyAppended(scanned_, had, stamp)) {
        takeReading(readLibrary(library_, scanned_, had), record);
        return true;
    }
    if (comingReading_.valid())
        return false;  // once it is there, the file is looked at again
    comingAfter_ = readingsTaken_;
    comingReading_ = std::async(std::launch::async, [path = library_.path(), scanned = scanned_, had] {
        return readLibrary(VoiceLibrary(path), scanned, had);
    });
    readingWatch_->start();
    return false;
}

void LibraryBrowser::takeComingReading()
{
    if (!comingReading_.valid() || comingReading_.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return;
    readingWatch_->stop();
    Reading reading = comingReading_.get();
    // One taken in since it began is newer; the file is looked at again.
    if (comingAfter_ == readingsTaken_) {
        takeReading(std::move(reading), currentRecord());
        dbListBox->scrollTo(dbListBox->currentIndex());
    }
    if (stampOf(library_) != scanned_)
        applyFilter(currentRecord());
}

void LibraryBrowser::applyFilter(int record)
{
    if (stampOf(library_) != scanned_ && reload(record))
        return;
    listFiltered(record);
}

void LibraryBrowser::setFilterAny(bool any)
{
    (any ? rbAny : rbAll)->setChecked(true);
}

void LibraryBrowser::setSortByName(bool byName)
{
    if (cbSort->currentIndex() != (byName ? 1 : 0)) {
        cbSort->setCurrentIndex(byName ? 1 : 0);  // comes back here
        return;
    }
    const int record = currentRecord();
    model_->setSortByName(byName);
    applyFilter(record);
    dbListBox->scrollTo(dbListBox->currentIndex());
}

void LibraryBrowser::offerClearButton()
{
    if (!tfSearch->isClearButtonEnabled())
        tfSearch->setClearButtonEnabled(true);
}

void LibraryBrowser::focusList()
{
    dbListBox->setFocus(Qt::OtherFocusReason);
}

int LibraryBrowser::currentRecord() const
{
    const QModelIndex current = dbListBox->currentIndex();
    return current.isValid() && current.row() < rowCount() ? model_->recordOfRow(current.row()) : -1;
}

void LibraryBrowser::showLoadedRecord(int record)
{
    if (record >= 0 && stampOf(library_) != scanned_)
        reload(record);  // the file changed since the names were read
    const int row = record >= 0 ? model_->rowOfRecord(record) : -1;
    if (row < 0) {
        dbListBox->clearSelection();
        return;
    }
    // That one voice alone, whatever keys are held.
    dbListBox->selectionModel()->setCurrentIndex(model_->index(row), QItemSelectionModel::ClearAndSelect);
    dbListBox->scrollTo(model_->index(row));
}

std::vector<int> LibraryBrowser::recordsNamed(const std::string& name)
{
    if (stampOf(library_) != scanned_)
        reload(currentRecord());
    std::vector<int> records;
    for (int n = 0; n < model_->recordCount(); ++n)
        if (model_->record(n).name == name)
            records.push_back(n);
    return records;
}

void LibraryBrowser::listFiltered(int record)
{
    model_->setFilter(filterMask_, tfSearch->text().toStdString(), filterAny_);
    const int row = record >= 0 ? std::max(model_->rowOfRecord(record), 0) : 0;
    const bool any = rowCount() > 0;
    if (any)
        dbListBox->setCurrentIndex(model_->index(row));
    emit modifyEnabledChanged(any);
}

void LibraryBrowser::loadFirstVoice(bool send)
{
    if (library_.recordCount() > 0)
        loadRecord(0, send);
}

bool LibraryBrowser::loadRecord(int record, bool send)
{
    if (const LibraryResult loaded = library_.loadRecord(record, voiceData_); !loaded) {
        host_.reportLibraryError(QString::fromStdString(loaded.error()));
        return false;
    }
    host_.voiceLoaded();
    if (send)
        host_.sendVoice();
    return true;
}

int LibraryBrowser::selectedRow() const
{
    // With several selected, the one with the focus frame is the one meant.
    const QModelIndex current = dbListBox->currentIndex();
    if (current.isValid() && dbListBox->selectionModel()->isSelected(current))
        return current.row();
    const QModelIndexList selected = dbListBox->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

std::vector<int> LibraryBrowser::selectedRecords() const
{
    // By the selection's ranges of rows: a hundred thousand picked are not
    // made into as many indexes. Put in order by a mark per record when
    // many are picked (at a hundred thousand, sorting them takes longer).
    const QItemSelection selection = dbListBox->selectionModel()->selection();
    std::size_t picked = 0;
    for (const QItemSelectionRange& range : selection)
        picked += static_cast<std::size_t>(range.height());
    std::vector<int> records;
    records.reserve(picked);
    if (picked > static_cast<std::size_t>(model_->recordCount()) / 32) {
        std::vector<char> marked(static_cast<std::size_t>(model_->recordCount()));
        for (const QItemSelectionRange& range : selection)
            for (int row = range.top(); row <= range.bottom(); ++row)
                marked[static_cast<std::size_t>(model_->recordOfRow(row))] = 1;
        for (std::size_t n = 0; n < marked.size(); ++n)
            if (marked[n] != 0)
                records.push_back(static_cast<int>(n));
        return records;
    }
    for (const QItemSelectionRange& range : selection)
        for (int row = range.top(); row <= range.bottom(); ++row)
            records.push_back(model_->recordOfRow(row));
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    return records;
}

bool LibraryBrowser::checkPicked(const std::vector<int>& records, std::vector<LibraryRecord>& stored)
{
    stored.clear();
    std::vector<RecordSummary> seen;
    seen.reserve(records.size());
    for (const int record : records)
        seen.push_back(model_->record(record));
    if (stampOf(library_) != scanned_)
        reload(records.empty() ? -1 : records.front());
    // The first picked voice that is not as listed (`found`: whether it was read).
    const auto firstChanged = [&](const std::vector<char>& found) {
        for (std::size_t i = 0; i < records.size(); ++i)
            if (found[i] == 0 || summarize(stored[i]) != seen[i])
                return i;
        return records.size();
    };
    std::size_t changed = records.size();
    // A few are read one by one; many (a whole list selected) in one pass.
    constexpr std::size_t kReadOneByOne = 16;
    if (records.size() <= kReadOneByOne) {
        stored.resize(records.size());
        std::vector<char> found(records.size());
        for (std::size_t i = 0; i < records.size(); ++i)
            found[i] = library_.readRecord(records[i], stored[i]).ok();
        changed = firstChanged(found);
    } else {
        // At a million voices that pass is longer than a frame, and so are
        // the copies and the comparison of a hundred thousand picked: all
        // beside the window.
        runBeside(
            this, library_.path(),
            [&](VoiceLibrary& library, ReadProgress&) {
                std::vector<std::size_t> order(records.size());
                for (std::size_t i = 0; i < order.size(); ++i)
                    order[i] = i;
                std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return records[a] < records[b]; });
                stored.resize(records.size());
                std::vector<char> found(records.size());
                std::size_t next = 0;
                static_cast<void>(library.forEachRecord([&](int n, const LibraryRecord& bytes) {
                    while (next < order.size() && records[order[next]] < n)
                        ++next;
                    for (; next < order.size() && records[order[next]] == n; ++next) {
                        stored[order[next]] = bytes;
                        found[order[next]] = 1;
                    }
                }));
                changed = firstChanged(found);
            },
            {QStringLiteral("Voice library"), QStringLiteral("Reading the library..."), QStringLiteral("LibraryProgress")});
    }
    if (changed < records.size()) {
        stored.clear();
        host_.reportLibraryError(
            QStringLiteral("The voice \"%1\" is no longer where it was in the library: another program changed "
                           "the library. Nothing was changed; the list shows the library as it is now.")
                .arg(QString::fromStdString(seen[changed].name).trimmed()));
        reload();
        return false;
    }
    return true;
}

bool LibraryBrowser::ask(const QString& title, const QString& text)
{
    QMessageBox question(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, this);
    question.setObjectName(QStringLiteral("LibraryQuestion"));
    question.setDefaultButton(QMessageBox::No);
    return host_.showModal(question) == QMessageBox::Yes;
}

void LibraryBrowser::tell(const QString& title, const QString& text)
{
    QMessageBox message(QMessageBox::Information, title, text, QMessageBox::Ok, this);
    message.setObjectName(QStringLiteral("LibraryReport"));
    host_.showModal(message);
}

void LibraryBrowser::changeFilter(int bit, bool checked)
{
    if (checked)
        filterMask_ |= categoryBit(static_cast<std::size_t>(bit));
    else
        filterMask_ &= ~categoryBit(static_cast<std::size_t>(bit));
    applyFilter();
}

void LibraryBrowser::extractVoice()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const int record = model_->recordOfRow(row);
    std::vector<LibraryRecord> stored;
    if (checkPicked({record}, stored))
        loadRecord(record);
    host_.refreshEditors();
}

void LibraryBrowser::extravtVoiceKP()
{
    const int row = selectedRow();
    std::vector<LibraryRecord> stored;
    if (row >= 0 && checkPicked({model_->recordOfRow(row)}, stored))
        loadRecord(model_->recordOfRow(row));
    host_.refreshEditors();
}

namespace {

// The local files a drag carries; empty when it carries anything else.
QStringList droppedFiles(const QMimeData* mime)
{
    QStringList paths;
    if (mime == nullptr || !mime->hasUrls())
        return paths;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile())
            return {};
        paths << url.toLocalFile();
    }
    return paths;
}

// Gives `write` the voice as it was when the command was given, on the
// thread that writes it (the editors may change the voice meanwhile).
template <typename Write>
LibraryResult withVoice(const VoiceParameters& voice, const Write& write)
{
    VoiceParameters copy;
    const VoiceData data(copy);
    copy = voice;
    return write(data);
}

} // namespace

bool LibraryBrowser::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == dbListBox->viewport()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!droppedFiles(drag->mimeData()).isEmpty())
                drag->acceptProposedAction();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList paths = droppedFiles(drop->mimeData());
            if (paths.isEmpty())
                return true;
            drop->acceptProposedAction();
            // After the drop has ended: the program the files came from is
            // not kept waiting by the voice-type dialog.
            QTimer::singleShot(0, this, [this, paths] { importFiles(paths); });
            return true;
        }
    }
    if (watched == tfSearch && event->type() == QEvent::FocusIn)
        offerClearButton();
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
    const int answer = host_.showModal(dialog);
    const std::uint32_t categories = dialog.buildCategoryMask();
    if (answer == QDialog::Rejected || categories == 0)
        return;  // cancelled or not answered; there is nothing to store
    // The voice as it is now: the editors may change it while it is written.
    const VoiceParameters voice = voiceData_.parameters();
    // The file is flushed to the disk beside the window. Its number: the
    // count while the lock is held, so another program's voices added
    // meanwhile come before it.
    int added = model_->recordCount();
    changeLibrary(
        QStringLiteral("Add voice"),
        [&](VoiceLibrary& library, ReadProgress&) {
            added = library.recordCount();
            return withVoice(voice, [&](const VoiceData& data) { return library.appendRecord(categories, data); });
        },
        [&](const Changed& changed) {
            // Nothing else changed the file: the one record follows those listed.
            if (!changed.record || added != model_->recordCount())
                return false;
            model_->appendRecords({*changed.record});
            return true;
        },
        added, added);
}

void LibraryBrowser::ModifyVoiceClick()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const int record = model_->recordOfRow(row);
    std::vector<LibraryRecord> stored;
    if (!checkPicked({record}, stored))
        return;
    TSelectVoiceType& dialog = host_.selectVoiceType();
    if (host_.showModal(dialog) == QDialog::Rejected)
        return;
    const std::uint32_t categories = dialog.buildCategoryMask();
    if (host_.showModal(host_.overwriteDialog()) != QDialog::Accepted || categories == 0)
        return;
    // The voice as it is now: the editors may change it while it is written.
    const VoiceParameters voice = voiceData_.parameters();
    changeLibrary(
        QStringLiteral("Modify voice"),
        [&](VoiceLibrary& library, ReadProgress&) {
            return withVoice(voice, [&](const VoiceData& data) {
                return library.overwriteRecord(record, categories, data, &stored.front());
            });
        },
        [&](const Changed& changed) { return takeRecordAgain(record, changed); }, record, record);
}

void LibraryBrowser::importFiles(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    std::vector<std::string> files;
    for (const QString& path : paths)
        files.push_back(QFile::encodeName(path).toStdString());
    // Every whole voice of the files, each to be given its own categories.
    std::vector<TImportVoices::Voice> listed;
    std::vector<std::size_t> voicesOfFile;
    for (std::size_t f = 0; f < files.size(); ++f) {
        const VoiceSource source = readVoiceSource(files[f]);
        const QString fileName = QFileInfo(paths[static_cast<int>(f)]).fileName();
        for (const SourceVoice& voice : source.voices)
            listed.push_back({std::string(voice.voice.common.name, sizeof voice.voice.common.name),
                              voice.number > 0 ? QStringLiteral("%1, voice %2").arg(fileName).arg(voice.number)
                                               : fileName});
        voicesOfFile.push_back(source.voices.size());
    }
    ImportMasks masks;
    if (!listed.empty()) {
        if (importDialog_ == nullptr)
            importDialog_ = new TImportVoices(this);
        importDialog_->setVoices(listed);
        if (host_.showModal(*importDialog_) != QDialog::Accepted)
            return;
        const std::vector<std::uint32_t> chosen = importDialog_->masks();
        if (std::all_of(chosen.begin(), chosen.end(), [](std::uint32_t mask) { return mask == 0; }))
            return;
        std::size_t next = 0;
        for (const std::size_t count : voicesOfFile) {
            masks.emplace_back(chosen.begin() + static_cast<std::ptrdiff_t>(next),
                               chosen.begin() + static_cast<std::ptrdiff_t>(next + count));
            next += count;
        }
    }
    // Files with no whole voice are not asked about; the import names them.
    ImportRun run = runImport(files, masks, false);
    QString problems;
    for (const std::string& problem : run.report.problems)
        problems += QString::fromStdString(problem) + QLatin1Char('\n');
    if (run.report.canKeepWhole()
        && ask(QStringLiteral("Damaged bank"),
               problems + QLatin1Char('\n') + QString::fromStdString(run.report.summary(library_.path()))
                   + QStringLiteral("\n\nAdd the voices that are whole?"))) {
        run = runImport(files, masks, true);
    } else if (run.report.refused && !run.report.cancelled) {
        host_.reportLibraryError(problems + QString::fromStdString(run.report.summary(library_.path())));
        return;
    }
    if (run.report.cancelled) {
        tell(QStringLiteral("Import voices"), QString::fromStdString(run.report.summary(library_.path())));
        return;
    }
    if (run.report.refused) {
        host_.reportLibraryError(QString::fromStdString(run.report.summary(library_.path())));
        return;
    }
    takeReading(std::move(run.reading), run.report.firstRecord);
    tell(QStringLiteral("Import voices"), QString::fromStdString(run.report.summary(library_.path())));
}

void runBeside(QWidget* parent, const std::string& path,
               const std::function<void(VoiceLibrary& library, ReadProgress& progress)>& work, const BesideText& text)
{
    // The work runs on a thread of its own with a library object of its own
    // (the file lock keeps it apart from this thread's writes); the windows
    // go on painting, and a dialog shows how far the reading got and can
    // cancel it.
    ReadProgress progress;
    QProgressDialog dialog(text.label, QStringLiteral("Cancel"), 0, 0, parent);
    dialog.setObjectName(text.name);
    dialog.setWindowTitle(text.title);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    dialog.setMinimumDuration(std::numeric_limits<int>::max());  // shown below, when it is time
    dialog.reset();
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&] {
        progress.cancel = true;
        dialog.setLabelText(QStringLiteral("Cancelling..."));
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        const int total = progress.total.load();
        if (total > 0 && dialog.maximum() != total)
            dialog.setMaximum(total);
        if (total > 0)
            dialog.setValue(std::min(progress.done.load(), total - 1));
    });
    poll.start(50);
    QEventLoop loop;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        VoiceLibrary library(path);
        work(library, progress);
        finished = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // A quick import shows no dialog; until it shows, key presses and clicks
    // wait for the import to end.
    QTimer::singleShot(kShowImportProgressAfterMs, &loop, [&] { loop.exit(1); });
    if (loop.exec(QEventLoop::ExcludeUserInputEvents) == 1 && !finished) {
        dialog.show();
        loop.exec();
    }
    worker.join();
}

LibraryBrowser::ImportRun LibraryBrowser::runImport(const std::vector<std::string>& files, const ImportMasks& masks,
                                                    bool keepWhole)
{
    ImportRun run;
    const Stamp scanned = scanned_;
    const int had = model_->recordCount();
    runBeside(this, library_.path(), [&](VoiceLibrary& library, ReadProgress& progress) {
        run.report = importVoiceFiles(library, files, masks, keepWhole, &progress);
        // The list is read again there too: at a million voices a whole
        // reading is longer than a frame.
        if (!run.report.refused)
            run.reading = readLibrary(library, scanned, had);
    });
    return run;
}

void LibraryBrowser::deleteSelected()
{
    const std::vector<int> records = selectedRecords();
    if (records.empty())
        return;
    std::vector<LibraryRecord> stored;
    if (!checkPicked(records, stored))
        return;
    const QString what = records.size() == 1
                             ? QStringLiteral("the voice \"%1\"").arg(QString::fromStdString(model_->record(records[0]).name).trimmed())
                             : QStringLiteral("these %1 voices").arg(records.size());
    if (!ask(QStringLiteral("Delete voices"), QStringLiteral("Delete %1 from the library?").arg(what)))
        return;
    changeLibrary(
        QStringLiteral("Delete voices"),
        [&](VoiceLibrary& library, ReadProgress& progress) { return library.removeRecords(records, stored, &progress); },
        [&](const Changed&) {
            model_->removeRecords(records);
            return true;
        },
        records.front(), -1);
}

void LibraryBrowser::renameSelected()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const int record = model_->recordOfRow(row);
    std::vector<LibraryRecord> stored;
    if (!checkPicked({record}, stored))
        return;
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("RenameVoice"));
    dialog.setWindowTitle(QStringLiteral("Rename voice"));
    dialog.setLabelText(QStringLiteral("New name (up to 8 characters):"));
    dialog.setTextValue(QString::fromStdString(model_->record(record).name).trimmed());
    if (auto* edit = dialog.findChild<QLineEdit*>()) {
        edit->setMaxLength(8);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[ -~]{0,8}")), edit));
    }
    if (host_.showModal(dialog) != QDialog::Accepted)
        return;
    const std::string name = dialog.textValue().toStdString();
    changeLibrary(
        QStringLiteral("Rename voice"),
        [&](VoiceLibrary& library, ReadProgress&) { return library.renameRecord(record, name, &stored.front()); },
        [&](const Changed& changed) { return takeRecordAgain(record, changed); }, record, record);
}

void LibraryBrowser::changeCategoriesOfSelected()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const int record = model_->recordOfRow(row);
    std::vector<LibraryRecord> stored;
    if (!checkPicked({record}, stored))
        return;
    TSelectVoiceType& dialog = host_.selectVoiceType();
    dialog.setCategoryMask(model_->record(record).categories);
    if (host_.showModal(dialog) != QDialog::Accepted || dialog.buildCategoryMask() == 0)
        return;
    // The bits above the sixteen categories stay as they are.
    const std::uint32_t mask = (model_->record(record).categories & ~kCategoryBits) | dialog.buildCategoryMask();
    changeLibrary(
        QStringLiteral("Change categories"),
        [&](VoiceLibrary& library, ReadProgress&) { return library.setRecordCategories(record, mask, &stored.front()); },
        [&](const Changed& changed) { return takeRecordAgain(record, changed); }, record, record);
}

void LibraryBrowser::exportSelected()
{
    const std::vector<int> records = selectedRecords();
    if (records.empty())
        return;
    std::vector<LibraryRecord> stored;
    if (!checkPicked(records, stored))
        return;
    // One folder dialog, kept: closing one for good holds the window for
    // about a frame (its look at the folders shown is waited for).
    if (exportDialog_ == nullptr) {
        exportDialog_ = new QFileDialog(this, QStringLiteral("Export voices into folder"));
        exportDialog_->setObjectName(QStringLiteral("ExportFolder"));
        exportDialog_->setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
        exportDialog_->setFileMode(QFileDialog::Directory);
        exportDialog_->setAcceptMode(QFileDialog::AcceptOpen);
    }
    if (host_.showModal(*exportDialog_) != QDialog::Accepted || exportDialog_->selectedFiles().isEmpty())
        return;
    const QString folder = exportDialog_->selectedFiles().first();
    // Thousands of files, each flushed to the disk: beside the window, with
    // the progress shown and Cancel between two files.
    std::vector<std::string> written;
    LibraryResult exported;
    bool cancelled = false;
    runBeside(
        this, library_.path(),
        [&](VoiceLibrary& library, ReadProgress& progress) {
            exported = library.exportRecords(records, QFile::encodeName(folder).toStdString(), written, stored,
                                             &progress);
            cancelled = !exported && progress.cancel;
        },
        {QStringLiteral("Export voices"), QStringLiteral("Writing a voice file for each voice..."),
         QStringLiteral("LibraryProgress")});
    const QString files =
        written.size() == 1 ? QStringLiteral("1 voice file") : QStringLiteral("%1 voice files").arg(written.size());
    if (cancelled)
        tell(QStringLiteral("Export voices"),
             QStringLiteral("Cancelled: %1 written into %2 (of %3 voices).")
                 .arg(files, folder, QString::number(records.size())));
    else if (!exported)
        host_.reportLibraryError(QString::fromStdString(exported.error()));
    else
        tell(QStringLiteral("Export voices"), QStringLiteral("%1 written into %2.").arg(files, folder));
}

} // namespace morvane
