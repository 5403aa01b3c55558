#include "TFMEdit.h"

#include "EditorStyle.h"
#include "EnvelopePanel.h"
#include "FmWaves.h"
#include "WavePresets.h"
#include "NumberField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

namespace morvane {

TFMEdit::TFMEdit(EditorHost& host, QWidget* parent)
    : ElementEditor(host, QStringLiteral("FMEdit"), QStringLiteral("Morvane . . . FM Edit"), kHelpContext, parent)
{
    // Tone: the wave with its preset, pitch, feedback, the responses.
    cbWaveform = waveList(itemsOf(kFmWaveNames));
    connect(cbWaveform, &QComboBox::activated, this, &TFMEdit::cbWaveformChange);
    NumberField& feedback = number("tfFeedback", "udFeedback", field([this]() -> auto& { return fm().feedback; }));
    QGroupBox* tone = toneGroup(
        cbWaveform,
        {{label("Feedback: ",
                "Sets the amount of feedback on the modulator, higher numbers giving more harmonics (0 to 7)"),
          boxAndUpDown(feedback)}});

    // The operator shown.
    NumberField& opWave = number("tfFMWaveform", "udFMWaveform", field([this]() -> auto& { return op().opWaveform; }),
                                 kAsStored, std::nullopt, "Selects the operator waveform, 0 being a pure sine wave (0 to 7)");
    NumberField& harmonic = number("tfFMFrequency", "udFMFrequency", field([this]() -> auto& { return op().frequency; }),
                                   kAsStored, std::nullopt, "Sets the harmonic frequency of the selected operator (0 to 15)");
    BoundCheck& fixed = check("cbFixedFrequency", "Fixed frequency:  ",
                              field([this]() -> auto& { return op().fixedFrequency; }),
                              "Sets if selected operator pitch tracks the keyboard");
    fixed.box().setLayoutDirection(Qt::RightToLeft);  // the text stands left of the box
    NumberField& detune = number("tfDetune", "udDetune", field([this]() -> auto& { return op().detune; }), kAsStored,
                                 std::nullopt, "Detunes the element (0 to 15)");
    NumberField& temperament = number("tfTemperament", "udTemperament",
                                      field([this]() -> auto& { return op().temperament; }), kAsStored, std::nullopt,
                                      "Sets the element's keyboard pitch scaling (0 to 3)");
    operatorLevel_ = &number("tfOperatorLevel", "udOperatorLevel", field([this]() -> auto& { return op().level; }),
                             kInverted127, std::nullopt,
                             "Sets the level of the selected operator (carrier level affects volume, modulator level "
                             "affects timbre)");
    QGridLayout* operatorGrid = captionGrid({{label("Waveform: "), boxAndUpDown(opWave)},
                                             {label("Harmonic: "), boxAndUpDown(harmonic)},
                                             {nullptr, row({fixed.widget()}, false)},
                                             {label("Detune: "), boxAndUpDown(detune)},
                                             {label("Temperament: "), boxAndUpDown(temperament)},
                                             {label("Level: "), boxAndUpDown(*operatorLevel_)}},
                                            3);
    operatorGrid->setHorizontalSpacing(4);

    // Envelope: the modulator's thin red trace under the carrier's thick
    // navy one; the voice-wide offsets act on the carrier only.
    QGroupBox* envelopeBox = envelopeGroup(QSize(287, 135), 4);
    envWindow_->addTrace({[this]() -> const EnvelopeParams& { return fm().modulator.envelope; }, false,
                          style::kModulatorPen, 1});
    envWindow_->addTrace({[this]() -> const EnvelopeParams& { return fm().carrier.envelope; }, true,
                          style::kEnvelopePen, 2});

    // LFO, with the four switches that say which operators it acts on.
    QGridLayout* lfoRows = nullptr;
    QGroupBox* lfo = lfoGroup(kFmLfoPictograms, 255, "Sets the time before the LFO comes in (0 to 255)", lfoRows);
    const struct {
        const char* name;
        const char* text;
        std::uint8_t ElementParams::*member;
    } assigns[] = {
        {"cbCarrierAM", "Assign AM to carrier:", &ElementParams::carrierAm},
        {"cbModulatorAM", "Assign AM to modulator:", &ElementParams::modulatorAm},
        {"cbCarrierPM", "Assign PM to carrier:", &ElementParams::carrierPm},
        {"cbModulatorPM", "Assign PM to modulator:", &ElementParams::modulatorPm},
    };
    for (const auto& a : assigns) {
        const auto member = a.member;
        BoundCheck& box = check(a.name, a.text, field([this, member]() -> auto& { return fm().*member; }));
        box.box().setLayoutDirection(Qt::RightToLeft);
        lfoRows->addWidget(box.widget(), lfoRows->rowCount(), 0, 1, -1, Qt::AlignRight | Qt::AlignAbsolute);
    }

    // Level and pan: sbLevel is the carrier's level, whichever operator is
    // shown; the level box follows it while it shows the carrier.
    QGroupBox* levelPan =
        levelPanGroup(field([this]() -> auto& { return fm().carrier.level; }),
                      "Sets the level of the element (equivalent to carrier level)", sbLevel_);
    connect(sbLevel_, &BoundControl::entered, this, [this] {
        if (carrier_)
            operatorLevel_->refresh();
    });
    connect(operatorLevel_, &BoundControl::entered, this, [this] {
        if (carrier_)
            sbLevel_->refresh();
    });

    // Options: the element and the operator edited.
    cbElement = optionList("cbElement", {QStringLiteral("Element B"), QStringLiteral("Element D")},
                           "Selects element B or D for editing");
    connect(cbElement, &QComboBox::activated, this, &TFMEdit::cbElementChange);
    cbOperator = optionList("cbOperator", {QStringLiteral("Carrier"), QStringLiteral("Modulator")},
                            "Select FM operator to edit (carrier or modulator)");
    connect(cbOperator, &QComboBox::activated, this, &TFMEdit::cbOperatorChange);
    cbOperator->setCurrentIndex(0);

    arrange({tone, group(" FM operator ", operatorGrid, this), envelopeBox}, lfo, levelPan,
            optionsGroup({{"Select element", cbElement}, {"Select FM operator", cbOperator}}), QSize(689, 469));
}

void TFMEdit::refreshControls()
{
    cbElement->setCurrentIndex(elementB_ ? 0 : 1);
    cbWaveform->setCurrentIndex(fm().waveform);
    cbEnvType->setEnabled(carrier_);
    ElementEditor::refreshControls();
}

void TFMEdit::applyPresetEnvelope()
{
    applyFmCarrierPreset(fm());
}

void TFMEdit::applyTemplate(int type)
{
    // The envelope type belongs to the carrier (the list is only enabled
    // while the carrier is shown).
    applyEnvelopeTemplate(fm().carrier, type);
}

void TFMEdit::cbElementChange(int index)
{
    elementB_ = index == 0;
    updateDisplay();
}

void TFMEdit::cbOperatorChange(int index)
{
    carrier_ = index == 0;
    updateDisplay();
}

void TFMEdit::cbWaveformChange(int index)
{
    // Under "Preset" the carrier takes the new wave's envelope too; the
    // type stays "Preset" (the refresh shows it and never writes it).
    chooseFmWave(fm(), index);
    withoutSending([this] { refreshControls(); });
    // A choice in the list is always the user's, so the window is ready: the
    // voice goes out whenever auto-send is on.
    sendIfReady();
}

} // namespace morvane
