// The FM element editor: elements B and D, one at a time, and within an
// element its carrier or its modulator. The element's own settings (wave and
// its preset, pitch, feedback, responses, LFO and its assignments, level,
// pan) and the shown operator's settings and envelope, with both operators'
// envelopes drawn together.
#pragma once

#include "ElementEditor.h"

namespace morvane {

class TFMEdit : public ElementEditor {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 4;

    explicit TFMEdit(EditorHost& host, QWidget* parent = nullptr);

    bool elementBShown() const { return elementB_; }
    bool carrierShown() const { return carrier_; }

protected:
    ElementParams& element() override { return fm(); }
    EnvelopeParams& envelope() override { return op().envelope; }
    std::uint8_t& levelScaling() override { return op().levelScaling; }
    std::uint8_t& rateScaling() override { return op().rateScaling; }
    // The envelope type is the carrier's: only the carrier's typed entries
    // and scaling bars set it to "User".
    bool editsSetUserType() const override { return carrier_; }
    void applyPresetEnvelope() override;
    void applyTemplate(int type) override;
    void refreshControls() override;

private:
    FmElementParams& fm() { return elementB_ ? host_.voice().elementB : host_.voice().elementD; }
    // The operator shown: every operator control goes through here.
    FmOperatorParams& op() { return carrier_ ? fm().carrier : fm().modulator; }
    void cbElementChange(int index);
    void cbOperatorChange(int index);
    void cbWaveformChange(int index);

    QComboBox* cbWaveform;
    QComboBox* cbElement;
    QComboBox* cbOperator;
    NumberField* operatorLevel_ = nullptr;
    BoundSlider* sbLevel_ = nullptr;
    bool elementB_ = true;
    bool carrier_ = true;
};

} // namespace morvane
