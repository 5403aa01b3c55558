#include "EncodedVoice.h"
#include "RandomVoice.h"
#include "Tg33Dump.h"
#include "VoiceData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <string>
#include <vector>

using namespace morvane;

namespace {

constexpr std::size_t kChecksum = 590;
constexpr std::size_t kElementA = 37, kElementB = 64, kElementC = 111, kElementD = 138;

std::vector<std::uint8_t> encode(const VoiceParameters& voice)
{
    return test::encodedVoice(voice);
}

VoiceParameters decode(const std::vector<std::uint8_t>& message)
{
    VoiceParameters voice;
    VoiceData data(voice);
    EXPECT_TRUE(data.decodeDump(message.data(), message.size()));
    return voice;
}

template <typename Record>
bool sameBytes(const Record& a, const Record& b)
{
    return std::memcmp(&a, &b, sizeof(Record)) == 0;
}

void expectSameVoice(const VoiceParameters& expected, const VoiceParameters& actual)
{
    EXPECT_TRUE(sameBytes(expected.common, actual.common)) << "common";
    EXPECT_TRUE(sameBytes(expected.elementA, actual.elementA)) << "element A";
    EXPECT_TRUE(sameBytes(expected.elementB, actual.elementB)) << "element B";
    EXPECT_TRUE(sameBytes(expected.elementC, actual.elementC)) << "element C";
    EXPECT_TRUE(sameBytes(expected.elementD, actual.elementD)) << "element D";
    EXPECT_EQ(expected.levelVectorSpeed, actual.levelVectorSpeed);
    EXPECT_EQ(expected.detuneVectorSpeed, actual.detuneVectorSpeed);
    EXPECT_TRUE(sameBytes(expected.levelVector, actual.levelVector)) << "level vector";
    EXPECT_TRUE(sameBytes(expected.detuneVector, actual.detuneVector)) << "detune vector";
}

unsigned checksummedSum(const std::vector<std::uint8_t>& m)
{
    return std::accumulate(m.begin() + 6, m.begin() + kChecksum + 1, 0u);
}

// What a decode of an encoded voice gives back: what the dump does not carry
// takes the decoder's fixed values.
VoiceParameters afterRoundTrip(VoiceParameters v)
{
    for (ElementParams* e : {static_cast<ElementParams*>(&v.elementA), static_cast<ElementParams*>(&v.elementB),
                             static_cast<ElementParams*>(&v.elementC), static_cast<ElementParams*>(&v.elementD)})
        e->envType = 0;
    for (AwmElementParams* e : {&v.elementA, &v.elementC}) {
        e->carrierAm = 0;
        e->modulatorAm = e->lfoAmDepth != 0;
        e->carrierPm = 0;
        e->modulatorPm = e->lfoPmDepth != 0;
    }
    v.common.nameTerminator = 0;
    return v;
}

} // namespace

TEST(VoiceData, ResetVoiceEncodesToTheKnownMessage)
{
    const std::vector<std::uint8_t> m = encode([] {
        VoiceParameters v;
        VoiceData data(v);
        return v;
    }());
    ASSERT_EQ(m.size(), 592u);
    EXPECT_EQ((std::vector<std::uint8_t>{0xF0, 0x43, 0x00, 0x7E, 0x04, 0x48}),
              std::vector<std::uint8_t>(m.begin(), m.begin() + 6));
    EXPECT_EQ("PK  2203AE", std::string(m.begin() + 6, m.begin() + 16));
    EXPECT_EQ(0x01, m[16]);
    EXPECT_EQ(0x25, m[17]);
    EXPECT_EQ("12345678", std::string(m.begin() + 19, m.begin() + 27));
    EXPECT_EQ(0, m[185]);
    EXPECT_EQ(0, m[186]);
    for (std::size_t awm : {kElementA, kElementC}) {
        EXPECT_EQ(0x00, m[awm + 10]);
        EXPECT_EQ(0x00, m[awm + 11]);
    }
    // Inner checksum: 0x01 × 128 + 0x25 + the name's 420 = 585 = 73 modulo
    // 256; minus that is 183 = 0xB7, as a split value 0x01 0x37.
    EXPECT_EQ(0x01, m[588]);
    EXPECT_EQ(0x37, m[589]);
    // Outer: bytes 6-589 add up to 0x42A, so 0x56 makes them 0x480.
    EXPECT_EQ(0x56, m[kChecksum]);
    EXPECT_EQ(0x480u, checksummedSum(m));
    EXPECT_EQ(0xF7, m[591]);
}

TEST(VoiceData, FieldPackingInTheMessage)
{
    struct Case {
        const char* what;
        void (*set)(VoiceParameters&);
        std::size_t offset;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {"signed -12 as a split value", [](VoiceParameters& v) { v.common.atPitch = -12; }, 30, {0x01, 0x74}},
        {"attack -64", [](VoiceParameters& v) { v.common.attack = -64; }, 33, {0x01, 0x40}},
        {"release 63", [](VoiceParameters& v) { v.common.release = 63; }, 35, {0x00, 0x3F}},
        {"effect depth and type share a byte", [](VoiceParameters& v) { v.common.effectDepth = 5; v.common.effectType = 15; }, 18, {0x5F}},
        {"the switch byte", [](VoiceParameters& v) { v.common.atLevel = v.common.atAm = v.common.wheelPm = 1; }, 29, {0x52}},
        {"velResp -5 goes out as 6", [](VoiceParameters& v) { v.elementA.velResp = -5; }, kElementA + 3, {0x06}},
        {"atResp -3 in bits 6-4", [](VoiceParameters& v) { v.elementA.atResp = -3; }, kElementA + 3, {0x50}},
        {"atResp -1 with velResp 5", [](VoiceParameters& v) { v.elementB.atResp = -1; v.elementB.velResp = 5; }, kElementB + 4, {0x75}},
        {"AWM levelScaling 9 across two bytes", [](VoiceParameters& v) { v.elementA.levelScaling = 9; v.elementA.rateScaling = 3; }, kElementA + 15, {0x01, 0x13}},
        {"FM operator levelScaling 9", [](VoiceParameters& v) { v.elementB.modulator.levelScaling = 9; }, kElementB + 15 + 4, {0x01, 0x10}},
        {"lfoWaveform 4", [](VoiceParameters& v) { v.elementC.lfoWaveform = 4; v.elementC.lfoSpeed = 31; }, kElementC + 4, {0x01, 0x1F}},
        {"lfoWaveform 3", [](VoiceParameters& v) { v.elementD.lfoWaveform = 3; }, kElementD + 5, {0x00, 0x60}},
        {"FM waveform 255 as a split value", [](VoiceParameters& v) { v.elementD.waveform = 255; }, kElementD, {0x01, 0x7F}},
        {"FM carrier/modulator flags", [](VoiceParameters& v) { v.elementB.carrierAm = 1; v.elementB.lfoAmDepth = 15; v.elementB.modulatorPm = 1; }, kElementB + 11, {0x2F, 0x20}},
        {"AWM assignment bits: PM depth set, AM depth 0", [](VoiceParameters& v) { v.elementA.carrierAm = 1; v.elementA.modulatorAm = 1; v.elementA.lfoPmDepth = 31; }, kElementA + 10, {0x00, 0x3F}},
        {"AWM assignment bits: AM depth set, PM depth 0", [](VoiceParameters& v) { v.elementC.lfoAmDepth = 1; v.elementC.modulatorPm = 1; }, kElementC + 10, {0x11, 0x00}},
        {"envType is never sent", [](VoiceParameters& v) { v.elementA.envType = 7; v.elementA.pan = 4; }, kElementA + 12, {0x04}},
        {"peakStage 3 split over two bytes", [](VoiceParameters& v) { v.elementC.envelope.peakStage = 3; v.elementC.envelope.decay1Rate = 63; }, kElementC + 17 + 2, {0x01, 0x7F}},
        {"operator waveform and frequency", [](VoiceParameters& v) { v.elementD.carrier.opWaveform = 7; v.elementD.carrier.frequency = 15; }, kElementD + 31 + 1, {0x7F}},
        {"speed 16 goes out as 0", [](VoiceParameters& v) { v.levelVectorSpeed = 16; v.detuneVectorSpeed = 15; }, 185, {0x00, 0x0F}},
        {"vector step: time, C-D, A-B", [](VoiceParameters& v) { v.levelVector.stepTime[1] = 254; v.levelVector.cdPosition[1] = 62; v.levelVector.abPosition[1] = 31; }, 191, {0x01, 0x7E, 62, 31}},
        {"detune vector's last step", [](VoiceParameters& v) { v.detuneVector.stepTime[49] = 300; }, 583, {0x00, 0x2C}},
    };
    for (const Case& c : cases) {
        VoiceParameters voice{};
        c.set(voice);
        const std::vector<std::uint8_t> m = encode(voice);
        EXPECT_EQ(c.bytes, std::vector<std::uint8_t>(m.begin() + c.offset, m.begin() + c.offset + c.bytes.size()))
            << c.what;
        EXPECT_EQ(0u, checksummedSum(m) % 128) << c.what;
    }
}

// Every value that travels in two bytes set to 128 (first byte 1, second 0).
VoiceParameters everyPairAtItsTopBit()
{
    VoiceParameters v{};
    v.common.voiceConfig = 1;
    v.common.atPitch = v.common.attack = v.common.release = -128;
    const auto envelope = [](EnvelopeParams& e) {
        e.delayOn = 1;
        e.peakStage = 2;
    };
    const auto middle = [](ElementParams& e) {
        e.pitch = -128;
        e.lfoWaveform = 4;
        e.lfoDelay = e.lfoRate = 128;
    };
    for (AwmElementParams* e : {&v.elementA, &v.elementC}) {
        middle(*e);
        e->levelScaling = 8;
        envelope(e->envelope);
    }
    for (FmElementParams* e : {&v.elementB, &v.elementD}) {
        middle(*e);
        e->waveform = 128;
        for (FmOperatorParams* op : {&e->modulator, &e->carrier}) {
            op->fixedFrequency = 1;
            op->levelScaling = 8;
            envelope(op->envelope);
        }
    }
    for (int step = 0; step < kVectorSteps; ++step)
        v.levelVector.stepTime[step] = v.detuneVector.stepTime[step] = 128;
    return v;
}

TEST(VoiceData, InnerChecksumCountsEachPairAsOneValue)
{
    struct Case {
        const char* what;
        VoiceParameters voice;
        std::uint8_t checksum;   // worked by hand
    };
    VoiceParameters zero{};
    VoiceParameters envDelay{};
    envDelay.common.envDelay = 100;
    VoiceParameters stepEnd{};
    stepEnd.detuneVector.stepTime[49] = kStepEnd;
    VoiceParameters atPitch{};
    atPitch.common.atPitch = -12;
    const Case cases[] = {
        // The fixed pair 0x01 0x25 alone: 165; 256 - 165 = 91.
        {"every field 0", zero, 91},
        // A plain byte counts as it is: 165 + 100 = 265 = 9; 256 - 9 = 247.
        {"a plain byte", envDelay, 247},
        // 0x01 0x7F is 255, not 128: 165 + 255 = 420 = 164; 256 - 164 = 92.
        {"a step time of 255", stepEnd, 92},
        // -12 is 0x01 0x74 = 244: 165 + 244 = 409 = 153; 256 - 153 = 103.
        {"a signed split value", atPitch, 103},
        // 144 pairs of 128 are a multiple of 256, which leaves 165 again
        // (counted as plain bytes they would add 144).
        {"every pair at its top bit", everyPairAtItsTopBit(), 91},
    };
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> m = encode(c.voice);
        EXPECT_EQ(c.checksum, innerChecksum(m.data())) << c.what;
        EXPECT_EQ(c.checksum, joinSplit(m[kInnerChecksumAt], m[kInnerChecksumAt + 1])) << c.what;
        EXPECT_EQ(0u, checksummedSum(m) % 128) << c.what;
    }
}

TEST(VoiceData, EveryFieldWithinItsRangeSurvivesARoundTrip)
{
    for (unsigned seed = 1; seed <= 200; ++seed) {
        const VoiceParameters original = test::RandomVoice(seed).make();
        SCOPED_TRACE("seed " + std::to_string(seed));
        expectSameVoice(afterRoundTrip(original), decode(encode(original)));
    }
}

TEST(VoiceData, DecodeFixedRules)
{
    VoiceParameters voice = test::RandomVoice(7).make();
    voice.levelVectorSpeed = 16;
    voice.elementA.velResp = 0;
    for (int i = 0; i < kVectorSteps; ++i) {
        voice.detuneVector.cdPosition[i] = 40;
        voice.detuneVector.abPosition[i] = 2;
    }
    voice.detuneVector.stepTime[0] = 12;
    voice.levelVector.stepTime[0] = 200;
    std::vector<std::uint8_t> m = encode(voice);
    m[kElementA + 3] = 11;  // a velocity response the editor never sends

    const VoiceParameters back = decode(m);
    EXPECT_EQ(16, back.levelVectorSpeed);
    EXPECT_EQ(0, back.elementA.velResp);
    EXPECT_EQ(kStepEnd, back.detuneVector.stepTime[0]) << "a vector that never moves ends at once";
    EXPECT_EQ(voice.detuneVector.stepTime[1], back.detuneVector.stepTime[1]);
    EXPECT_EQ(200, back.levelVector.stepTime[0]) << "a moving vector keeps its first step";
    EXPECT_EQ(0, back.common.nameTerminator);
}

TEST(VoiceData, DecodeLeavesWhatTheDumpDoesNotCarry)
{
    VoiceParameters voice;
    VoiceData data(voice);
    const std::vector<std::uint8_t> m = encode(voice);
    voice.common.unused[0] = 0x55;
    voice.elementA.unused[3] = 0x66;
    voice.common.nameTerminator = 'x';
    ASSERT_TRUE(data.decodeDump(m.data(), m.size()));
    EXPECT_EQ(0x55, voice.common.unused[0]);
    EXPECT_EQ(0x66, voice.elementA.unused[3]);
    EXPECT_EQ(0, voice.common.nameTerminator);
}

TEST(VoiceData, EncodedMessageIsValidSysExWhateverTheRecordHolds)
{
    VoiceParameters voice;
    VoiceData data(voice);
    std::memset(&voice, 0xFF, sizeof voice);
    std::memcpy(voice.common.name, "\xE9t\xE9\x80\xFF" "abc", 8);
    const VoiceDump dump = data.encodeDump();
    const std::uint8_t* m = dump.data();
    for (std::size_t i = 1; i + 1 < kSyDumpSize; ++i)
        EXPECT_LT(m[i], 0x80) << "byte " << i;
    EXPECT_EQ(0xF7, m[591]);
    EXPECT_EQ(0u, checksummedSum({m, m + kSyDumpSize}) % 128);
}

// A TG-33 message laid out as the decoder reads it, from an SY one.
std::vector<std::uint8_t> tg33From(const std::vector<std::uint8_t>& sy)
{
    const Tg33Dump tg = tg33DumpFromSy(sy.data(), 0);
    return {tg.begin(), tg.end()};
}

TEST(VoiceData, Tg33MessageDecodesAndLeavesAsSyLayout)
{
    VoiceParameters voice = test::RandomVoice(11).make();
    voice.common.effectDepth = 5;  // spread over both depth bytes
    const std::vector<std::uint8_t> tg = tg33From(encode(voice));
    EXPECT_EQ(DumpLayout::Tg33, dumpLayout(tg.data(), tg.size()));

    VoiceParameters back;
    VoiceData data(back);
    ASSERT_TRUE(data.decodeDump(tg.data(), tg.size()));
    expectSameVoice(afterRoundTrip(voice), back);

    const VoiceDump sy = data.encodeDump();
    EXPECT_EQ("PK  2203AE", std::string(sy.begin() + 6, sy.begin() + 16));
    EXPECT_EQ(0xF7, sy[591]);
}

TEST(VoiceData, WhatIsNotAVoiceDumpIsRefused)
{
    VoiceParameters voice = test::RandomVoice(5).make();
    const std::vector<std::uint8_t> sy = encode(voice);
    const std::vector<std::uint8_t> tg = tg33From(sy);
    std::vector<std::uint8_t> overlong = sy, unknownId = sy, otherMaker = sy, requestDevice = sy, statusInside = sy;
    overlong.insert(overlong.end() - 1, 0x00);
    std::memcpy(&unknownId[6], "XY  9999ZZ", 10);
    EXPECT_EQ(DumpLayout::Sy, dumpLayout(unknownId.data(), unknownId.size()));
    otherMaker[1] = 0x41;
    requestDevice[2] = 0x20;
    statusInside[100] = 0x90;
    struct Case {
        const char* what;
        std::vector<std::uint8_t> message;
    };
    const Case cases[] = {
        {"SY, one byte short", {sy.begin(), sy.end() - 1}},
        {"TG-33, one byte short", {tg.begin(), tg.end() - 1}},
        {"TG-33 identifier in a 592-byte record", {tg.begin(), tg.begin() + 592}},
        {"header only", {sy.begin(), sy.begin() + 16}},
        {"a lone F0 F7", {0xF0, 0xF7}},
        {"empty", {}},
        {"SY, one byte too many", overlong},
        {"an unknown identifier", unknownId},
        {"another maker", otherMaker},
        {"a request's device byte", requestDevice},
        {"a status byte inside", statusInside},
    };
    for (const Case& c : cases) {
        VoiceParameters target = test::RandomVoice(9).make();
        const VoiceParameters before = target;
        VoiceData data(target);
        target = before;
        EXPECT_FALSE(data.decodeDump(c.message.data(), c.message.size())) << c.what;
        expectSameVoice(before, target);
    }
    VoiceData data(voice);
    EXPECT_FALSE(data.decodeDump(nullptr, 605));
}

TEST(VoiceData, UpdatePeakStagePicksTheLoudestLevel)
{
    struct Case {
        std::uint8_t levels[4];
        std::uint8_t peak;
    };
    const Case cases[] = {
        {{10, 5, 5, 20}, 1}, {{0, 0, 0, 0}, 0}, {{127, 127, 127, 0}, 3},
        {{9, 8, 7, 7}, 2}, {{200, 130, 127, 128}, 2},
    };
    for (const Case& c : cases) {
        EnvelopeParams e{};
        e.peakStage = 9;
        e.initialLevel = c.levels[0];
        e.attackLevel = c.levels[1];
        e.decay1Level = c.levels[2];
        e.decay2Level = c.levels[3];
        updatePeakStage(e);
        EXPECT_EQ(c.peak, e.peakStage);
    }
}

TEST(VoiceData, DumpRequests)
{
    struct Case {
        int model;
        int channel;
        const char* id;
        std::uint8_t device;
    };
    const Case cases[] = {
        {0, 0, "PK  2203AE", 0x20}, {1, 5, "PK  2203AE", 0x25}, {7, 15, "PK  2203AE", 0x2F},
        {2, 5, "LM  0012VE", 0x25}, {2, 16, "LM  0012VE", 0x20},
    };
    for (const Case& c : cases) {
        const auto r = dumpRequest(c.model, c.channel);
        EXPECT_EQ(0xF0, r[0]);
        EXPECT_EQ(0x43, r[1]);
        EXPECT_EQ(c.device, r[2]);
        EXPECT_EQ(0x7E, r[3]);
        EXPECT_EQ(c.id, std::string(r.begin() + 4, r.begin() + 14));
        EXPECT_EQ(0xF7, r[14]);
    }
}
