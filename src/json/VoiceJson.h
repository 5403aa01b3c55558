// A voice as JSON: one object per record, every named field by its name,
// values as stored (signed fields signed, levels as attenuations).
#pragma once

#include "Multi.h"
#include "VoiceParameters.h"

#include <string>

namespace morvane {

std::string voiceToJson(const VoiceParameters& voice);

// Fills `voice` from JSON of the same shape; fields left out keep the value
// `voice` already holds. Returns an empty text on success, otherwise one line
// saying what is wrong, and then `voice` is left untouched.
std::string voiceFromJson(const std::string& json, VoiceParameters& voice);

// A TG-33 multi as JSON: {"multi": {"common": {...}, "part1": {...}, ...}},
// each with the bytes it keeps as they came under "kept". Read back the same
// way as a voice: fields left out keep their value, a value outside its
// range or an unknown key is refused with one line saying so.
std::string multiToJson(const Multi& multi);
std::string multiFromJson(const std::string& json, Multi& multi);
// True when the JSON is an object that describes a multi.
bool isMultiJson(const std::string& json);

} // namespace morvane
