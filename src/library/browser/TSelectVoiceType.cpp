#include "TSelectVoiceType.h"

#include "CategoryBoxes.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QShowEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace morvane {

namespace {

constexpr int kRowTops[8] = {7, 29, 50, 70, 91, 112, 133, 154};
constexpr int kColumnLefts[2] = {11, 99};
static_assert(std::size(kRowTops) * std::size(kColumnLefts) == kCategoryBoxes.size());

} // namespace

TSelectVoiceType::TSelectVoiceType(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("SelectVoiceType"));
    setWindowTitle(QStringLiteral("Select Voice Type"));
    setFixedSize(190, 244);
    setStyleSheet(QStringLiteral(
        "QDialog { background-color: black; }"
        "QFrame#Panel1 { background-color: #4a4a4a; border: 1px solid #808080; }"
        "QCheckBox, QLabel { color: yellow; font-size: 10px; }"));

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(4, 2, 182, 240);
    panel->lower();

    for (std::size_t i = 0; i < kCategoryBoxes.size(); ++i) {
        QCheckBox* box = makeCategoryBox(kCategoryBoxes[i], this);
        box->setGeometry(kColumnLefts[i / 8], kRowTops[i % 8], 85, 17);
        connect(box, &QCheckBox::clicked, this, &TSelectVoiceType::extractVoiceType);
        boxes_.push_back(box);
    }
    Okay = new QPushButton(QStringLiteral("&Okay"), this);
    Okay->setObjectName(QStringLiteral("Okay"));
    Okay->setGeometry(20, 210, 61, 25);
    Okay->setDefault(true);
    Okay->hide();
    connect(Okay, &QPushButton::clicked, this, &QDialog::accept);
    InfoLabel = new QLabel(QStringLiteral("Select at least one check box"), this);
    InfoLabel->setObjectName(QStringLiteral("InfoLabel"));
    InfoLabel->setAlignment(Qt::AlignCenter);
    InfoLabel->setGeometry(4, 182, 182, 25);
    Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Cancel->setObjectName(QStringLiteral("Cancel"));
    Cancel->setGeometry(109, 210, 61, 25);
    connect(Cancel, &QPushButton::clicked, this, &TSelectVoiceType::cancel);
}

void TSelectVoiceType::setCategoryMask(std::uint32_t mask)
{
    for (std::size_t i = 0; i < boxes_.size(); ++i)
        boxes_[i]->setChecked((mask & categoryBit(static_cast<std::size_t>(kCategoryBoxes[i].bit))) != 0);
    marksWhenShown_ = buildCategoryMask();
    extractVoiceType();
}

void TSelectVoiceType::showEvent(QShowEvent* event)
{
    marksWhenShown_ = buildCategoryMask();
    QDialog::showEvent(event);
}

void TSelectVoiceType::cancel()
{
    setCategoryMask(marksWhenShown_);
    QDialog::reject();
}

std::uint32_t TSelectVoiceType::buildCategoryMask() const
{
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < boxes_.size(); ++i)
        if (boxes_[i]->isChecked())
            mask |= categoryBit(static_cast<std::size_t>(kCategoryBoxes[i].bit));
    return mask;
}

void TSelectVoiceType::extractVoiceType()
{
    const bool any = buildCategoryMask() != 0;
    Okay->setVisible(any);
    InfoLabel->setVisible(!any);
}

void TSelectVoiceType::closeEvent(QCloseEvent* event)
{
    event->ignore();  // only "&Okay" closes it
}

} // namespace morvane
