// The AWM element editor: elements A and C, one at a time (wave by model,
// pitch, responses, LFO, level, pan, envelope with templates and per-wave
// presets, envelope drawing, envelope delay), and the instrument model.
#pragma once

#include "ElementEditor.h"

namespace morvane {

class TAWMEdit : public ElementEditor {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 1;

    explicit TAWMEdit(EditorHost& host, QWidget* parent = nullptr);

    bool elementAShown() const { return elementA_; }

protected:
    ElementParams& element() override { return awm(); }
    EnvelopeParams& envelope() override { return awm().envelope; }
    std::uint8_t& levelScaling() override { return awm().levelScaling; }
    std::uint8_t& rateScaling() override { return awm().rateScaling; }
    void applyPresetEnvelope() override;
    void applyTemplate(int type) override;
    void refreshControls() override;

private:
    AwmElementParams& awm() { return elementA_ ? host_.voice().elementA : host_.voice().elementC; }
    void changeElement(int index);
    void changeWaveform(int index);
    void changeModel(int index);

    QComboBox* cbWaveform;
    QComboBox* cbElement;
    QComboBox* cbModel;
    bool elementA_ = true;
    int waveList_ = -1;  // which name list cbWaveform holds
};

} // namespace morvane
