#include "WavePresets.h"

#include "AwmWaves.h"
#include "EnvelopeTemplates.h"
#include "FmWaves.h"

namespace morvane {

namespace {

// A stored preset envelope as the windows show it.
ShownEnvelope shownEnvelope(const FmStoredEnvelope& e)
{
    const auto shown = [](std::uint8_t stored) { return static_cast<std::uint8_t>(127 - stored); };
    return {shown(e.initialLevel), e.attackRate, shown(e.attackLevel), e.decay1Rate, shown(e.decay1Level),
            e.decay2Rate,          shown(e.decay2Level), e.releaseRate, e.levelScaling, e.rateScaling};
}

void writeTuning(FmOperatorParams& op, const FmTuning& t)
{
    op.opWaveform = t.waveform;
    op.frequency = t.frequency;
    op.fixedFrequency = t.fixedFrequency;
    op.detune = t.detune;
    op.temperament = t.temperament;
}

template <typename Record>
bool writeTemplate(Record& record, int type)
{
    if (type < kFirstTemplate || type >= static_cast<int>(kEnvelopeTypeNames.size()))
        return false;
    writeEnvelope(record, kEnvelopeTemplates[static_cast<std::size_t>(type - kFirstTemplate)]);
    return true;
}

} // namespace

void applyAwmPresetEnvelope(AwmElementParams& element)
{
    const int wave = element.waveform;
    if (wave >= static_cast<int>(kAwmPresetEnvelopes.size()))
        return;
    const AwmPresetEnvelope& p = kAwmPresetEnvelopes[static_cast<std::size_t>(wave)];
    writeEnvelope(element, ShownEnvelope{p.initialLevel, p.attackRate, p.attackLevel, p.decay1Rate, p.decay1Level,
                                         p.decay2Rate, p.decay2Level, p.releaseRate, 0, p.rateScaling});
}

void applyFmCarrierPreset(FmElementParams& element)
{
    writeEnvelope(element.carrier, shownEnvelope(kFmCarrierEnvelopes[element.waveform].envelope));
}

void chooseFmWave(FmElementParams& element, int wave)
{
    element.waveform = static_cast<std::uint8_t>(wave);
    const FmWavePreset& p = kFmWavePresets[element.waveform];
    element.feedback = p.feedback;
    writeTuning(element.carrier, p.carrier);
    writeTuning(element.modulator, p.modulator);
    element.modulator.level = p.modulatorLevel;
    writeEnvelope(element.modulator, shownEnvelope(p.modulatorEnvelope));
    if (element.envType == kEnvTypePreset)
        applyFmCarrierPreset(element);
}

bool applyEnvelopeTemplate(AwmElementParams& element, int type)
{
    return writeTemplate(element, type);
}

bool applyEnvelopeTemplate(FmOperatorParams& op, int type)
{
    return writeTemplate(op, type);
}

} // namespace morvane
