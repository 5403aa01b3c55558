// What choosing a wave or an envelope type writes into an element: the one
// place that applies the wave presets and the envelope templates, for the
// editors and anything else that edits a voice.
#pragma once

#include "VoiceParameters.h"

namespace morvane {

// The AWM element's preset envelope of its wave (the type "Preset"): the
// four levels, the four rates and the rate scaling, level scaling 0. A wave
// outside the table leaves the element as it is.
void applyAwmPresetEnvelope(AwmElementParams& element);

// The FM element's carrier takes the preset envelope of the element's wave.
void applyFmCarrierPreset(FmElementParams& element);

// Choosing wave `wave` for an FM element: the wave, its feedback, both
// operators' tuning and the modulator's level and envelope; under the
// envelope type "Preset" also the carrier's envelope.
void chooseFmWave(FmElementParams& element, int wave);

// Envelope type `type` (2-7) writes its template into an AWM element or an
// FM operator; other types write nothing. Returns whether it wrote.
bool applyEnvelopeTemplate(AwmElementParams& element, int type);
bool applyEnvelopeTemplate(FmOperatorParams& op, int type);

} // namespace morvane
