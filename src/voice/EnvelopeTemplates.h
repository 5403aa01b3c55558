// The envelope types both element editors offer, and the six templates
// ("Piano" ... "Organ") they write into an element's or operator's envelope.
#pragma once

#include "FactSource.h"
#include "VoiceParameters.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace morvane {

inline constexpr std::array<std::string_view, 8> kEnvelopeTypeNames{
    "User", "Preset", "Piano", "Guitar", "Pluck", "Brass", "Strings", "Organ"};
inline constexpr int kEnvTypeUser = 0;
inline constexpr int kEnvTypePreset = 1;
inline constexpr int kFirstTemplate = 2;

// An envelope as the windows show it: levels 0 (silent) to 127 (loudest).
struct ShownEnvelope {
    std::uint8_t initialLevel, attackRate, attackLevel, decay1Rate, decay1Level, decay2Rate, decay2Level,
        releaseRate, levelScaling, rateScaling;
    FactSource source = kOwnChoice;
};

inline constexpr std::array<ShownEnvelope, 6> kEnvelopeTemplates{{
    {87, 63, 127, 20, 119, 14, 0, 32, 1, 3, kDocumented},  // Piano
    {0, 63, 127, 24, 117, 19, 0, 35, 1, 1, kDocumented},  // Guitar
    {87, 63, 127, 32, 79, 28, 0, 32, 1, 1, kDocumented},  // Pluck
    {0, 44, 127, 20, 119, 0, 119, 40, 1, 1, kDocumented},  // Brass
    {87, 28, 127, 0, 127, 0, 127, 26, 1, 1, kDocumented},  // Strings
    {0, 63, 127, 0, 127, 0, 127, 42, 1, 1, kDocumented},  // Organ
}};
static_assert(kEnvelopeTemplates.size() + kFirstTemplate == kEnvelopeTypeNames.size());

constexpr bool shownEnvelopeInRange(const ShownEnvelope& e)
{
    return e.initialLevel <= 127 && e.attackLevel <= 127 && e.decay1Level <= 127 && e.decay2Level <= 127
           && e.attackRate <= 63 && e.decay1Rate <= 63 && e.decay2Rate <= 63 && e.releaseRate <= 63
           && e.levelScaling <= 15 && e.rateScaling <= 7;
}
static_assert([] {
    for (const ShownEnvelope& e : kEnvelopeTemplates)
        if (!shownEnvelopeInRange(e))
            return false;
    return true;
}());

// Writes a shown envelope into an AWM element or an FM operator (both keep
// levelScaling, rateScaling and envelope), leaving the delay switch alone,
// and keeps the peak point in step with the new levels.
template <typename Record>
void writeEnvelope(Record& record, const ShownEnvelope& shown)
{
    EnvelopeParams& e = record.envelope;
    e.initialLevel = static_cast<std::uint8_t>(127 - shown.initialLevel);
    e.attackLevel = static_cast<std::uint8_t>(127 - shown.attackLevel);
    e.decay1Level = static_cast<std::uint8_t>(127 - shown.decay1Level);
    e.decay2Level = static_cast<std::uint8_t>(127 - shown.decay2Level);
    e.attackRate = shown.attackRate;
    e.decay1Rate = shown.decay1Rate;
    e.decay2Rate = shown.decay2Rate;
    e.releaseRate = shown.releaseRate;
    record.levelScaling = shown.levelScaling;
    record.rateScaling = shown.rateScaling;
    updatePeakStage(e);
}

} // namespace morvane
