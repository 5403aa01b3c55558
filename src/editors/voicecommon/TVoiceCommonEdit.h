// The voice common editor: name, element configuration, effect, pitch bend,
// aftertouch and wheel assignments, and the voice-wide envelope adjustments.
#pragma once

#include "EditorWindow.h"

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
    void redrawEnvelopes();

    QLineEdit* tfVoiceName;
    EnvelopeDrawer* fmDrawer_ = nullptr;
    EnvelopeDrawer* awmDrawer_ = nullptr;
};

} // namespace morvane
