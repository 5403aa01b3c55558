#include "TAWMEdit.h"

#include "AwmWaves.h"
#include "WavePresets.h"
#include "EditorStyle.h"
#include "EnvelopePanel.h"
#include "NumberField.h"
#include "UpDown.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace morvane {

TAWMEdit::TAWMEdit(EditorHost& host, QWidget* parent)
    : ElementEditor(host, QStringLiteral("AWMEdit"), QStringLiteral("Morvane . . . AWM Edit"), kHelpContext, parent)
{
    // Tone.
    cbWaveform = waveList(itemsOf(kAwmWaveNames));
    connect(cbWaveform, &QComboBox::activated, this, &TAWMEdit::changeWaveform);
    NumberField& temperament = number("tfTemperament", "udTemperament",
                                      field([this]() -> auto& { return awm().temperament; }), kAsStored, ShownRange{0, 3},
                                      "Sets the element's keyboard pitch scaling (0 to 3)");
    NumberField& detune = number("tfDetune", "udDetune", field([this]() -> auto& { return awm().detune; }), kAsStored,
                                 std::nullopt, "Detunes the element (0 to 15)");
    QGroupBox* tone = toneGroup(cbWaveform, {{label("Temperament: "), boxAndUpDown(temperament)},
                                             {label("Detune: "), boxAndUpDown(detune)}});

    // Envelope, LFO, level and pan.
    QGroupBox* envelopeBox = envelopeGroup(QSize(295, 139), 6);
    envWindow_->addTrace({[this]() -> const EnvelopeParams& { return awm().envelope; }, true, style::kEnvelopePen, 2});
    QGridLayout* lfoRows = nullptr;
    QGroupBox* lfo = lfoGroup(kAwmLfoPictograms, 127, nullptr, lfoRows);
    BoundSlider* levelBar = nullptr;
    QGroupBox* levelPan = levelPanGroup(field([this]() -> auto& { return awm().level; }),
                                        "Sets the level of the element", levelBar);

    // Options: the element edited and the instrument model.
    cbElement = optionList("cbElement", {QStringLiteral("Element A"), QStringLiteral("Element C")},
                           "Selects element A or C for editing");
    connect(cbElement, &QComboBox::activated, this, &TAWMEdit::changeElement);
    cbModel = optionList("cbModel", {QStringLiteral("SY-22"), QStringLiteral("SY-35"), QStringLiteral("TG-33")},
                         "Select synth model (SY-22 or SY-35)");
    connect(cbModel, &QComboBox::activated, this, &TAWMEdit::changeModel);
    arrange({tone, envelopeBox}, lfo, levelPan,
            optionsGroup({{"Select element", cbElement}, {"Select model", cbModel}}), QSize(688, 432));
}

void TAWMEdit::refreshControls()
{
    // The SY-22 and the TG-33 share the first list of names; the SY-35 and
    // any other setting take the second. The setting itself stays.
    const int model = host_.model();
    const int list = model == 0 || model == 2 ? 0 : 1;
    cbModel->setCurrentIndex(list == 0 ? model : 1);
    if (list != waveList_) {
        cbWaveform->clear();
        cbWaveform->addItems(itemsOf(list == 0 ? kAwmWaveNames : kSy35WaveNames));
        waveList_ = list;
    }
    cbElement->setCurrentIndex(elementA_ ? 0 : 1);
    const int wave = awm().waveform;
    cbWaveform->setCurrentIndex(wave < cbWaveform->count() ? wave : -1);
    ElementEditor::refreshControls();
}

void TAWMEdit::applyPresetEnvelope()
{
    applyAwmPresetEnvelope(awm());
}

void TAWMEdit::applyTemplate(int type)
{
    applyEnvelopeTemplate(awm(), type);
}

void TAWMEdit::changeElement(int index)
{
    elementA_ = index == 0;
    updateDisplay();
}

void TAWMEdit::changeWaveform(int index)
{
    awm().waveform = static_cast<std::uint8_t>(index);
    if (awm().envType == kEnvTypePreset) {
        applyPresetEnvelope();
        withoutSending([this] { refreshControls(); });
    }
    sendIfReady("Waveform");
}

void TAWMEdit::changeModel(int index)
{
    host_.setModel(index);
    updateDisplay();
}

} // namespace morvane
