// A voice with every field set to a random value within its range, for
// round-trip tests.
#pragma once

#include "VoiceParameters.h"

#include <random>

namespace morvane::test {

class RandomVoice {
public:
    explicit RandomVoice(unsigned seed) : rng_(seed) {}

    VoiceParameters make()
    {
        VoiceParameters v{};
        VoiceCommonParams& c = v.common;
        c.effectDepth = u(0, 7);
        c.effectType = u(0, 15);
        for (char& ch : c.name)
            ch = static_cast<char>(u(32, 126));
        c.voiceConfig = u(0, 1);
        c.bendRange = u(0, 12);
        c.atAm = u(0, 1);
        c.atPm = u(0, 1);
        c.atLevel = u(0, 1);
        c.wheelAm = u(0, 1);
        c.wheelPm = u(0, 1);
        c.atPitch = s(-12, 12);
        c.envDelay = u(0, 127);
        c.attack = s(-64, 63);
        c.release = s(-64, 63);
        awm(v.elementA);
        fm(v.elementB);
        awm(v.elementC);
        fm(v.elementD);
        v.levelVectorSpeed = u(1, 16);
        v.detuneVectorSpeed = u(1, 16);
        vector(v.levelVector);
        vector(v.detuneVector);
        return v;
    }

private:
    std::uint8_t u(int lo, int hi) { return static_cast<std::uint8_t>(std::uniform_int_distribution<int>(lo, hi)(rng_)); }
    std::int8_t s(int lo, int hi) { return static_cast<std::int8_t>(std::uniform_int_distribution<int>(lo, hi)(rng_)); }

    void envelope(EnvelopeParams& e)
    {
        e.delayOn = u(0, 1);
        e.attackRate = u(0, 63);
        e.decay1Rate = u(0, 63);
        e.peakStage = u(0, 3);
        e.decay2Rate = u(0, 63);
        e.releaseRate = u(0, 63);
        e.initialLevel = u(0, 127);
        e.attackLevel = u(0, 127);
        e.decay1Level = u(0, 127);
        e.decay2Level = u(0, 127);
    }
    void header(ElementParams& e, int waveforms, bool fmFlags)
    {
        e.waveform = u(0, waveforms - 1);
        e.pitch = s(-12, 12);
        e.velResp = s(-5, 5);
        e.atResp = s(-3, 3);
        e.lfoWaveform = u(0, 4);
        e.lfoSpeed = u(0, 31);
        e.lfoDelay = u(0, 255);
        e.lfoRate = u(0, 255);
        e.lfoAmDepth = u(0, 15);
        e.lfoPmDepth = u(0, 31);
        if (fmFlags) {
            e.carrierAm = u(0, 1);
            e.modulatorAm = u(0, 1);
            e.carrierPm = u(0, 1);
            e.modulatorPm = u(0, 1);
        }
        e.envType = u(0, 7);
        e.pan = u(0, 4);
    }
    void op(FmOperatorParams& o)
    {
        o.fixedFrequency = u(0, 1);
        o.opWaveform = u(0, 7);
        o.frequency = u(0, 15);
        o.level = u(0, 127);
        o.temperament = u(0, 3);
        o.detune = u(0, 15);
        o.levelScaling = u(0, 15);
        o.rateScaling = u(0, 15);
        envelope(o.envelope);
    }
    void awm(AwmElementParams& e)
    {
        header(e, 128, false);
        e.level = u(0, 127);
        e.temperament = u(0, 3);
        e.detune = u(0, 15);
        e.levelScaling = u(0, 15);
        e.rateScaling = u(0, 15);
        envelope(e.envelope);
    }
    void fm(FmElementParams& e)
    {
        header(e, 256, true);
        e.feedback = u(0, 7);
        op(e.modulator);
        op(e.carrier);
    }
    void vector(VectorParams& v)
    {
        for (int i = 0; i < kVectorSteps; ++i) {
            v.stepTime[i] = u(0, 255);
            v.cdPosition[i] = u(0, 62);
            v.abPosition[i] = u(0, 62);
        }
        v.cdPosition[1] = static_cast<std::uint8_t>((v.cdPosition[0] + 1) % 63);  // never a still vector
    }

    std::mt19937 rng_;
};

} // namespace morvane::test
