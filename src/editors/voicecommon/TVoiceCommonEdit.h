// The voice common editor: name, element configuration, effect, pitch bend,
// aftertouch and wheel assignments, and the voice-wide envelope adjustments.
#pragma once

#include "EditorWindow.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace morvane {

class TVoiceCommonEdit : public EditorWindow {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 10;

    explicit TVoiceCommonEdit(EditorHost& host, QWidget* parent = nullptr);

    // The element editors redraw their envelopes after an attack or release
    // entry: the FM one first, then the AWM one.
    void setEnvelopeDrawers(EnvelopeDrawer* fmEdit, EnvelopeDrawer* awmEdit);

protected:
    void refreshControls() override;

private:
    void tfVoiceNameChange();
    void comboBoxChange(QComboBox* box, int index);
    void checkBoxChanged(QCheckBox* box, bool checked);
    void redrawEnvelopes();

    QLineEdit* tfVoiceName;
    QComboBox* cbVoiceConfig;
    QComboBox* cbFXType;
    QLineEdit* tfFXDepth;
    QLineEdit* tfBendRange;
    QLineEdit* tfAftertouchPitch;
    QLineEdit* tfAttack;
    QLineEdit* tfRelease;
    UpDown* udFXDepth;
    UpDown* udBendRange;
    UpDown* udAftertouchPitch;
    UpDown* udAttack;
    UpDown* udRelease;
    QCheckBox* cbAftertouchAM;
    QCheckBox* cbAftertouchPM;
    QCheckBox* cbAftertouchLevel;
    QCheckBox* cbModWheelAM;
    QCheckBox* cbModWheelPM;

    NumberField* fxDepth;
    NumberField* bendRange;
    NumberField* aftertouchPitch;
    NumberField* attack;
    NumberField* release;

    EnvelopeDrawer* fmDrawer_ = nullptr;
    EnvelopeDrawer* awmDrawer_ = nullptr;
};

} // namespace morvane
