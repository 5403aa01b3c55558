// A file offered to the library: a single-voice file (SY or TG-33 layout) or
// a voice bank (SY or TG-33), told apart by the header of its first message.
#pragma once

#include "VoiceParameters.h"

#include <string>
#include <vector>

namespace morvane {

struct SourceVoice {
    int number;               // its place in a bank (1-64); 0 for a single-voice file
    VoiceParameters voice;
};

struct VoiceSource {
    bool bank = false;
    std::vector<SourceVoice> voices;     // every whole voice, in file order
    std::vector<std::string> faults;     // what is wrong and where; empty when the file is sound
};

// Reads the file. A single-voice file that cannot be read gives one fault and
// no voice; a damaged bank gives its faults and the voices that are whole.
VoiceSource readVoiceSource(const std::string& path);

} // namespace morvane
