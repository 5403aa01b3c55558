#include "LibraryBrowser.h"

#include "CategoryBoxes.h"
#include "LibraryImport.h"
#include "TSelectVoiceType.h"
#include "VoiceData.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QFont>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <optional>

namespace morvane {

namespace {

constexpr int kBoxTops[kCategoryCount] = {16, 37, 58, 78, 99, 120, 141, 162, 182, 203, 224, 245, 266, 286, 307, 328};

} // namespace

void LibraryListModel::setRecords(std::vector<RecordSummary> records)
{
    beginResetModel();
    records_ = std::move(records);
    rowRecords_.clear();
    endResetModel();
}

void LibraryListModel::setFilter(std::uint32_t filterMask, const std::string& namePart)
{
    beginResetModel();
    rowRecords_ = filterRecords(records_, filterMask, namePart);
    endResetModel();
}

int LibraryListModel::rowOfRecord(int record) const
{
    const auto it = std::lower_bound(rowRecords_.begin(), rowRecords_.end(), record);
    return it != rowRecords_.end() && *it == record ? static_cast<int>(it - rowRecords_.begin()) : -1;
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
      model_(new LibraryListModel(this)), tfSearch(new QLineEdit(this)), dbListBox(new QListView(this))
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

    tfSearch->setObjectName(QStringLiteral("tfSearch"));
    tfSearch->setPlaceholderText(QStringLiteral("Find name"));
    tfSearch->setToolTip(QStringLiteral("Type a part of a voice name to list only those voices"));
    tfSearch->setClearButtonEnabled(true);
    tfSearch->setGeometry(90, 16, 111, 21);
    connect(tfSearch, &QLineEdit::textChanged, this, [this] { applyFilter(); });

    dbListBox->setObjectName(QStringLiteral("dbListBox"));
    dbListBox->setModel(model_);
    dbListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
    dbListBox->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbListBox->setUniformItemSizes(true);  // keeps a list of 100,000 names quick
    dbListBox->setToolTip(QStringLiteral("Double click a voice name to load it"));
    dbListBox->setGeometry(90, 40, 111, 305);
    QFont bold = dbListBox->font();
    bold.setBold(true);
    dbListBox->setFont(bold);
    connect(dbListBox, &QListView::doubleClicked, this, &LibraryBrowser::extractVoice);
    dbListBox->installEventFilter(this);

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
    fillList();
    if (rowCount() > 0)
        loadRecord(model_->recordOfRow(0));
}

void LibraryBrowser::fillList()
{
    reload();
}

LibraryBrowser::Stamp LibraryBrowser::stamp() const
{
    std::error_code sizeError, timeError;
    const std::uintmax_t size = std::filesystem::file_size(library_.path(), sizeError);
    const auto time = std::filesystem::last_write_time(library_.path(), timeError);
    return {sizeError ? 0 : size, timeError ? 0 : static_cast<std::int64_t>(time.time_since_epoch().count())};
}

void LibraryBrowser::reload(int record)
{
    // The stamp is taken before the scan: a change during it reads again next time.
    scanned_ = stamp();
    std::vector<RecordSummary> records;
    if (const LibraryResult scanned = library_.scanRecords(records); !scanned)
        host_.reportLibraryError(QString::fromStdString(scanned.error()));
    model_->setRecords(std::move(records));
    listFiltered(record);
}

void LibraryBrowser::applyFilter(int record)
{
    if (stamp() != scanned_)
        reload(record);
    else
        listFiltered(record);
}

void LibraryBrowser::listFiltered(int record)
{
    model_->setFilter(filterMask_, tfSearch->text().toStdString());
    const int row = record >= 0 ? std::max(model_->rowOfRecord(record), 0) : 0;
    const bool any = rowCount() > 0;
    if (any)
        dbListBox->setCurrentIndex(model_->index(row));
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
    host_.voiceLoaded();
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
    std::vector<int> records;
    for (const QModelIndex& index : dbListBox->selectionModel()->selectedIndexes())
        records.push_back(model_->recordOfRow(index.row()));
    std::sort(records.begin(), records.end());
    return records;
}

bool LibraryBrowser::checkPicked(const std::vector<int>& records, std::vector<LibraryRecord>& stored)
{
    stored.clear();
    std::vector<RecordSummary> seen;
    for (const int record : records)
        seen.push_back(model_->record(record));
    if (stamp() != scanned_)
        reload(records.empty() ? -1 : records.front());
    // A few are read one by one; many (a whole list selected) in one pass.
    constexpr std::size_t kReadOneByOne = 16;
    std::vector<std::optional<LibraryRecord>> now(records.size());
    if (records.size() <= kReadOneByOne) {
        for (std::size_t i = 0; i < records.size(); ++i)
            if (LibraryRecord bytes; library_.readRecord(records[i], bytes))
                now[i] = bytes;
    } else {
        std::vector<std::size_t> order(records.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return records[a] < records[b]; });
        std::size_t next = 0;
        static_cast<void>(library_.forEachRecord([&](int n, const LibraryRecord& bytes) {
            while (next < order.size() && records[order[next]] < n)
                ++next;
            for (; next < order.size() && records[order[next]] == n; ++next)
                now[order[next]] = bytes;
        }));
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::optional<LibraryRecord>& bytes = now[i];
        if (!bytes || summarize(*bytes) != seen[i]) {
            host_.reportLibraryError(
                QStringLiteral("The voice \"%1\" is no longer where it was in the library: another program changed "
                               "the library. Nothing was changed; the list shows the library as it is now.")
                    .arg(QString::fromStdString(seen[i].name).trimmed()));
            reload();
            return false;
        }
        stored.push_back(*bytes);
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
    if (const LibraryResult added = library_.appendRecord(categories, voiceData_); !added)
        host_.reportLibraryError(QString::fromStdString(added.error()));
    reload();
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
    if (const LibraryResult replaced = library_.overwriteRecord(record, categories, voiceData_, &stored.front());
        !replaced)
        host_.reportLibraryError(QString::fromStdString(replaced.error()));
    reload(record);
}

void LibraryBrowser::importFiles(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    TSelectVoiceType& dialog = host_.selectVoiceType();
    const int answer = host_.showModal(dialog);
    const std::uint32_t categories = dialog.buildCategoryMask();
    if (answer == QDialog::Rejected || categories == 0)
        return;
    std::vector<std::string> files;
    for (const QString& path : paths)
        files.push_back(path.toStdString());
    ImportReport report = importVoiceFiles(library_, files, categories, false);
    QString problems;
    for (const std::string& problem : report.problems)
        problems += QString::fromStdString(problem) + QLatin1Char('\n');
    if (report.canKeepWhole()
        && ask(QStringLiteral("Damaged bank"),
               problems + QLatin1Char('\n') + QString::fromStdString(report.summary(library_.path()))
                   + QStringLiteral("\n\nAdd the voices that are whole?"))) {
        report = importVoiceFiles(library_, files, categories, true);
    } else if (report.refused) {
        host_.reportLibraryError(problems + QString::fromStdString(report.summary(library_.path())));
        return;
    }
    if (report.refused) {
        host_.reportLibraryError(QString::fromStdString(report.summary(library_.path())));
        return;
    }
    reload(report.firstRecord);
    tell(QStringLiteral("Import voices"), QString::fromStdString(report.summary(library_.path())));
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
    if (const LibraryResult removed = library_.removeRecords(records, stored); !removed)
        host_.reportLibraryError(QString::fromStdString(removed.error()));
    reload(records.front());
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
    if (const LibraryResult renamed = library_.renameRecord(record, dialog.textValue().toStdString(), &stored.front());
        !renamed)
        host_.reportLibraryError(QString::fromStdString(renamed.error()));
    reload(record);
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
    if (const LibraryResult changed = library_.setRecordCategories(record, mask, &stored.front()); !changed)
        host_.reportLibraryError(QString::fromStdString(changed.error()));
    reload(record);
}

void LibraryBrowser::exportSelected()
{
    const std::vector<int> records = selectedRecords();
    if (records.empty())
        return;
    std::vector<LibraryRecord> stored;
    if (!checkPicked(records, stored))
        return;
    QFileDialog dialog(this, QStringLiteral("Export voices into folder"));
    dialog.setObjectName(QStringLiteral("ExportFolder"));
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (host_.showModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString folder = dialog.selectedFiles().first();
    std::vector<std::string> written;
    if (const LibraryResult exported = library_.exportRecords(records, folder.toStdString(), written); !exported) {
        host_.reportLibraryError(QString::fromStdString(exported.error()));
        return;
    }
    tell(QStringLiteral("Export voices"),
         QStringLiteral("%1 written into %2.")
             .arg(written.size() == 1 ? QStringLiteral("1 voice file") : QStringLiteral("%1 voice files").arg(written.size()),
                  folder));
}

} // namespace morvane
