#include "AwmWaves.h"
#include "EnvelopeTemplates.h"
#include "FmWaves.h"
#include "RandomVoice.h"
#include "Tg33Dump.h"
#include "VoiceData.h"
#include "VoiceFields.h"
#include "WavePresets.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace morvane {
namespace {

// The TG-33 places of the table hold the same bytes as the SY message moved
// block by block into the TG-33 layout, whatever the channel.
TEST(VoiceLayout, Tg33MessageFromTheTableMatchesTheSyMessageMoved)
{
    for (unsigned seed = 1; seed <= 8; ++seed) {
        VoiceParameters voice = test::RandomVoice(seed).make();
        voice.common.effectDepth = static_cast<std::uint8_t>(seed % 8);
        const int channel = static_cast<int>(seed * 3 % 16);
        const VoiceDump sy = encodeDump(voice);
        const Tg33Dump moved = tg33DumpFromSy(sy.data(), channel);
        const Tg33Dump direct = encodeTg33Dump(voice, channel);
        for (std::size_t i = 0; i < kTg33DumpSize; ++i)
            ASSERT_EQ(moved[i], direct[i]) << "seed " << seed << " byte " << i;
    }
}

// An AWM element's AM and PM bytes carry their assignment bit exactly when
// the depth that goes out is not 0, as the instrument writes them.
TEST(VoiceLayout, AwmAssignmentBitsFollowTheDepthThatIsSent)
{
    struct Case {
        int am, pm;
        std::uint8_t amByte, pmByte;
    } cases[] = {{0, 0, 0x00, 0x00}, {3, 1, 0x13, 0x21}, {15, 31, 0x1F, 0x3F}, {16, 32, 0x00, 0x00}};
    const std::size_t amAt = kSyMap.elements[2] + 10;  // element C
    for (const Case& c : cases) {
        VoiceParameters voice{};
        voice.elementC.lfoAmDepth = static_cast<std::uint8_t>(c.am);
        voice.elementC.lfoPmDepth = static_cast<std::uint8_t>(c.pm);
        voice.elementC.carrierAm = voice.elementC.carrierPm = 1;  // an AWM element sends neither
        const VoiceDump dump = encodeDump(voice);
        EXPECT_EQ(dump[amAt], c.amByte) << c.am;
        EXPECT_EQ(dump[amAt + 1], c.pmByte) << c.pm;
    }
}

TEST(VoiceLayout, FieldsAreFoundByTheirPlaceWithRangeWordsAndShownForm)
{
    VoiceParameters voice{};
    struct Case {
        std::function<const void*(VoiceParameters&)> at;
        const char* path;
        int min, max;
        const char* words;
        ShownForm shown;
    };
    const Case cases[] = {
        {[](VoiceParameters& v) { return &v.elementA.lfoSpeed; }, "elementA.lfoSpeed", 0, 31, "LFO speed", kAsStored},
        {[](VoiceParameters& v) { return &v.common.atPitch; }, "common.atPitch", -12, 12, "Aftertouch pitch", kAsStored},
        {[](VoiceParameters& v) { return &v.elementB.waveform; }, "elementB.waveform", 0, 255, "Waveform", kAsStored},
        {[](VoiceParameters& v) { return &v.elementC.waveform; }, "elementC.waveform", 0, 127, "Waveform", kAsStored},
        {[](VoiceParameters& v) { return &v.elementD.carrier.envelope.decay1Level; },
         "elementD.carrier.envelope.decay1Level", 0, 127, "Decay 1 level", kInverted127},
        {[](VoiceParameters& v) { return &v.elementB.modulatorPm; }, "elementB.modulatorPm", 0, 1, "Modulator PM", kAsStored},
        {[](VoiceParameters& v) { return &v.levelVector.abPosition[6]; }, "levelVector.abPosition[6]", 0, 62,
         "AB position", kAsStored},
        {[](VoiceParameters& v) { return &v.detuneVectorSpeed; }, "detuneVectorSpeed", 1, 16, "Detune vector speed",
         kIndexFromOne},
        // An AWM element keeps these bytes but has no such fields.
        {[](VoiceParameters& v) { return &v.elementA.carrierAm; }, "", 0, -1, "", kAsStored},
        {[](VoiceParameters& v) { return &v.common.nameTerminator; }, "", 0, -1, "", kAsStored},
    };
    for (const Case& c : cases) {
        const FieldInfo info = findField(voice, c.at(voice));
        EXPECT_EQ(info.path, c.path);
        EXPECT_EQ(info.min, c.min) << c.path;
        EXPECT_EQ(info.max, c.max) << c.path;
        EXPECT_EQ(info.words, c.words) << c.path;
        EXPECT_EQ(info.shown, c.shown) << c.path;
    }
}

TEST(WavePresets, AwmPresetAndTemplatesWriteTheShownValuesAndKeepTheDelay)
{
    ASSERT_EQ(kAwmPresetEnvelopes[0].source, kDocumented);  // Piano, the instrument's own
    VoiceParameters voice{};
    AwmElementParams& e = voice.elementA;
    e.waveform = 0;
    e.envelope.delayOn = 1;
    e.levelScaling = 9;
    applyAwmPresetEnvelope(e);
    const AwmPresetEnvelope& p = kAwmPresetEnvelopes[0];
    EXPECT_EQ(e.envelope.initialLevel, 127 - p.initialLevel);
    EXPECT_EQ(e.envelope.attackLevel, 127 - p.attackLevel);
    EXPECT_EQ(e.envelope.releaseRate, p.releaseRate);
    EXPECT_EQ(e.rateScaling, p.rateScaling);
    EXPECT_EQ(e.levelScaling, 0);
    EXPECT_EQ(e.envelope.delayOn, 1);
    EXPECT_EQ(e.envelope.peakStage, 1);  // the attack level is the loudest

    // "User" and "Preset" are no templates; "Organ" (7) is the last one.
    const AwmElementParams before = e;
    EXPECT_FALSE(applyEnvelopeTemplate(e, kEnvTypeUser));
    EXPECT_FALSE(applyEnvelopeTemplate(e, kEnvTypePreset));
    EXPECT_FALSE(applyEnvelopeTemplate(e, 8));
    EXPECT_EQ(std::memcmp(&before, &e, sizeof e), 0);
    ASSERT_TRUE(applyEnvelopeTemplate(voice.elementB.modulator, 7));
    EXPECT_EQ(voice.elementB.modulator.envelope.releaseRate, kEnvelopeTemplates[5].releaseRate);
    EXPECT_EQ(voice.elementB.modulator.envelope.initialLevel, 127 - kEnvelopeTemplates[5].initialLevel);
}

TEST(WavePresets, ChoosingAnFmWaveWritesItsPresetAndTheCarrierOnlyUnderPreset)
{
    for (const int type : {kEnvTypeUser, kEnvTypePreset}) {
        VoiceParameters voice{};
        FmElementParams& e = voice.elementB;
        e.envType = static_cast<std::uint8_t>(type);
        e.carrier.envelope.attackRate = 1;
        chooseFmWave(e, 14);
        const FmWavePreset& p = kFmWavePresets[14];
        EXPECT_EQ(e.waveform, 14);
        EXPECT_EQ(e.feedback, p.feedback);
        EXPECT_EQ(e.modulator.level, p.modulatorLevel);
        EXPECT_EQ(e.modulator.envelope.initialLevel, p.modulatorEnvelope.initialLevel);
        EXPECT_EQ(e.carrier.frequency, p.carrier.frequency);
        const std::uint8_t carrierAttack = type == kEnvTypePreset ? kFmCarrierEnvelopes[14].envelope.attackRate : 1;
        EXPECT_EQ(e.carrier.envelope.attackRate, carrierAttack) << "type " << type;
        EXPECT_EQ(e.envType, type);
    }
}

} // namespace
} // namespace morvane
