// Every named field of a voice with its stored range, in record order, as one
// walk that tools and checks share. A visitor provides:
//   group(name, body)                         a nested record; call body()
//   field(name, value&, min, max)             one integer field
//   text(name, char* chars, size)             the voice name
//   steps(name, value* array, count, min, max) a vector's 50 entries
// Fields that an element kind does not use are not visited.
#pragma once

#include "VoiceParameters.h"

#include <string>

namespace morvane {

template <typename Visitor>
void visitEnvelope(EnvelopeParams& e, Visitor& v)
{
    v.field("delayOn", e.delayOn, 0, 1);
    v.field("attackRate", e.attackRate, 0, 63);
    v.field("decay1Rate", e.decay1Rate, 0, 63);
    v.field("peakStage", e.peakStage, 0, 3);
    v.field("decay2Rate", e.decay2Rate, 0, 63);
    v.field("releaseRate", e.releaseRate, 0, 63);
    v.field("initialLevel", e.initialLevel, 0, 127);
    v.field("attackLevel", e.attackLevel, 0, 127);
    v.field("decay1Level", e.decay1Level, 0, 127);
    v.field("decay2Level", e.decay2Level, 0, 127);
}

template <typename Visitor>
void visitElementHeader(ElementParams& e, int waveforms, bool fm, Visitor& v)
{
    v.field("waveform", e.waveform, 0, waveforms - 1);
    v.field("pitch", e.pitch, -12, 12);
    v.field("velResp", e.velResp, -5, 5);
    v.field("atResp", e.atResp, -3, 3);
    v.field("lfoWaveform", e.lfoWaveform, 0, 4);
    v.field("lfoSpeed", e.lfoSpeed, 0, 31);
    v.field("lfoDelay", e.lfoDelay, 0, 255);
    v.field("lfoRate", e.lfoRate, 0, 255);
    v.field("lfoAmDepth", e.lfoAmDepth, 0, 15);
    if (fm) {
        v.field("carrierAm", e.carrierAm, 0, 1);
        v.field("modulatorAm", e.modulatorAm, 0, 1);
    }
    v.field("lfoPmDepth", e.lfoPmDepth, 0, 31);
    if (fm) {
        v.field("carrierPm", e.carrierPm, 0, 1);
        v.field("modulatorPm", e.modulatorPm, 0, 1);
    }
    v.field("envType", e.envType, 0, 7);
    v.field("pan", e.pan, 0, 4);
}

template <typename Visitor>
void visitOperator(FmOperatorParams& op, Visitor& v)
{
    v.field("fixedFrequency", op.fixedFrequency, 0, 1);
    v.field("opWaveform", op.opWaveform, 0, 7);
    v.field("frequency", op.frequency, 0, 15);
    v.field("level", op.level, 0, 127);
    v.field("temperament", op.temperament, 0, 3);
    v.field("detune", op.detune, 0, 15);
    v.field("levelScaling", op.levelScaling, 0, 15);
    v.field("rateScaling", op.rateScaling, 0, 15);
    v.group("envelope", [&] { visitEnvelope(op.envelope, v); });
}

template <typename Visitor>
void visitAwmElement(AwmElementParams& e, Visitor& v)
{
    visitElementHeader(e, 128, false, v);
    v.field("level", e.level, 0, 127);
    v.field("temperament", e.temperament, 0, 3);
    v.field("detune", e.detune, 0, 15);
    v.field("levelScaling", e.levelScaling, 0, 15);
    v.field("rateScaling", e.rateScaling, 0, 15);
    v.group("envelope", [&] { visitEnvelope(e.envelope, v); });
}

template <typename Visitor>
void visitFmElement(FmElementParams& e, Visitor& v)
{
    visitElementHeader(e, 256, true, v);
    v.field("feedback", e.feedback, 0, 7);
    v.group("modulator", [&] { visitOperator(e.modulator, v); });
    v.group("carrier", [&] { visitOperator(e.carrier, v); });
}

template <typename Visitor>
void visitCommon(VoiceCommonParams& c, Visitor& v)
{
    v.field("effectDepth", c.effectDepth, 0, 7);
    v.field("effectType", c.effectType, 0, 15);
    v.text("name", c.name, sizeof c.name);
    v.field("voiceConfig", c.voiceConfig, 0, 1);
    v.field("bendRange", c.bendRange, 0, 12);
    v.field("atAm", c.atAm, 0, 1);
    v.field("atPm", c.atPm, 0, 1);
    v.field("atLevel", c.atLevel, 0, 1);
    v.field("wheelAm", c.wheelAm, 0, 1);
    v.field("wheelPm", c.wheelPm, 0, 1);
    v.field("atPitch", c.atPitch, -12, 12);
    v.field("envDelay", c.envDelay, 0, 127);
    v.field("attack", c.attack, -64, 63);
    v.field("release", c.release, -64, 63);
}

template <typename Visitor>
void visitVector(VectorParams& vec, Visitor& v)
{
    v.steps("stepTime", vec.stepTime, kVectorSteps, 0, 255);
    v.steps("cdPosition", vec.cdPosition, kVectorSteps, 0, 62);
    v.steps("abPosition", vec.abPosition, kVectorSteps, 0, 62);
}

template <typename Visitor>
void visitVoice(VoiceParameters& voice, Visitor& v)
{
    v.group("common", [&] { visitCommon(voice.common, v); });
    v.group("elementA", [&] { visitAwmElement(voice.elementA, v); });
    v.group("elementB", [&] { visitFmElement(voice.elementB, v); });
    v.group("elementC", [&] { visitAwmElement(voice.elementC, v); });
    v.group("elementD", [&] { visitFmElement(voice.elementD, v); });
    v.field("levelVectorSpeed", voice.levelVectorSpeed, 1, 16);
    v.field("detuneVectorSpeed", voice.detuneVectorSpeed, 1, 16);
    v.group("levelVector", [&] { visitVector(voice.levelVector, v); });
    v.group("detuneVector", [&] { visitVector(voice.detuneVector, v); });
}

namespace detail {

struct RangeChecker {
    std::string path, fault;
    void group(const char* name, auto body)
    {
        const std::size_t length = path.size();
        path += name;
        path += '.';
        body();
        path.resize(length);
    }
    void field(const std::string& name, auto value, int min, int max)
    {
        if (fault.empty() && (value < min || value > max))
            fault = path + name + " = " + std::to_string(value) + " (" + std::to_string(min) + ".."
                    + std::to_string(max) + ")";
    }
    void text(const char* name, const char* chars, std::size_t size)
    {
        for (std::size_t i = 0; i < size && fault.empty(); ++i)
            if (static_cast<unsigned char>(chars[i]) > 0x7F)
                fault = path + name + " holds a character outside 7-bit ASCII";
    }
    void steps(const char* name, const auto* values, int count, int min, int max)
    {
        for (int i = 0; i < count; ++i)
            field(std::string(name) + "[" + std::to_string(i) + "]", values[i], min, max);
    }
};

// Finds the named field at one address, with its path and range.
struct FieldLocator {
    const void* address;
    std::string path;
    int min = 0, max = -1;
    bool found() const { return max >= min; }
    void group(const char* name, auto body)
    {
        if (found())
            return;
        const std::size_t length = path.size();
        path += name;
        path += '.';
        body();
        if (!found())
            path.resize(length);
    }
    template <typename T>
    void field(const char* name, T& value, int lo, int hi)
    {
        if (!found() && static_cast<const void*>(&value) == address) {
            path += name;
            min = lo;
            max = hi;
        }
    }
    void text(const char*, char*, std::size_t) {}
    template <typename T>
    void steps(const char* name, T* values, int count, int lo, int hi)
    {
        for (int i = 0; i < count && !found(); ++i)
            if (static_cast<const void*>(&values[i]) == address) {
                path += std::string(name) + "[" + std::to_string(i) + "]";
                min = lo;
                max = hi;
            }
    }
};

} // namespace detail

// A field of the voice found by its address: its place, as
// "elementA.envelope.attackRate", and its stored range.
struct FieldInfo {
    std::string path;
    int min;
    int max;
};

// The named field that `field` points at inside `voice`, or an empty
// path with an empty range when no named field lives there.
inline FieldInfo findField(VoiceParameters& voice, const void* field)
{
    detail::FieldLocator locator{field, {}};
    visitVoice(voice, locator);
    if (!locator.found())
        return {{}, 0, -1};
    return {locator.path, locator.min, locator.max};
}

// The first field outside its range, as "elementB.carrier.level = 200 (0..127)",
// or an empty text when every field is within its range.
inline std::string findFieldOutOfRange(const VoiceParameters& voice)
{
    detail::RangeChecker checker;
    VoiceParameters copy = voice;
    visitVoice(copy, checker);
    return checker.fault;
}

} // namespace morvane
