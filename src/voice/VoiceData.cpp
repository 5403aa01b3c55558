#include "VoiceData.h"

#include <algorithm>
#include <cstring>

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

} // namespace

DumpLayout dumpLayout(const std::uint8_t* message, std::size_t length)
{
    const std::size_t idEnd = kFormatIdOffset + kTg33FormatId.size();
    if (length >= idEnd
        && std::equal(kTg33FormatId.begin(), kTg33FormatId.end(), message + kFormatIdOffset))
        return DumpLayout::Tg33;
    return DumpLayout::Sy;
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

template <typename Record>
void VoiceData::writeLevelBlock(const Record& r)
{
    writeByte(r.level & 0x7F);
    writeByte(static_cast<std::uint8_t>(((r.temperament & 7) << 4) | (r.detune & 0x0F)));
    writeByte((r.levelScaling >> 3) & 1);
    writeByte(static_cast<std::uint8_t>(((r.levelScaling & 7) << 4) | (r.rateScaling & 0x0F)));
    writeEnvelope(r.envelope);
}

void VoiceData::writeOperator(const FmOperatorParams& op)
{
    writeByte(bit(op.fixedFrequency));
    writeByte(static_cast<std::uint8_t>(((op.opWaveform & 7) << 4) | (op.frequency & 0x0F)));
    writeLevelBlock(op);
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
    writeLevelBlock(e);
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
    if (message == nullptr)
        return false;
    const DumpLayout layout = dumpLayout(message, length);
    if (length < dumpSize(layout))
        return false;

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
