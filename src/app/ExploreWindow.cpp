#include "ExploreWindow.h"

#include "AppContext.h"
#include "AppServices.h"
#include "EditorStyle.h"
#include "VoiceData.h"
#include "VoiceLibrary.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <limits>
#include <random>

namespace morvane {

namespace {

QString voiceName(const VoiceParameters& voice)
{
    return QString::fromLatin1(voice.common.name, sizeof voice.common.name).trimmed();
}

QPushButton* pushButton(QWidget* parent, const QString& caption, const QString& name)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TExplore::TExplore(AppContext& context, AppServices& services, QWidget* parent)
    : QDialog(parent), context_(context), services_(services)
{
    setObjectName(QStringLiteral("Explore"));
    setWindowTitle(QStringLiteral("Explore"));
    setStyleSheet(style::dialogStyleSheet());

    seAmount = new QSpinBox(this);
    seAmount->setObjectName(QStringLiteral("seAmount"));
    seAmount->setRange(1, 100);
    seAmount->setValue(30);
    seAmount->setSuffix(QStringLiteral(" %"));
    seAmount->setToolTip(QStringLiteral("How far the first round moves; each next round moves less"));
    seSeed = new QSpinBox(this);
    seSeed->setObjectName(QStringLiteral("seSeed"));
    seSeed->setRange(0, std::numeric_limits<int>::max());
    seSeed->setValue(static_cast<int>(std::random_device{}() & 0x7FFFFFFF));
    seSeed->setToolTip(QStringLiteral("The same seed and the same choices give the same variations"));
    rbRandomise = new QRadioButton(QStringLiteral("&Randomise"), this);
    rbRandomise->setObjectName(QStringLiteral("rbRandomise"));
    rbRandomise->setChecked(true);
    rbBlend = new QRadioButton(QStringLiteral("&Blend with library voices"), this);
    rbBlend->setObjectName(QStringLiteral("rbBlend"));
    auto* start = pushButton(this, QStringLiteral("&Start"), QStringLiteral("bStart"));
    start->setToolTip(QStringLiteral("Eight variations of the edited voice"));
    connect(start, &QPushButton::clicked, this, &TExplore::StartClick);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Amount:"), this));
    top->addWidget(seAmount);
    top->addWidget(rbRandomise);
    top->addWidget(rbBlend);
    top->addWidget(new QLabel(QStringLiteral("Seed:"), this));
    top->addWidget(seSeed);
    top->addStretch();
    top->addWidget(start);

    auto* grid = new QGridLayout;
    for (int i = 0; i < Exploration::kVariations; ++i) {
        auto* variation = pushButton(this, QString::number(i + 1), QStringLiteral("bVariation%1").arg(i + 1));
        variation->setToolTip(QStringLiteral("Hear this variation"));
        variation->setMinimumWidth(110);
        connect(variation, &QPushButton::clicked, this, [this, i] { hear(i); });
        auto* parentBox = new QCheckBox(QStringLiteral("parent"), this);
        parentBox->setObjectName(QStringLiteral("cbParent%1").arg(i + 1));
        parentBox->setToolTip(QStringLiteral("Make the next round around this one"));
        connect(parentBox, &QCheckBox::toggled, this, [this] { showRound(); });
        variations_[static_cast<std::size_t>(i)] = variation;
        parents_[static_cast<std::size_t>(i)] = parentBox;
        const int row = (i / 4) * 2, column = i % 4;
        grid->addWidget(variation, row, column);
        grid->addWidget(parentBox, row + 1, column, Qt::AlignHCenter);
    }

    lRound = new QLabel(this);
    lRound->setObjectName(QStringLiteral("lRound"));
    bNext = pushButton(this, QStringLiteral("&Next round"), QStringLiteral("bNext"));
    connect(bNext, &QPushButton::clicked, this, &TExplore::NextClick);
    bBack = pushButton(this, QStringLiteral("B&ack"), QStringLiteral("bBack"));
    connect(bBack, &QPushButton::clicked, this, &TExplore::BackClick);
    bKeep = pushButton(this, QStringLiteral("&Keep"), QStringLiteral("bKeep"));
    bKeep->setToolTip(QStringLiteral("Make the variation last heard the edited voice (one undo step)"));
    connect(bKeep, &QPushButton::clicked, this, &TExplore::KeepClick);
    auto* close = pushButton(this, QStringLiteral("Close"), QStringLiteral("bClose"));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* foot = new QHBoxLayout;
    foot->addWidget(lRound, 1);
    foot->addWidget(bBack);
    foot->addWidget(bNext);
    foot->addWidget(bKeep);
    foot->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(grid);
    layout->addLayout(foot);
    showRound();
}

void TExplore::StartClick()
{
    const auto seed = static_cast<std::uint32_t>(seSeed->value());
    std::vector<VoiceParameters> mates;
    if (rbBlend->isChecked()) {
        // Up to kMates voices of the library, drawn by the seed.
        VoiceLibrary& library = *context_.library;
        const int records = library.recordCount();
        std::mt19937 rng(seed);
        for (int i = 0; i < std::min(records, kMates); ++i) {
            VoiceParameters voice;
            VoiceData data(voice);
            if (library.loadRecord(static_cast<int>(rng() % static_cast<std::uint32_t>(records)), data))
                mates.push_back(voice);
        }
        if (mates.empty()) {
            QMessageBox message(QMessageBox::Warning, QStringLiteral("Explore"),
                                records == 0 ? QStringLiteral("The library holds no voice to blend with.")
                                             : QStringLiteral("No voice of the library could be read to blend with."),
                                QMessageBox::Ok, this);
            message.setObjectName(QStringLiteral("ExploreError"));
            services_.showModal(message);
            return;
        }
    }
    exploration_ = std::make_unique<Exploration>(services_.voice(), seAmount->value(), seed, std::move(mates));
    heard_.reset();
    for (QCheckBox* box : parents_)
        box->setChecked(false);
    showRound();
}

void TExplore::hear(int i)
{
    if (!exploration_ || i < 0 || i >= Exploration::kVariations)
        return;
    services_.hearVoice(exploration_->variations()[static_cast<std::size_t>(i)]);
    heard_ = i;
    auditioned_ = true;
    showRound();
}

void TExplore::NextClick()
{
    std::vector<int> chosen;
    for (int i = 0; i < Exploration::kVariations; ++i)
        if (parents_[static_cast<std::size_t>(i)]->isChecked())
            chosen.push_back(i);
    if (!exploration_ || !exploration_->next(chosen))
        return;
    heard_.reset();
    for (QCheckBox* box : parents_)
        box->setChecked(false);
    showRound();
}

void TExplore::BackClick()
{
    if (!exploration_ || !exploration_->back())
        return;
    heard_.reset();
    for (QCheckBox* box : parents_)
        box->setChecked(false);
    showRound();
}

void TExplore::KeepClick()
{
    if (!exploration_ || !heard_)
        return;
    services_.takeVoice(exploration_->variations()[static_cast<std::size_t>(*heard_)], "Explore");
    auditioned_ = false;
}

void TExplore::showRound()
{
    bool anyParent = false;
    for (int i = 0; i < Exploration::kVariations; ++i) {
        QPushButton* button = variations_[static_cast<std::size_t>(i)];
        button->setEnabled(exploration_ != nullptr);
        parents_[static_cast<std::size_t>(i)]->setEnabled(exploration_ != nullptr);
        anyParent = anyParent || parents_[static_cast<std::size_t>(i)]->isChecked();
        const QString name = exploration_ ? voiceName(exploration_->variations()[static_cast<std::size_t>(i)]) : QString();
        button->setText(QStringLiteral("%1: %2").arg(i + 1).arg(name));
        button->setDefault(heard_ == i);  // the one last heard stands out
    }
    lRound->setText(exploration_ ? QStringLiteral("Round %1, amount %2 %").arg(exploration_->round()).arg(exploration_->amount())
                                 : QStringLiteral("Start makes eight variations of the edited voice"));
    bNext->setEnabled(exploration_ != nullptr && anyParent);
    bBack->setEnabled(exploration_ != nullptr && exploration_->round() > 1);
    bKeep->setEnabled(heard_.has_value());
}

void TExplore::reject()
{
    // The instrument goes back to the voice in the editors.
    if (auditioned_)
        services_.sendVoice();
    auditioned_ = false;
    QDialog::reject();
}

} // namespace morvane
