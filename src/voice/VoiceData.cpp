#include "VoiceData.h"

#include <algorithm>
#include <cstring>

namespace morvane {

namespace {

// Where the blocks start in each layout.
struct LayoutOffsets {
    std::size_t elements[4];  // A, B, C, D
    std::size_t levelSpeed;
    std::size_t detuneSpeed;
    std::size_t levelVector;
    std::size_t detuneVector;
};

constexpr LayoutOffsets kSyOffsets{{37, 64, 111, 138}, 185, 186, 187, 387};
constexpr LayoutOffsets kTg33Offsets{{45, 74, 123, 152}, 201, 202, 203, 403};

constexpr std::size_t kAwmBlockSize = 27;
constexpr std::size_t kFmBlockSize = 47;
constexpr std::size_t kOperatorBlockSize = 16;
constexpr std::size_t kStepBlockSize = 4;

// The last byte each layout's decoder reads must lie inside its message.
static_assert(kSyOffsets.detuneVector + kVectorSteps * kStepBlockSize <= kSyDumpSize);
static_assert(kTg33Offsets.detuneVector + kVectorSteps * kStepBlockSize <= kTg33DumpSize);
static_assert(kSyOffsets.elements[1] == kSyOffsets.elements[0] + kAwmBlockSize);
static_assert(kSyOffsets.elements[2] == kSyOffsets.elements[1] + kFmBlockSize);
static_assert(kSyOffsets.levelSpeed == kSyOffsets.elements[3] + kFmBlockSize);

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

void decodeOperator(const std::uint8_t* b, FmOperatorParams& op)
{
    op.fixedFrequency = b[0];
    op.opWaveform = b[1] >> 4;
    op.frequency = b[1] & 0x0F;
    op.level = b[2];
    op.temperament = b[3] >> 4;
    op.detune = b[3] & 0x0F;
    op.levelScaling = static_cast<std::uint8_t>(b[4] * 8 + (b[5] >> 4));
    op.rateScaling = b[5] & 0x0F;
    decodeEnvelope(b + 6, op.envelope);
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
    e.level = b[13];
    e.temperament = b[14] >> 4;
    e.detune = b[14] & 0x0F;
    e.levelScaling = static_cast<std::uint8_t>(b[15] * 8 + (b[16] >> 4));
    e.rateScaling = b[16] & 0x0F;
    decodeEnvelope(b + 17, e.envelope);
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

void decodeSyCommon(const std::uint8_t* m, VoiceCommonParams& c)
{
    c.effectDepth = (m[18] >> 4) & 7;
    c.effectType = m[18] & 0x0F;
    std::memcpy(c.name, m + 19, sizeof c.name);
    c.voiceConfig = m[27] & 1;
    c.bendRange = m[28] & 0x1F;
    decodeSwitches(m[29], c);
    c.atPitch = static_cast<std::int8_t>(joinSplit(m[30], m[31]));
    c.envDelay = m[32];
    c.attack = static_cast<std::int8_t>(joinSplit(m[33], m[34]));
    c.release = static_cast<std::int8_t>(joinSplit(m[35], m[36]));
}

void decodeTg33Common(const std::uint8_t* m, VoiceCommonParams& c)
{
    c.voiceConfig = m[16] & 1;
    c.effectType = m[17] & 0x0F;
    c.effectDepth = static_cast<std::uint8_t>((m[18] + m[22]) / 36);
    std::memcpy(c.name, m + 28, sizeof c.name);
    c.bendRange = m[36] & 0x1F;
    decodeSwitches(m[37], c);
    c.atPitch = static_cast<std::int8_t>(joinSplit(m[38], m[39]));
    c.envDelay = m[40];
    c.attack = static_cast<std::int8_t>(joinSplit(m[41], m[42]));
    c.release = static_cast<std::int8_t>(joinSplit(m[43], m[44]));
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
    formatId = kSyFormatId;
    voice_ = VoiceParameters{};
    std::memcpy(voice_.common.name, "12345678", sizeof voice_.common.name);
}

void VoiceData::writeByte(std::uint8_t byte)
{
    dumpBuffer[writePos++] = byte;
    runningSum = static_cast<std::uint8_t>(runningSum + byte);
}

void VoiceData::writeSplit(std::uint8_t value)
{
    writeByte(splitHigh(value));
    writeByte(splitLow(value));
}

void VoiceData::writeEnvelope(const EnvelopeParams& env)
{
    writeByte(bit(env.delayOn));
    writeByte(env.attackRate & 0x3F);
    writeByte((env.peakStage >> 1) & 1);
    writeByte(static_cast<std::uint8_t>(((env.peakStage & 1) << 6) | (env.decay1Rate & 0x3F)));
    writeByte(env.decay2Rate & 0x3F);
    writeByte(env.releaseRate & 0x3F);
    writeByte(env.initialLevel & 0x7F);
    writeByte(env.attackLevel & 0x7F);
    writeByte(env.decay1Level & 0x7F);
    writeByte(env.decay2Level & 0x7F);
}

void VoiceData::writeOperator(const FmOperatorParams& op)
{
    writeByte(bit(op.fixedFrequency));
    writeByte(static_cast<std::uint8_t>(((op.opWaveform & 7) << 4) | (op.frequency & 0x0F)));
    writeByte(op.level & 0x7F);
    writeByte(static_cast<std::uint8_t>(((op.temperament & 7) << 4) | (op.detune & 0x0F)));
    writeByte((op.levelScaling >> 3) & 1);
    writeByte(static_cast<std::uint8_t>(((op.levelScaling & 7) << 4) | (op.rateScaling & 0x0F)));
    writeEnvelope(op.envelope);
}

// From the response byte to the pan byte. An AWM element carries fixed
// carrier/modulator flags: amplitude bit 4 and pitch bit 5 set.
void VoiceData::writeElementHeader(const ElementParams& e, bool awm)
{
    writeByte(packResponses(e.velResp, e.atResp));
    writeByte((e.lfoWaveform >> 2) & 1);
    writeByte(static_cast<std::uint8_t>(((e.lfoWaveform & 3) << 5) | (e.lfoSpeed & 0x1F)));
    writeSplit(e.lfoDelay);
    writeSplit(e.lfoRate);
    if (awm) {
        writeByte((e.lfoAmDepth & 0x0F) | 0x10);
        writeByte((e.lfoPmDepth & 0x1F) | 0x20);
    } else {
        writeByte(static_cast<std::uint8_t>((bit(e.carrierAm) << 5) | (bit(e.modulatorAm) << 4)
                                            | (e.lfoAmDepth & 0x0F)));
        writeByte(static_cast<std::uint8_t>((bit(e.carrierPm) << 6) | (bit(e.modulatorPm) << 5)
                                            | (e.lfoPmDepth & 0x1F)));
    }
    writeByte(e.pan & 0x0F);  // the envelope type is never sent
}

void VoiceData::writeAwmElement(const AwmElementParams& e)
{
    writeByte(e.waveform & 0x7F);
    writeSplit(signedByte(e.pitch));
    writeElementHeader(e, true);
    writeByte(e.level & 0x7F);
    writeByte(static_cast<std::uint8_t>(((e.temperament & 7) << 4) | (e.detune & 0x0F)));
    writeByte((e.levelScaling >> 3) & 1);
    writeByte(static_cast<std::uint8_t>(((e.levelScaling & 7) << 4) | (e.rateScaling & 0x0F)));
    writeEnvelope(e.envelope);
}

void VoiceData::writeFmElement(const FmElementParams& e)
{
    writeSplit(e.waveform);
    writeSplit(signedByte(e.pitch));
    writeElementHeader(e, false);
    writeByte(e.feedback & 7);
    writeOperator(e.modulator);
    writeOperator(e.carrier);
}

void VoiceData::writeVector(const VectorParams& v)
{
    for (int step = 0; step < kVectorSteps; ++step) {
        writeSplit(static_cast<std::uint8_t>(v.stepTime[step] & 0xFF));
        writeByte(v.cdPosition[step] & 0x7F);
        writeByte(v.abPosition[step] & 0x7F);
    }
}

std::uint8_t* VoiceData::encodeDump()
{
    const VoiceCommonParams& c = voice_.common;
    writePos = 0;
    for (std::uint8_t b : {kSysExStart, kYamahaId, std::uint8_t{0x00}, kDumpFormat,
                           std::uint8_t{0x04}, std::uint8_t{0x48}})
        writeByte(b);
    runningSum = 0;
    for (char ch : formatId)
        writeByte(static_cast<std::uint8_t>(ch));
    writeByte(0x01);
    writeByte(0x25);

    writeByte(static_cast<std::uint8_t>(((c.effectDepth & 7) << 4) | (c.effectType & 0x0F)));
    for (char ch : c.name)
        writeByte(static_cast<std::uint8_t>(ch) & 0x7F);
    writeByte(bit(c.voiceConfig));
    writeByte(c.bendRange & 0x1F);
    writeByte(static_cast<std::uint8_t>((bit(c.atLevel) << 6) | (bit(c.atPm) << 5) | (bit(c.atAm) << 4)
                                        | (bit(c.wheelPm) << 1) | bit(c.wheelAm)));
    writeSplit(signedByte(c.atPitch));
    writeByte(c.envDelay & 0x7F);
    writeSplit(signedByte(c.attack));
    writeSplit(signedByte(c.release));

    writeAwmElement(voice_.elementA);
    writeFmElement(voice_.elementB);
    writeAwmElement(voice_.elementC);
    writeFmElement(voice_.elementD);

    writeByte(voice_.levelVectorSpeed & 0x0F);   // 16 goes out as 0
    writeByte(voice_.detuneVectorSpeed & 0x0F);
    writeVector(voice_.levelVector);
    writeVector(voice_.detuneVector);

    writeByte(0x00);
    writeSplit(0);
    writeByte(static_cast<std::uint8_t>((256 - runningSum) & 0x7F));
    writeByte(kSysExEnd);
    return dumpBuffer;
}

bool VoiceData::decodeDump(const std::uint8_t* message, std::size_t length)
{
    const std::optional<DumpLayout> checked = voiceDumpLayout(message, length);
    if (!checked)
        return false;
    const DumpLayout layout = *checked;

    const LayoutOffsets& at = layout == DumpLayout::Tg33 ? kTg33Offsets : kSyOffsets;
    VoiceCommonParams& c = voice_.common;
    if (layout == DumpLayout::Tg33)
        decodeTg33Common(message, c);
    else
        decodeSyCommon(message, c);
    c.nameTerminator = 0;

    decodeAwmElement(message + at.elements[0], voice_.elementA);
    decodeFmElement(message + at.elements[1], voice_.elementB);
    decodeAwmElement(message + at.elements[2], voice_.elementC);
    decodeFmElement(message + at.elements[3], voice_.elementD);

    voice_.levelVectorSpeed = decodeSpeed(message[at.levelSpeed]);
    voice_.detuneVectorSpeed = decodeSpeed(message[at.detuneSpeed]);
    decodeVector(message + at.levelVector, voice_.levelVector);
    decodeVector(message + at.detuneVector, voice_.detuneVector);
    return true;
}

} // namespace morvane
