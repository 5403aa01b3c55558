#include "TVectorEdit.h"

#include <string>

#include "EditorStyle.h"
#include "VectorPath.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

namespace morvane {

namespace {

// The bars' row: 50 bars of 9 × 100 pixels, left edges spread from 0 to 616.
constexpr int kBarWidth = 9;
constexpr int kBarHeight = 100;
constexpr int kRowWidth = 632;
constexpr int kLastBarLeft = 616;
constexpr int kBarPageStep = 16;
constexpr int kWindowHeight = 409;

int barLeft(int step)
{
    return static_cast<int>(std::lround(step * double(kLastBarLeft) / (TVectorEdit::kBarsPerRow - 1)));
}
static_assert(kLastBarLeft + kBarWidth <= kRowWidth);

// "-31 (0% A, 100% B)", "-30" ... "0 (50% A, 50% B)" ... "31 (100% A, 0% B)".
QStringList positionItems(char upper, char lower)
{
    QStringList items;
    for (int stored = 0; stored <= kPositionMax; ++stored) {
        const int shown = stored - kPositionMax / 2;
        const int upperShare = stored * 100 / kPositionMax;
        QString item = QString::number(shown);
        if (stored == 0 || stored == kPositionMax / 2 || stored == kPositionMax)
            item += QStringLiteral(" (%1% %2, %3% %4)")
                        .arg(upperShare)
                        .arg(QLatin1Char(upper))
                        .arg(100 - upperShare)
                        .arg(QLatin1Char(lower));
        items << item;
    }
    return items;
}

QStringList repeatItems()
{
    QStringList items;
    for (int stored = 0; stored < kStepRepeat; ++stored)
        items << QString::number(stored + 1);
    items << QStringLiteral("Repeat") << QStringLiteral("End");
    return items;
}

QStringList speedItems()
{
    QStringList items;
    for (int k = 0; k < 16; ++k)
        items << QStringLiteral("%1 ms").arg((k + 1) * 10);
    return items;
}

QStringList stepItems()
{
    QStringList items;
    for (int step = 1; step <= kVectorSteps; ++step)
        items << QString::number(step);
    return items;
}

} // namespace

TVectorEdit::TVectorEdit(EditorHost& host, QWidget* parent)
    : EditorWindow(host, QStringLiteral("VectorEdit"), QStringLiteral("Morvane - Vectors"), kHelpContext, parent)
{
    auto heading = [this](const char* text) {
        QLabel* l = label(text);
        l->setProperty(style::kHeadingProperty, true);
        l->setAlignment(Qt::AlignHCenter);
        return l;
    };
    auto* barsColumn = new QVBoxLayout;
    barsColumn->setSpacing(0);
    barsColumn->addWidget(heading("Element A"));
    barsColumn->addWidget(makeBarRow(0, "Sets the AB vector for this position"));
    barsColumn->addWidget(heading("Element B"));
    barsColumn->addSpacing(4);
    barsColumn->addWidget(heading("Element C"));
    barsColumn->addWidget(makeBarRow(kBarsPerRow, "Sets the CD vector for this position"));
    barsColumn->addWidget(heading("Element D"));

    // The selected step's lists follow the step and the vector being edited.
    cbStepNumber = optionList("cbStepNumber", stepItems(), "Selects the step to show and edit");
    connect(cbStepNumber, &QComboBox::activated, this, &TVectorEdit::cbStepNumberChange);
    abList_ = &list("cbABPosition", positionItems('A', 'B'),
                    field([this]() -> auto& { return vector().abPosition[selectedStep_]; }), kAsStored,
                    "Sets the AB vector of this step");
    cdList_ = &list("cbCDPosition", positionItems('C', 'D'),
                    field([this]() -> auto& { return vector().cdPosition[selectedStep_]; }), kAsStored,
                    "Sets the CD vector of this step");
    repeatsList_ = &list("cbRepeats", repeatItems(),
                         field([this]() -> auto& { return vector().stepTime[selectedStep_]; }), kAsStored,
                         "Sets the length of this step, or ends or repeats the vector here");
    connect(abList_, &BoundControl::entered, this, [this] {
        bars_[selectedStep_]->refresh();
        showSelectedStep();
    });
    connect(cdList_, &BoundControl::entered, this, [this] {
        bars_[kBarsPerRow + selectedStep_]->refresh();
        showSelectedStep();
    });
    connect(repeatsList_, &BoundControl::entered, this, [this] {
        maskItems();
        showSelectedStep();
    });
    BoundList& speedList = list("cbVectorSpeed", speedItems(), field([this]() -> auto& { return speed(); }),
                                kIndexFromOne, "Sets the time unit of the step lengths");
    connect(&speedList, &BoundControl::entered, this, &TVectorEdit::showSelectedStep);
    cbVectorSelect = optionList("cbVectorSelect", {QStringLiteral("Level"), QStringLiteral("Detune")},
                                "Selects the vector to edit");
    connect(cbVectorSelect, &QComboBox::activated, this, &TVectorEdit::cbVectorSelectChange);

    auto* stepValues = new QGridLayout;
    stepValues->setSpacing(2);
    const std::pair<const char*, QWidget*> stepRows[] = {{"Step number: ", cbStepNumber},
                                                         {"AB position: ", &abList_->box()},
                                                         {"CD position: ", &cdList_->box()},
                                                         {"Repeat/End: ", &repeatsList_->box()}};
    for (int r = 0; r < 4; ++r) {
        stepValues->addWidget(label(stepRows[r].first), r, 0);
        stepValues->addWidget(stepRows[r].second, r, 1);
    }
    auto* global = new QGridLayout;
    global->setSpacing(2);
    global->addWidget(label("Vector speed: "), 0, 0);
    global->addWidget(&speedList.box(), 0, 1);
    global->addWidget(label("Edit vector: "), 1, 0);
    global->addWidget(cbVectorSelect, 1, 1);
    global->setRowStretch(2, 1);

    auto* panels = new QHBoxLayout;
    panels->setContentsMargins(4, 0, 4, 4);
    panels->setSpacing(6);
    panels->addWidget(group(" Step values ", stepValues, this), 0, Qt::AlignTop);
    panels->addWidget(group(" Vector global ", global, this), 0, Qt::AlignTop);
    panels->addStretch();
    auto* buttons = makeButtonColumn();
    buttons->insertSpacing(0, 6);
    panels->addLayout(buttons);

    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    left->addLayout(barsColumn);
    left->addLayout(panels, 1);

    path_ = new VectorPathView([this]() -> const VectorParams& { return vector(); }, [this] { return int(speed()); },
                               [this] { return selectedStep_; }, this);
    connect(path_, &VectorPathView::stepClicked, this, &TVectorEdit::cbStepNumberChange);
    connect(path_, &VectorPathView::stepDragged, this, &TVectorEdit::pathStepDragged);
    // Each press starts a drag of its own: one undo step, however many moves.
    connect(path_, &VectorPathView::stepClicked, this, [this] { ++pathDrags_; });
    auto* pathBox = new QVBoxLayout;
    pathBox->addWidget(path_);
    pathBox->addStretch();
    QGroupBox* pathGroup = group(" Vector path ", pathBox, this);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 4, 4);
    layout->setSpacing(4);
    layout->addLayout(left);
    layout->addWidget(pathGroup);

    // The bars keep the window's width; the path picture adds its own.
    setFixedSize(kRowWidth + layout->spacing() + pathGroup->sizeHint().width() + 4, kWindowHeight);
}

QWidget* TVectorEdit::makeBarRow(int firstBar, const char* toolTip)
{
    auto* row = new QWidget(this);
    row->setFixedSize(kRowWidth, kBarHeight);
    for (int step = 0; step < kBarsPerRow; ++step) {
        const int entry = firstBar + step;
        const QByteArray name = "TrackBar" + QByteArray::number(entry + 1);
        FieldRef position = entry < kBarsPerRow
                                ? field([this, step]() -> auto& { return vector().abPosition[step]; })
                                : field([this, step]() -> auto& { return vector().cdPosition[step]; });
        BoundSlider& bar = trackBar(name.constData(), Qt::Vertical, std::move(position), kInverted62, std::nullopt,
                                    toolTip);
        bar.slider().setPageStep(kBarPageStep);
        bar.slider().setParent(row);
        bar.slider().setGeometry(barLeft(step), 0, kBarWidth, kBarHeight);
        connect(&bar, &BoundControl::entered, this, [this, step] { trackBarChange(step); });
        bars_[entry] = &bar;
    }
    return row;
}

VectorParams& TVectorEdit::vector()
{
    VoiceParameters& voice = host_.voice();
    return editsDetune_ ? voice.detuneVector : voice.levelVector;
}

std::uint8_t& TVectorEdit::speed()
{
    VoiceParameters& voice = host_.voice();
    return editsDetune_ ? voice.detuneVectorSpeed : voice.levelVectorSpeed;
}

void TVectorEdit::refreshControls()
{
    // Every bar and list shows the voice; the selected step stays.
    refreshBindings();
    cbStepNumber->setCurrentIndex(selectedStep_);
    cbVectorSelect->setCurrentIndex(editsDetune_ ? 1 : 0);
    maskItems();
    path_->refresh();
}

void TVectorEdit::maskItems()
{
    const std::array<bool, kVectorSteps> played = playedSteps(vector());
    for (int step = 0; step < kBarsPerRow; ++step) {
        bars_[step]->widget()->setVisible(played[step]);
        bars_[kBarsPerRow + step]->widget()->setVisible(played[step]);
    }
}

void TVectorEdit::showSelectedStep()
{
    cbStepNumber->setCurrentIndex(selectedStep_);
    for (BoundList* list : {abList_, cdList_, repeatsList_})
        list->refresh();
    path_->refresh();
}

void TVectorEdit::trackBarChange(int step)
{
    selectedStep_ = step;
    showSelectedStep();
}

void TVectorEdit::cbStepNumberChange(int index)
{
    // Choosing a step changes no data, but is sent like every choice.
    selectedStep_ = index;
    updateDisplay();
    sendIfReady();
}

void TVectorEdit::cbVectorSelectChange(int index)
{
    editsDetune_ = index == 1;
    updateDisplay();
    sendIfReady();
}

void TVectorEdit::pathStepDragged(int step, int abPosition, int cdPosition)
{
    VectorParams& v = vector();
    v.abPosition[step] = static_cast<std::uint8_t>(abPosition);
    v.cdPosition[step] = static_cast<std::uint8_t>(cdPosition);
    bars_[step]->refresh();
    bars_[kBarsPerRow + step]->refresh();
    selectedStep_ = step;
    showSelectedStep();
    sendIfReady("Vector point", "vector path drag " + std::to_string(pathDrags_));
}

} // namespace morvane
