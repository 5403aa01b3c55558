// A voice as JSON: one object per record, every named field by its name,
// values as stored (signed fields signed, levels as attenuations).
#pragma once

#include "VoiceParameters.h"

#include <string>

namespace morvane {

std::string voiceToJson(const VoiceParameters& voice);

// Fills `voice` from JSON of the same shape; fields left out keep the value
// `voice` already holds. Returns an empty text on success, otherwise one line
// saying what is wrong, and then `voice` is left untouched.
std::string voiceFromJson(const std::string& json, VoiceParameters& voice);

} // namespace morvane
