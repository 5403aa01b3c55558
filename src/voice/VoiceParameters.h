// The current voice as parameter records. Every field keeps the instrument's
// own encoding (levels are attenuations, pan is reversed, vector positions are
// offset by 31); converting for display is the editors' business.
//
// The records keep the instrument's byte positions: a field has the same
// position in an AWM and an FM element, so the static_asserts below pin every
// position that the dump tables and the editors refer to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace morvane {

struct VoiceCommonParams {
    std::uint8_t unused[2];
    std::uint8_t effectDepth;   // 0-7
    std::uint8_t effectType;    // 0-15
    char name[8];               // not terminated when all eight are used
    char nameTerminator;        // always 0 after a decode
    std::uint8_t voiceConfig;   // 0 "A-B", 1 "A-B-C-D"
    std::uint8_t bendRange;     // 0-12
    std::uint8_t atAm;
    std::uint8_t atPm;
    std::uint8_t atLevel;
    std::uint8_t wheelAm;
    std::uint8_t wheelPm;
    std::int8_t atPitch;        // -12..12
    std::uint8_t envDelay;      // 0-127
    std::int8_t attack;         // -64..63
    std::int8_t release;        // -64..63
};

struct EnvelopeParams {
    std::uint8_t delayOn;
    std::uint8_t attackRate;    // 0-63
    std::uint8_t decay1Rate;    // 0-63
    std::uint8_t peakStage;     // 0-3, kept by updatePeakStage
    std::uint8_t decay2Rate;    // 0-63
    std::uint8_t releaseRate;   // 0-63
    std::uint8_t initialLevel;  // 0-127, attenuation
    std::uint8_t attackLevel;
    std::uint8_t decay1Level;
    std::uint8_t decay2Level;
};

struct FmOperatorParams {
    std::uint8_t fixedFrequency;
    std::uint8_t opWaveform;    // 0-7
    std::uint8_t frequency;     // 0-15
    std::uint8_t level;         // 0-127, attenuation
    std::uint8_t temperament;   // 0-3
    std::uint8_t detune;        // 0-15
    std::uint8_t levelScaling;  // 0-15
    std::uint8_t rateScaling;   // 0-15
    EnvelopeParams envelope;
};

// Positions 0-15, which mean the same in both kinds of element.
struct ElementParams {
    std::uint8_t waveform;      // AWM 0-127, FM 0-255
    std::int8_t pitch;          // -12..12
    std::int8_t velResp;        // -5..5
    std::int8_t atResp;         // -3..3
    std::uint8_t lfoWaveform;   // 0-4
    std::uint8_t lfoSpeed;      // 0-31
    std::uint8_t lfoDelay;      // 0-255
    std::uint8_t lfoRate;       // 0-255, shown as 127 - value
    std::uint8_t lfoAmDepth;    // 0-15
    std::uint8_t carrierAm;     // FM only
    std::uint8_t modulatorAm;   // FM only
    std::uint8_t lfoPmDepth;    // 0-31
    std::uint8_t carrierPm;     // FM only
    std::uint8_t modulatorPm;   // FM only
    std::uint8_t envType;       // 0-7, decoded but never sent
    std::uint8_t pan;           // 0-4, shown as 4 - value
};

struct FmElementParams : ElementParams {
    std::uint8_t feedback;      // 0-7
    FmOperatorParams modulator;
    FmOperatorParams carrier;   // carrier.level is the element's output level
};

struct AwmElementParams : ElementParams {
    std::uint8_t unused[22];    // where an FM element keeps feedback and modulator
    std::uint8_t level;         // 0-127
    std::uint8_t temperament;   // 0-3
    std::uint8_t detune;        // 0-15
    std::uint8_t levelScaling;  // 0-15
    std::uint8_t rateScaling;   // 0-15
    EnvelopeParams envelope;
};

inline constexpr int kVectorSteps = 50;
inline constexpr int kStepRepeat = 254;
inline constexpr int kStepEnd = 255;

struct VectorParams {
    std::int32_t stepTime[kVectorSteps];     // 0-253 length - 1, 254 Repeat, 255 End
    std::uint8_t cdPosition[kVectorSteps];   // 0-62, 31 is the centre
    std::uint8_t abPosition[kVectorSteps];   // 0-62
};

struct VoiceParameters {
    VoiceCommonParams common;
    AwmElementParams elementA;
    FmElementParams elementB;
    AwmElementParams elementC;
    FmElementParams elementD;
    std::uint8_t levelVectorSpeed;   // 1-16, units of 10 ms
    std::uint8_t detuneVectorSpeed;  // 1-16
    VectorParams levelVector;
    VectorParams detuneVector;
};

// Sets envelope.peakStage to the loudest of the four levels (the smallest
// attenuation); the earlier level wins a tie.
void updatePeakStage(EnvelopeParams& envelope);

// Why a text cannot be a voice name, or an empty text when it can: 1 to 8
// printable ASCII characters, what the instrument shows.
std::string voiceNameProblem(std::string_view name);
// Sets the name, padded with spaces to eight characters; `name` must pass
// voiceNameProblem.
void setVoiceName(VoiceCommonParams& common, std::string_view name);

// Record sizes and byte positions as the instrument numbers them.
static_assert(sizeof(VoiceCommonParams) == 24);
static_assert(offsetof(VoiceCommonParams, effectDepth) == 2);
static_assert(offsetof(VoiceCommonParams, name) == 4);
static_assert(offsetof(VoiceCommonParams, nameTerminator) == 12);
static_assert(offsetof(VoiceCommonParams, voiceConfig) == 13);
static_assert(offsetof(VoiceCommonParams, atAm) == 15);
static_assert(offsetof(VoiceCommonParams, atPitch) == 20);
static_assert(offsetof(VoiceCommonParams, release) == 23);
static_assert(sizeof(EnvelopeParams) == 10);
static_assert(offsetof(EnvelopeParams, peakStage) == 3);
static_assert(offsetof(EnvelopeParams, decay2Level) == 9);
static_assert(sizeof(FmOperatorParams) == 18);
static_assert(offsetof(FmOperatorParams, envelope) == 8);
static_assert(sizeof(ElementParams) == 16);
static_assert(offsetof(ElementParams, envType) == 14);
static_assert(sizeof(FmElementParams) == 53);
static_assert(sizeof(AwmElementParams) == 53);
static_assert(sizeof(VectorParams) == 300);

} // namespace morvane
