#include "ElementEditor.h"

#include "EnvelopePanel.h"
#include "NumberField.h"
#include "UpDown.h"

#include <algorithm>
#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace morvane {

ElementEditor::ElementEditor(EditorHost& host, const QString& objectName, const QString& caption, int helpContext,
                             QWidget* parent)
    : EditorWindow(host, objectName, caption, helpContext, parent)
{
}

QGridLayout* ElementEditor::captionGrid(const Cells& cells, int columns)
{
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(1);
    int index = 0;
    for (const auto& [caption, content] : cells) {
        const int r = index / columns;
        const int c = 2 * (index % columns);
        if (caption != nullptr) {
            grid->addWidget(caption, r, c, Qt::AlignRight);
            grid->addLayout(content, r, c + 1);
        } else {
            grid->addLayout(content, r, c, 1, 2, Qt::AlignRight);
        }
        ++index;
    }
    return grid;
}

QHBoxLayout* ElementEditor::boxAndUpDown(NumberField& field)
{
    return row({&field.box(), field.upDown()}, false);
}

QComboBox* ElementEditor::waveList(const QStringList& names)
{
    QComboBox* list = plainList("cbWaveform", names);
    list->setFixedWidth(86);
    return list;
}

QGroupBox* ElementEditor::toneGroup(QComboBox* waves, const Cells& fields)
{
    NumberField& pitch = number("tfPitch", "udPitch", field([this]() -> auto& { return element().pitch; }), kAsStored,
                                std::nullopt, "Shifts the pitch of the element in semi-tones (-12 to + 12)");
    Cells cells{{label("Waveform: "), row({waves}, false)}, {label("Pitch: "), boxAndUpDown(pitch)}};
    cells.insert(cells.end(), fields.begin(), fields.end());
    QGridLayout* grid = captionGrid(cells, 2);
    grid->setVerticalSpacing(3);
    auto* tone = new QHBoxLayout;
    tone->setSpacing(10);
    tone->addLayout(grid);
    tone->addWidget(responseBars());
    return group(" Tone ", tone, this);
}

QWidget* ElementEditor::responseBars()
{
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(0);
    const struct {
        const char* caption;
        const char* name;
        const char* tip;
        const std::array<Pictogram, 3>& pictures;
        bool velocity;
    } bars[] = {
        {"Velocity response: ", "tbVelResp", "Sets the element's response to key velocity", kVelocityPictograms, true},
        {"Aftertouch response: ", "tbATResp", "Sets the element's response to key pressure", kAftertouchPictograms,
         false},
    };
    int column = 0;
    for (const auto& b : bars) {
        FieldRef f = b.velocity ? field([this]() -> auto& { return element().velResp; })
                                : field([this]() -> auto& { return element().atResp; });
        BoundSlider& bar = trackBar(b.name, Qt::Horizontal, std::move(f), kAsStored, std::nullopt, b.tip);
        bar.slider().setFixedWidth(130);
        grid->addWidget(label(b.caption), 0, column);
        grid->addWidget(bar.widget(), 1, column);
        grid->addWidget(pictogramStrip(b.pictures, Qt::Horizontal, this), 2, column);
        ++column;
    }
    return box;
}

QGroupBox* ElementEditor::lfoGroup(const std::array<Pictogram, 5>& waves, int delayTypedMax, const char* delayTip,
                                   QGridLayout*& rows)
{
    auto el = [this]() -> ElementParams& { return element(); };
    NumberField& speed = number("tfLFOSpeed", "udLFOSpeed", field([=]() -> auto& { return el().lfoSpeed; }),
                                kAsStored, std::nullopt, "Sets the LFO Speed (0 to 31)");
    NumberField& delay = number("tfLFODelay", "udLFODelay", field([=]() -> auto& { return el().lfoDelay; }), kAsStored,
                                ShownRange{0, delayTypedMax}, delayTip);
    delay.setUpDownRange({0, 127});
    NumberField& rate = number("tfLFORate", "udLFORate", field([=]() -> auto& { return el().lfoRate; }),
                               kInverted127, ShownRange{0, 127});
    NumberField& am = number("tfLFOAMDepth", "udLFOAMDepth", field([=]() -> auto& { return el().lfoAmDepth; }),
                             kAsStored, std::nullopt, "Sets the amount of tremolo (0 to 15)");
    NumberField& pm = number("tfLFOPMDepth", "udLFOPMDepth", field([=]() -> auto& { return el().lfoPmDepth; }),
                             kAsStored, std::nullopt, "Sets the amount of vibrato (0 to 31)");
    BoundSlider& wave = trackBar("tbLFOWaveform", Qt::Vertical, field([=]() -> auto& { return el().lfoWaveform; }),
                                 kAsStored, std::nullopt, "Selects the LFO waveform");
    wave.slider().setFixedHeight(5 * kPictogramHeight);

    QGridLayout* fields = captionGrid({{label("Speed: "), boxAndUpDown(speed)},
                                       {label("Delay: "), boxAndUpDown(delay)},
                                       {label("Rate: "), boxAndUpDown(rate)},
                                       {label("AM depth: "), boxAndUpDown(am)},
                                       {label("PM depth: "), boxAndUpDown(pm)}},
                                      1);
    // The window's own rows go under the fields and the waveform bar, the
    // whole width of the group.
    rows = new QGridLayout;
    rows->setHorizontalSpacing(4);
    rows->setVerticalSpacing(1);
    rows->addLayout(fields, 0, 0);
    rows->setColumnStretch(1, 1);
    rows->addWidget(wave.widget(), 0, 2);
    rows->addWidget(pictogramStrip(waves, Qt::Vertical, this), 0, 3, Qt::AlignTop);
    return group(" Low Frequency Oscillator ", rows, this);
}

QGroupBox* ElementEditor::envelopeGroup(QSize pictureSize, int levelTop)
{
    // Scalings: the level bar with its 16 curves, "Scaling" spelt downwards,
    // the 8 rate curves and the rate bar.
    BoundSlider& levelBar = trackBar("tbLevelScaling", Qt::Vertical, field([this]() -> auto& { return levelScaling(); }),
                                     kAsStored, std::nullopt, "Sets the envelope level scaling to pitch");
    BoundSlider& rateBar = trackBar("tbRateScaling", Qt::Vertical, field([this]() -> auto& { return rateScaling(); }),
                                    kAsStored, ShownRange{0, 7}, "Sets the envelope rate scaling to pitch");
    levelBar.slider().setFixedHeight(16 * kPictogramHeight);
    rateBar.slider().setFixedHeight(8 * kPictogramHeight);
    for (BoundSlider* bar : {&levelBar, &rateBar})
        connect(bar, &BoundControl::entered, this, [this] {
            if (editsSetUserType())
                setUserType();
        });
    auto* letters = new QVBoxLayout;
    letters->setSpacing(0);
    letters->addStretch();
    for (const char* letter : {"S", "c", "a", "l", "i", "n", "g"})
        letters->addWidget(label(letter), 0, Qt::AlignHCenter);
    letters->addStretch();
    auto* scaling = new QGridLayout;
    scaling->setSpacing(1);
    scaling->addWidget(levelBar.widget(), 0, 0, Qt::AlignTop);
    scaling->addWidget(pictogramStrip(kLevelScalingPictograms, Qt::Vertical, this), 0, 1, Qt::AlignTop);
    scaling->addLayout(letters, 0, 2);
    scaling->addWidget(pictogramStrip(kRateScalingPictograms, Qt::Vertical, this), 0, 3, Qt::AlignTop);
    scaling->addWidget(rateBar.widget(), 0, 4, Qt::AlignTop);
    scaling->addWidget(label("  Level "), 1, 0, 1, 2);
    scaling->addWidget(label("Rate  "), 1, 3, 1, 2, Qt::AlignRight);
    scaling->setRowStretch(2, 1);

    // Type and delay.
    cbEnvType = plainList("cbEnvType", itemsOf(kEnvelopeTypeNames));
    connect(cbEnvType, &QComboBox::activated, this, &ElementEditor::envTypeChosen);
    BoundCheck& delaySwitch = check("cbEnvelopeDelay", " Delay: ", field([this]() -> auto& { return envelope().delayOn; }),
                                    "Selects whether the start of the attack is delayed");
    delaySwitch.box().setLayoutDirection(Qt::RightToLeft);  // the text stands left of the box
    connect(&delaySwitch, &BoundControl::entered, this, [this] {
        showDelayEnabled();
        drawEnvelope();
    });
    envelopeDelay_ = &number("tfEnvelopeDelay", "udEnvelopeDelay",
                             field([this]() -> auto& { return host_.voice().common.envDelay; }));
    connect(envelopeDelay_, &BoundControl::entered, this, [this] {
        drawEnvelope();
        if (partner_ != nullptr)
            partner_->envDelayChanged();
    });

    // Levels and rates.
    const struct {
        const char* box;
        const char* upDown;
        const char* caption;
        const char* tip;
        std::uint8_t EnvelopeParams::*member;
        bool level;
    } entries[] = {
        {"tfLevelInitial", "udLevelInitial", "Initial: ", "Sets the initial level of the envelope (0 to 127)",
         &EnvelopeParams::initialLevel, true},
        {"tfLevelAttack", "udLevelAttack", "Attack: ",
         "Sets the level of the envelope after the attack stage (0 to 127)", &EnvelopeParams::attackLevel, true},
        {"tfLevelDecay1", "udLevelDecay1", "Decay 1: ",
         "Sets the level of the envelope after the decay 1 stage (0 to 127)", &EnvelopeParams::decay1Level, true},
        {"tfLevelDecay2", "udLevelDecay2", "Decay 2: ",
         "Sets the level of the envelope after the decay 2 stage (0 to 127)", &EnvelopeParams::decay2Level, true},
        {"tfRateAttack", "udRateAttack", "Attack: ",
         "Sets the rate at which the volume changes from initial level to attack level (0 to 63)",
         &EnvelopeParams::attackRate, false},
        {"tfRateDecay1", "udRateDecay1", "Decay 1: ",
         "Sets the rate at which the volume changes from attack level to decay 1 level (0 to 63)",
         &EnvelopeParams::decay1Rate, false},
        {"tfRateDecay2", "udRateDecay2", "Decay 2: ",
         "Sets the rate at which the volume changes from decay 1 level to decay 2 level (0 to 63)",
         &EnvelopeParams::decay2Rate, false},
        {"tfRateRelease", "udRateRelease", "Release: ",
         "Sets the rate at which the volume falls from decay 2 level to silence (0 to 63)",
         &EnvelopeParams::releaseRate, false},
    };
    auto* levels = new QGridLayout;
    auto* rates = new QGridLayout;
    for (QGridLayout* grid : {levels, rates}) {
        grid->setHorizontalSpacing(2);
        grid->setVerticalSpacing(1);
    }
    int index = 0;
    for (const auto& e : entries) {
        const auto member = e.member;
        NumberField& f = number(e.box, e.upDown, field([this, member]() -> auto& { return envelope().*member; }),
                                e.level ? kInverted127 : kAsStored, std::nullopt, e.tip);
        connect(&f, &NumberField::keyTyped, this, [this] {
            if (editsSetUserType())
                setUserType();
        });
        connect(&f, &NumberField::stepped, this, &ElementEditor::setUserType);
        connect(&f, &BoundControl::entered, this, [this] {
            updatePeakStage(envelope());
            drawEnvelope();
        });
        QGridLayout* grid = e.level ? levels : rates;
        grid->addWidget(label(e.caption), index % 4, 0, Qt::AlignRight);
        grid->addLayout(boxAndUpDown(f), index % 4, 1);
        ++index;
    }

    auto* picture = new QWidget(this);
    picture->setObjectName(QStringLiteral("envPanel"));
    picture->setToolTip(QStringLiteral("Visual representation of the envelope"));
    picture->setStyleSheet(QStringLiteral("QWidget#envPanel { background-color: silver; border: 1px inset gray; }"));
    picture->setAttribute(Qt::WA_StyledBackground);
    auto* pictureLayout = new QVBoxLayout(picture);
    pictureLayout->setContentsMargins(2, 2, 2, 2);
    envWindow_ = new EnvelopePanel(pictureSize, levelTop, [this]() -> const VoiceCommonParams& { return host_.voice().common; },
                                   picture);
    pictureLayout->addWidget(envWindow_);

    auto* typeRow = row({label("Type: "), cbEnvType, delaySwitch.widget(), &envelopeDelay_->box(), envelopeDelay_->upDown()});
    auto* boxes = new QHBoxLayout;
    boxes->setSpacing(4);
    boxes->addWidget(group(" Levels ", levels, this));
    boxes->addWidget(group(" Rates ", rates, this));
    auto* right = new QVBoxLayout;
    right->setSpacing(3);
    right->addLayout(typeRow);
    right->addLayout(boxes);
    right->addWidget(picture, 0, Qt::AlignLeft);
    right->addStretch();
    auto* layout = new QHBoxLayout;
    layout->setSpacing(6);
    layout->addLayout(scaling);
    layout->addLayout(right);
    return group(" Envelope ", layout, this);
}

QGroupBox* ElementEditor::levelPanGroup(FieldRef level, const char* levelTip, BoundSlider*& levelBar)
{
    levelBar = &scrollBar("sbLevel", Qt::Vertical, std::move(level), kAsStored, ShownRange{0, 127}, levelTip);
    BoundSlider& pan = scrollBar("sbPan", Qt::Horizontal, field([this]() -> auto& { return element().pan; }),
                                 kInverted4, ShownRange{0, 4}, "Sets the pan position of the element");
    levelBar->slider().setFixedHeight(90);
    pan.slider().setFixedWidth(64);
    // Each bar's value beside it, kept up to date by the bar itself (also
    // when the editors are refreshed).
    auto valueLabel = [this](const char* name, QAbstractSlider& bar, const QString& widest, auto text) {
        QLabel* shown = label("");
        shown->setObjectName(QString::fromLatin1(name));
        shown->setMinimumWidth(shown->fontMetrics().horizontalAdvance(widest) + 2);
        connect(&bar, &QAbstractSlider::valueChanged, shown, [shown, text](int value) { shown->setText(text(value)); });
        shown->setText(text(bar.value()));
        return shown;
    };
    QLabel* levelValue = valueLabel("lbLevelValue", levelBar->slider(), QStringLiteral("127"),
                                    [](int value) { return QString::number(value); });
    // The pan positions from left to right.
    QLabel* panValue = valueLabel("lbPanValue", pan.slider(), QStringLiteral("R2"), [](int position) {
        static constexpr const char* kPlaces[] = {"L2", "L1", "C", "R1", "R2"};
        return QString::fromLatin1(kPlaces[std::clamp(position, 0, 4)]);
    });
    auto* levelRow = new QHBoxLayout;
    levelRow->setSpacing(4);
    levelRow->addStretch();
    levelRow->addWidget(levelBar->widget());
    levelRow->addWidget(levelValue, 0, Qt::AlignVCenter);
    levelRow->addStretch();
    auto* panRow = new QHBoxLayout;
    panRow->setSpacing(4);
    panRow->addStretch();
    panRow->addWidget(pan.widget());
    panRow->addWidget(panValue);
    panRow->addStretch();
    auto* layout = new QVBoxLayout;
    layout->setSpacing(4);
    layout->addLayout(levelRow);
    layout->addLayout(panRow);
    return group(" Level && Pan ", layout, this);
}

QGroupBox* ElementEditor::optionsGroup(std::initializer_list<std::pair<const char*, QComboBox*>> lists)
{
    auto* layout = new QVBoxLayout;
    layout->setSpacing(1);
    for (const auto& [caption, list] : lists) {
        layout->addWidget(label(caption));
        layout->addWidget(list);
    }
    return group(" Options ", layout, this);
}

void ElementEditor::arrange(std::initializer_list<QWidget*> left, QGroupBox* lfo, QGroupBox* levelPan,
                            QGroupBox* options, QSize size)
{
    auto* leftColumn = new QVBoxLayout;
    leftColumn->setSpacing(2);
    for (QWidget* widget : left)
        leftColumn->addWidget(widget);
    leftColumn->addStretch();
    auto* middle = new QHBoxLayout;
    middle->setSpacing(6);
    middle->addWidget(levelPan);
    middle->addLayout(makeButtonColumn());
    auto* rightColumn = new QVBoxLayout;
    rightColumn->setSpacing(2);
    rightColumn->addWidget(lfo);
    rightColumn->addLayout(middle);
    rightColumn->addWidget(options);
    rightColumn->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->setSpacing(6);
    layout->addLayout(leftColumn);
    layout->addLayout(rightColumn);
    setFixedSize(size);
}

void ElementEditor::refreshControls()
{
    refreshBindings();
    const int type = element().envType;
    cbEnvType->setCurrentIndex(type < cbEnvType->count() ? type : -1);
    showDelayEnabled();
    drawEnvelope();
}

void ElementEditor::setUserType()
{
    element().envType = kEnvTypeUser;
    cbEnvType->setCurrentIndex(kEnvTypeUser);
}

void ElementEditor::envTypeChosen(int type)
{
    element().envType = static_cast<std::uint8_t>(type);
    if (type == kEnvTypePreset)
        applyPresetEnvelope();
    else if (type >= kFirstTemplate)
        applyTemplate(type);
    if (type != kEnvTypeUser)
        withoutSending([this] { refreshControls(); });
    sendIfReady("Envelope type");
}

void ElementEditor::showDelayEnabled()
{
    const bool on = envelope().delayOn != 0;
    envelopeDelay_->box().setEnabled(on);
    envelopeDelay_->upDown()->setEnabled(on);
}

void ElementEditor::drawEnvelope()
{
    envWindow_->refresh();
}

void ElementEditor::envDelayChanged()
{
    withoutSending([this] {
        envelopeDelay_->refresh();
        drawEnvelope();
    });
}

} // namespace morvane
