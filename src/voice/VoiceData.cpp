#include "VoiceData.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace morvane {

namespace {

static_assert(kVectorsSize == 2 + 2 * kVectorSteps * kStepBlockSize);
static_assert(kSyMap.vectors + kVectorsSize + 5 == kSyDumpSize, "then 0x00, a split 0, checksum and F7");

constexpr std::uint8_t bit(std::uint8_t value) { return value & 1; }
constexpr std::uint8_t signedByte(std::int8_t value) { return static_cast<std::uint8_t>(value); }

void decodeEnvelope(const std::uint8_t* b, EnvelopeParams& env)
{
    env.delayOn = b[0];
    env.attackRate = b[1];
    env.peakStage = static_cast<std::uint8_t>(b[2] * 2 + ((b[3] >> 6) & 1));
    env.decay1Rate = b[3] & 0x3F;
    env.decay2Rate = b[4];
    env.releaseRate = b[5];
    env.initialLevel = b[6];
    env.attackLevel = b[7];
    env.decay1Level = b[8];
    env.decay2Level = b[9];
}

// The level, tuning, scaling and envelope bytes that an AWM element and an FM
// operator share (14 bytes), into either record.
template <typename Record>
void decodeLevelBlock(const std::uint8_t* b, Record& r)
{
    r.level = b[0];
    r.temperament = b[1] >> 4;
    r.detune = b[1] & 0x0F;
    r.levelScaling = static_cast<std::uint8_t>(b[2] * 8 + (b[3] >> 4));
    r.rateScaling = b[3] & 0x0F;
    decodeEnvelope(b + 4, r.envelope);
}

void decodeOperator(const std::uint8_t* b, FmOperatorParams& op)
{
    op.fixedFrequency = b[0];
    op.opWaveform = b[1] >> 4;
    op.frequency = b[1] & 0x0F;
    decodeLevelBlock(b + 2, op);
}

// Decodes the LFO, modulation, pan and envelope-type bytes shared by both
// kinds of element; `b` points at the response byte.
void decodeElementMiddle(const std::uint8_t* b, ElementParams& e)
{
    e.velResp = static_cast<std::int8_t>(unpackVelResp(b[0]));
    e.atResp = static_cast<std::int8_t>(unpackAtResp(b[0]));
    e.lfoWaveform = static_cast<std::uint8_t>(b[1] * 4 + (b[2] >> 5));
    e.lfoSpeed = b[2] & 0x1F;
    e.lfoDelay = joinSplit(b[3], b[4]);
    e.lfoRate = joinSplit(b[5], b[6]);
    e.carrierAm = b[7] >> 5;
    e.modulatorAm = (b[7] >> 4) & 1;
    e.lfoAmDepth = b[7] & 0x0F;
    e.carrierPm = b[8] >> 6;
    e.modulatorPm = (b[8] >> 5) & 1;
    e.lfoPmDepth = b[8] & 0x1F;
    e.envType = b[9] >> 4;
    e.pan = b[9] & 0x0F;
}

void decodeAwmElement(const std::uint8_t* b, AwmElementParams& e)
{
    e.waveform = b[0];
    e.pitch = static_cast<std::int8_t>(joinSplit(b[1], b[2]));
    decodeElementMiddle(b + 3, e);
    decodeLevelBlock(b + 13, e);
}

void decodeFmElement(const std::uint8_t* b, FmElementParams& e)
{
    e.waveform = joinSplit(b[0], b[1]);
    e.pitch = static_cast<std::int8_t>(joinSplit(b[2], b[3]));
    decodeElementMiddle(b + 4, e);
    e.feedback = b[14];
    decodeOperator(b + 15, e.modulator);
    decodeOperator(b + 15 + kOperatorBlockSize, e.carrier);
}

void decodeSwitches(std::uint8_t byte, VoiceCommonParams& c)
{
    c.atAm = (byte >> 4) & 1;
    c.atPm = (byte >> 5) & 1;
    c.atLevel = (byte >> 6) & 1;
    c.wheelAm = byte & 1;
    c.wheelPm = (byte >> 1) & 1;
}

void decodeCommon(const std::uint8_t* m, DumpLayout layout, VoiceCommonParams& c)
{
    const MessageMap& at = messageMap(layout);
    if (layout == DumpLayout::Tg33) {
        c.effectType = m[kTg33EffectType] & 0x0F;
        c.effectDepth = static_cast<std::uint8_t>((m[kTg33DepthBytes[0]] + m[kTg33DepthBytes[1]]) / kTg33DepthStep);
    } else {
        c.effectDepth = (m[kSyEffect] >> 4) & 7;
        c.effectType = m[kSyEffect] & 0x0F;
    }
    c.voiceConfig = m[at.voiceConfig] & 1;
    std::memcpy(c.name, m + at.name, sizeof c.name);
    const std::uint8_t* k = m + at.controls;
    c.bendRange = k[0] & 0x1F;
    decodeSwitches(k[1], c);
    c.atPitch = static_cast<std::int8_t>(joinSplit(k[2], k[3]));
    c.envDelay = k[4];
    c.attack = static_cast<std::int8_t>(joinSplit(k[5], k[6]));
    c.release = static_cast<std::int8_t>(joinSplit(k[7], k[8]));
}

void decodeVector(const std::uint8_t* b, VectorParams& v)
{
    for (int step = 0; step < kVectorSteps; ++step, b += kStepBlockSize) {
        v.stepTime[step] = joinSplit(b[0], b[1]);
        v.cdPosition[step] = b[2];
        v.abPosition[step] = b[3];
    }
    // A vector that never moves is marked as ending at its first step.
    bool still = true;
    for (int step = 1; step < kVectorSteps && still; ++step)
        still = v.cdPosition[step] == v.cdPosition[0] && v.abPosition[step] == v.abPosition[0];
    if (still)
        v.stepTime[0] = kStepEnd;
}

std::uint8_t decodeSpeed(std::uint8_t byte) { return byte == 0 ? 16 : byte; }

// The first byte of every pair that carries one 8-bit value across two
// bytes: the split values, and the packed pairs whose first byte holds a
// value's top bit. The inner checksum counts each pair as one value.
constexpr std::size_t kInnerSumFirst = 16;
constexpr std::size_t kInnerSumLast = 586;
constexpr std::array<bool, kSyDumpSize> kPairStarts = [] {
    std::array<bool, kSyDumpSize> at{};
    // 0x01/0x25, voice configuration/bend range, aftertouch pitch, attack, release.
    for (std::size_t i : {16, 27, 30, 33, 35})
        at[i] = true;
    // Delay/attack rate, peak stage/decay 1 rate.
    const auto envelope = [&at](std::size_t b) { at[b] = at[b + 2] = true; };
    // From the response byte: LFO wave/speed, LFO delay, LFO rate.
    const auto middle = [&at](std::size_t b) { at[b + 1] = at[b + 3] = at[b + 5] = true; };
    for (std::size_t e : {kSyMap.elements[0], kSyMap.elements[2]}) {
        at[e + 1] = true;    // pitch
        middle(e + 3);
        at[e + 15] = true;   // level scaling
        envelope(e + 17);
    }
    for (std::size_t e : {kSyMap.elements[1], kSyMap.elements[3]}) {
        at[e] = at[e + 2] = true;   // wave, pitch
        middle(e + 4);
        for (std::size_t op : {e + 15, e + 15 + kOperatorBlockSize}) {
            at[op] = at[op + 4] = true;   // fixed/wave, level scaling
            envelope(op + 6);
        }
    }
    for (std::size_t v : {kSyMap.vectors + 2, kSyMap.vectors + 2 + kVectorSteps * kStepBlockSize})
        for (std::size_t step = 0; step < kVectorSteps; ++step)
            at[v + step * kStepBlockSize] = true;   // step time
    return at;
}();

constexpr bool pairsAreApart()
{
    for (std::size_t i = 0; i + 1 < kSyDumpSize; ++i)
        if (kPairStarts[i] && kPairStarts[i + 1])
            return false;
    return !kPairStarts[kInnerSumFirst - 1] && !kPairStarts[kInnerSumLast];
}
static_assert(pairsAreApart(), "two pairs overlap, or one crosses the summed range");

// The writers below put the message's bytes in order through `out`, a
// callable that encodeDump owns together with the dump and the index into
// it. No writer keeps a position of its own: g++ 12 at -O1 and above has
// dropped the stores of a loop that advanced a position held in a struct
// beside a reference to the dump (see cmake/OptimiserProbe.c).
template <typename Out>
void writeSplit(Out& out, std::uint8_t value)
{
    out(splitHigh(value));
    out(splitLow(value));
}

template <typename Out>
void writeEnvelope(Out& out, const EnvelopeParams& env)
{
    out(bit(env.delayOn));
    out(env.attackRate & 0x3F);
    out((env.peakStage >> 1) & 1);
    out(static_cast<std::uint8_t>(((env.peakStage & 1) << 6) | (env.decay1Rate & 0x3F)));
    out(env.decay2Rate & 0x3F);
    out(env.releaseRate & 0x3F);
    out(env.initialLevel & 0x7F);
    out(env.attackLevel & 0x7F);
    out(env.decay1Level & 0x7F);
    out(env.decay2Level & 0x7F);
}

// The level, tuning, scaling and envelope bytes of an AWM element or an FM
// operator.
template <typename Out, typename Record>
void writeLevelBlock(Out& out, const Record& r)
{
    out(r.level & 0x7F);
    out(static_cast<std::uint8_t>(((r.temperament & 7) << 4) | (r.detune & 0x0F)));
    out((r.levelScaling >> 3) & 1);
    out(static_cast<std::uint8_t>(((r.levelScaling & 7) << 4) | (r.rateScaling & 0x0F)));
    writeEnvelope(out, r.envelope);
}

template <typename Out>
void writeOperator(Out& out, const FmOperatorParams& op)
{
    out(bit(op.fixedFrequency));
    out(static_cast<std::uint8_t>(((op.opWaveform & 7) << 4) | (op.frequency & 0x0F)));
    writeLevelBlock(out, op);
}

// From the response byte to the pan byte. An AWM element has no carrier or
// modulator: its amplitude byte carries bit 4 exactly when the AM depth is
// not zero, its pitch byte bit 5 exactly when the PM depth is not zero, as
// the instrument writes them.
template <typename Out>
void writeElementMiddle(Out& out, const ElementParams& e, bool awm)
{
    out(packResponses(e.velResp, e.atResp));
    out((e.lfoWaveform >> 2) & 1);
    out(static_cast<std::uint8_t>(((e.lfoWaveform & 3) << 5) | (e.lfoSpeed & 0x1F)));
    writeSplit(out, e.lfoDelay);
    writeSplit(out, e.lfoRate);
    const std::uint8_t amDepth = e.lfoAmDepth & 0x0F;
    const std::uint8_t pmDepth = e.lfoPmDepth & 0x1F;
    if (awm) {
        out(static_cast<std::uint8_t>((amDepth != 0 ? 0x10 : 0) | amDepth));
        out(static_cast<std::uint8_t>((pmDepth != 0 ? 0x20 : 0) | pmDepth));
    } else {
        out(static_cast<std::uint8_t>((bit(e.carrierAm) << 5) | (bit(e.modulatorAm) << 4) | amDepth));
        out(static_cast<std::uint8_t>((bit(e.carrierPm) << 6) | (bit(e.modulatorPm) << 5) | pmDepth));
    }
    out(e.pan & 0x0F);  // the envelope type is never sent
}

template <typename Out>
void writeAwmElement(Out& out, const AwmElementParams& e)
{
    out(e.waveform & 0x7F);
    writeSplit(out, signedByte(e.pitch));
    writeElementMiddle(out, e, true);
    writeLevelBlock(out, e);
}

template <typename Out>
void writeFmElement(Out& out, const FmElementParams& e)
{
    writeSplit(out, e.waveform);
    writeSplit(out, signedByte(e.pitch));
    writeElementMiddle(out, e, false);
    out(e.feedback & 7);
    writeOperator(out, e.modulator);
    writeOperator(out, e.carrier);
}

template <typename Out>
void writeVector(Out& out, const VectorParams& v)
{
    for (int step = 0; step < kVectorSteps; ++step) {
        writeSplit(out, static_cast<std::uint8_t>(v.stepTime[step] & 0xFF));
        out(v.cdPosition[step] & 0x7F);
        out(v.abPosition[step] & 0x7F);
    }
}

} // namespace

DumpLayout dumpLayout(const std::uint8_t* message, std::size_t length)
{
    const std::size_t idEnd = kFormatIdOffset + kTg33FormatId.size();
    if (length >= idEnd
        && std::equal(kTg33FormatId.begin(), kTg33FormatId.end(), message + kFormatIdOffset))
        return DumpLayout::Tg33;
    return DumpLayout::Sy;
}

std::optional<DumpLayout> voiceDumpLayout(const std::uint8_t* data, std::size_t size)
{
    if (data == nullptr || size < kSyDumpSize)
        return std::nullopt;
    const DumpLayout layout = dumpLayout(data, size);
    const std::string_view id = layout == DumpLayout::Tg33 ? kTg33FormatId : kSyFormatId;
    if (size != dumpSize(layout)
        || data[0] != kSysExStart || data[1] != kYamahaId || (data[kDeviceByte] & 0xF0) != 0
        || data[3] != kDumpFormat || data[size - 1] != kSysExEnd
        || !std::equal(id.begin(), id.end(), data + kFormatIdOffset))
        return std::nullopt;
    if (std::any_of(data + 1, data + size - 1, [](std::uint8_t b) { return b >= 0x80; }))
        return std::nullopt;
    return layout;
}

std::array<std::uint8_t, kRequestSize> dumpRequest(int model, int midiChannel)
{
    const std::string_view id = model == kModelTg33 ? kTg33FormatId : kSyFormatId;
    std::array<std::uint8_t, kRequestSize> request{};
    request[0] = kSysExStart;
    request[1] = kYamahaId;
    request[2] = static_cast<std::uint8_t>(0x20 | (midiChannel & 0x0F));
    request[3] = kDumpFormat;
    std::copy(id.begin(), id.end(), request.begin() + 4);  // no byte count in a request
    request[14] = kSysExEnd;
    return request;
}

VoiceData::VoiceData(VoiceParameters& voice) : voice_(voice)
{
    resetParameters();
}

void VoiceData::resetParameters()
{
    voice_ = VoiceParameters{};
    std::memcpy(voice_.common.name, "12345678", sizeof voice_.common.name);
}

std::uint8_t innerChecksum(const std::uint8_t* message)
{
    std::uint8_t sum = 0;
    for (std::size_t i = kInnerSumFirst; i <= kInnerSumLast; ++i) {
        if (kPairStarts[i]) {
            sum = static_cast<std::uint8_t>(sum + message[i] * 128 + message[i + 1]);
            ++i;
        } else {
            sum = static_cast<std::uint8_t>(sum + message[i]);
        }
    }
    return static_cast<std::uint8_t>(-sum);
}

VoiceDump encodeDump(const VoiceParameters& voice)
{
    const VoiceCommonParams& c = voice.common;
    VoiceDump dump{};
    std::size_t at = 0;
    // Past the end nothing is written: the static_asserts above hold the
    // layout to the dump's size, and a write beyond it would be a fault
    // that the read-back check reports.
    auto out = [&dump, &at](std::uint8_t b) {
        if (at < dump.size())
            dump[at] = b;
        ++at;
    };
    for (std::uint8_t b : {kSysExStart, kYamahaId, std::uint8_t{0x00}, kDumpFormat, std::uint8_t{0x04},
                           std::uint8_t{0x48}})
        out(b);
    for (char ch : kSyFormatId)
        out(static_cast<std::uint8_t>(ch));
    out(0x01);
    out(0x25);

    out(static_cast<std::uint8_t>(((c.effectDepth & 7) << 4) | (c.effectType & 0x0F)));
    for (char ch : c.name)
        out(static_cast<std::uint8_t>(ch) & 0x7F);
    out(bit(c.voiceConfig));
    out(c.bendRange & 0x1F);
    out(static_cast<std::uint8_t>((bit(c.atLevel) << 6) | (bit(c.atPm) << 5) | (bit(c.atAm) << 4)
                                  | (bit(c.wheelPm) << 1) | bit(c.wheelAm)));
    writeSplit(out, signedByte(c.atPitch));
    out(c.envDelay & 0x7F);
    writeSplit(out, signedByte(c.attack));
    writeSplit(out, signedByte(c.release));

    writeAwmElement(out, voice.elementA);
    writeFmElement(out, voice.elementB);
    writeAwmElement(out, voice.elementC);
    writeFmElement(out, voice.elementD);

    out(voice.levelVectorSpeed & 0x0F);   // 16 goes out as 0
    out(voice.detuneVectorSpeed & 0x0F);
    writeVector(out, voice.levelVector);
    writeVector(out, voice.detuneVector);

    out(0x00);
    writeSplit(out, innerChecksum(dump.data()));
    // The outer checksum makes bytes 6 up to and including it a multiple of 128.
    const unsigned sum = std::accumulate(dump.begin() + kFormatIdOffset, dump.begin() + std::min(at, dump.size()), 0u);
    out(static_cast<std::uint8_t>((128 - sum % 128) % 128));
    out(kSysExEnd);
    return dump;
}

bool VoiceData::decodeDump(const std::uint8_t* message, std::size_t length)
{
    const std::optional<DumpLayout> checked = voiceDumpLayout(message, length);
    if (!checked)
        return false;
    const DumpLayout layout = *checked;

    const MessageMap& at = messageMap(layout);
    decodeCommon(message, layout, voice_.common);
    voice_.common.nameTerminator = 0;

    decodeAwmElement(message + at.elements[0], voice_.elementA);
    decodeFmElement(message + at.elements[1], voice_.elementB);
    decodeAwmElement(message + at.elements[2], voice_.elementC);
    decodeFmElement(message + at.elements[3], voice_.elementD);

    const std::uint8_t* vectors = message + at.vectors;
    voice_.levelVectorSpeed = decodeSpeed(vectors[0]);
    voice_.detuneVectorSpeed = decodeSpeed(vectors[1]);
    decodeVector(vectors + 2, voice_.levelVector);
    decodeVector(vectors + 2 + kVectorSteps * kStepBlockSize, voice_.detuneVector);
    return true;
}

} // namespace morvane
