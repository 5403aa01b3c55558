// The sixteen effect programs, by the value stored in effectType.
#pragma once

#include "TableChecks.h"

#include <array>
#include <string_view>

namespace morvane {

inline constexpr std::array<std::string_view, 16> kEffectNames{
    "Reverb Hall",        "Reverb Room",        "Reverb Plate",      "Reverb Club",
    "Reverb Metal",       "Single Short Delay", "Long Delay 1",      "Long Delay 2",
    "Doubler",            "Ping-Pong Delay",    "Panned Reflections", "Early Reflections",
    "Gated Reverb",       "Delay & Reverb 1",   "Delay & Reverb 2",  "Distortion & Reverb",
};
static_assert(allNamed(kEffectNames), "one name for each of the 16 effect programs");

inline constexpr std::array<std::string_view, 2> kVoiceConfigNames{"A-B", "A-B-C-D"};
static_assert(allNamed(kVoiceConfigNames));

} // namespace morvane
