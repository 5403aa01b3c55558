#include "TImportVoices.h"

#include "CategoryBoxes.h"

#include <algorithm>

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace morvane {

namespace {

// The table's first columns; a column per category box follows, in the
// boxes' screen order.
constexpr int kNameColumn = 0;
constexpr int kFromColumn = 1;
constexpr int kFirstCategoryColumn = 2;

// Short headings in the boxes' screen order, so that sixteen columns fit;
// the full name is the tip.
constexpr const char* kShortNames[kCategoryCount] = {"Str", "Brs", "Wwd", "Pno", "Org", "Key", "Bas", "Voc",
                                                     "Prc", "MFX", "UFX", "Plk", "Solo", "Pad", "Real", "Syn"};

} // namespace

TImportVoices::TImportVoices(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ImportVoicesDialog"));
    setWindowTitle(QStringLiteral("Categories of the imported voices"));

    auto* intro = new QLabel(QStringLiteral("Tick the categories of each voice in the table. A box of \"Same for all\" "
                                            "ticks or clears its category for every voice. Voices with no "
                                            "category are not added."),
                             this);
    intro->setWordWrap(true);

    auto* sameForAll = new QGridLayout;
    sameForAll->setHorizontalSpacing(10);
    sameForAll->setVerticalSpacing(2);
    auto* allCaption = new QLabel(QStringLiteral("Same for all:"), this);
    QFont bold = allCaption->font();
    bold.setBold(true);
    allCaption->setFont(bold);
    sameForAll->addWidget(allCaption, 0, 0);
    for (std::size_t i = 0; i < kCategoryBoxes.size(); ++i) {
        QCheckBox* box = makeCategoryBox(kCategoryBoxes[i], this);
        box->setToolTip(QStringLiteral("Ticks or clears this category for every voice"));
        const int bit = kCategoryBoxes[i].bit;
        connect(box, &QCheckBox::clicked, this, [this, bit](bool on) { setForAll(bit, on); });
        sameForAll->addWidget(box, 1 + static_cast<int>(i) / 8, static_cast<int>(i) % 8);
        forAll_.push_back(box);
    }

    tbVoices = new QTableWidget(0, kFirstCategoryColumn + kCategoryCount, this);
    tbVoices->setObjectName(QStringLiteral("tbVoices"));
    tbVoices->setSelectionMode(QAbstractItemView::NoSelection);
    tbVoices->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tbVoices->verticalHeader()->hide();
    auto heading = [this](int column, const QString& text, const QString& tip) {
        auto* item = new QTableWidgetItem(text);
        item->setToolTip(tip);
        tbVoices->setHorizontalHeaderItem(column, item);
    };
    heading(kNameColumn, QStringLiteral("Voice"), QStringLiteral("The voice's name"));
    heading(kFromColumn, QStringLiteral("From"), QStringLiteral("The file, and the voice's place in a bank"));
    for (std::size_t i = 0; i < kCategoryBoxes.size(); ++i) {
        const std::string_view name = kCategoryNames[static_cast<std::size_t>(kCategoryBoxes[i].bit)];
        heading(kFirstCategoryColumn + static_cast<int>(i), QString::fromLatin1(kShortNames[i]),
                QString::fromLatin1(name.data(), static_cast<int>(name.size())));
    }
    tbVoices->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tbVoices->horizontalHeader()->setSectionResizeMode(kFromColumn, QHeaderView::Stretch);
    connect(tbVoices, &QTableWidget::itemChanged, this, [this] {
        if (!settingAll_)
            showState();
    });

    lbState = new QLabel(this);
    lbState->setObjectName(QStringLiteral("lbState"));
    Okay = new QPushButton(QStringLiteral("&Okay"), this);
    Okay->setObjectName(QStringLiteral("Okay"));
    Okay->setDefault(true);
    connect(Okay, &QPushButton::clicked, this, &QDialog::accept);
    Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Cancel->setObjectName(QStringLiteral("Cancel"));
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lbState, 1);
    buttons->addWidget(Okay);
    buttons->addWidget(Cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(sameForAll);
    layout->addWidget(tbVoices, 1);
    layout->addLayout(buttons);
    resize(860, 480);
}

void TImportVoices::setVoices(const std::vector<Voice>& voices)
{
    settingAll_ = true;
    for (QCheckBox* box : forAll_)
        box->setChecked(false);
    tbVoices->setRowCount(static_cast<int>(voices.size()));
    for (int row = 0; row < static_cast<int>(voices.size()); ++row) {
        const Voice& voice = voices[static_cast<std::size_t>(row)];
        tbVoices->setItem(row, kNameColumn, new QTableWidgetItem(QString::fromLatin1(voice.name.c_str())));
        tbVoices->setItem(row, kFromColumn, new QTableWidgetItem(voice.from));
        for (int i = 0; i < static_cast<int>(kCategoryCount); ++i) {
            auto* box = new QTableWidgetItem;
            box->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            box->setCheckState(Qt::Unchecked);
            tbVoices->setItem(row, kFirstCategoryColumn + i, box);
        }
    }
    settingAll_ = false;
    showState();
}

void TImportVoices::setForAll(int bit, bool on)
{
    int column = kFirstCategoryColumn;
    for (std::size_t i = 0; i < kCategoryBoxes.size(); ++i)
        if (kCategoryBoxes[i].bit == bit)
            column = kFirstCategoryColumn + static_cast<int>(i);
    settingAll_ = true;
    for (int row = 0; row < tbVoices->rowCount(); ++row)
        tbVoices->item(row, column)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    settingAll_ = false;
    showState();
}

std::vector<std::uint32_t> TImportVoices::masks() const
{
    std::vector<std::uint32_t> masks;
    for (int row = 0; row < tbVoices->rowCount(); ++row) {
        std::uint32_t mask = 0;
        for (std::size_t i = 0; i < kCategoryBoxes.size(); ++i)
            if (tbVoices->item(row, kFirstCategoryColumn + static_cast<int>(i))->checkState() == Qt::Checked)
                mask |= categoryBit(static_cast<std::size_t>(kCategoryBoxes[i].bit));
        masks.push_back(mask);
    }
    return masks;
}

void TImportVoices::showState()
{
    const std::vector<std::uint32_t> all = masks();
    const auto none = std::count(all.begin(), all.end(), 0u);
    const auto total = static_cast<long>(all.size());
    const QString voices = total == 1 ? QStringLiteral("1 voice") : QStringLiteral("%1 voices").arg(total);
    lbState->setText(none == 0 ? voices + QStringLiteral(" to add.")
                               : QStringLiteral("%1 of %2 to add; %3 without a category.")
                                     .arg(total - none)
                                     .arg(voices)
                                     .arg(none));
    Okay->setEnabled(none < total);
}

} // namespace morvane
