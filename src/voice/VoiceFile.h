// Voice files (.SYX): one voice bulk dump. Reading is lenient (bytes before
// the message are skipped, a TG-33 dump is accepted); writing stores exactly
// the message that encodeDump builds.
#pragma once

#include "VoiceData.h"

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace morvane {

inline constexpr std::size_t kMaxCollectedBytes = kTg33DumpSize;

// Skips every byte before the first F0, then collects bytes until the end of
// the stream or until 605 have been collected.
std::vector<std::uint8_t> collectVoiceMessage(std::istream& in);

enum class VoiceFileResult {
    Loaded,
    CannotOpen,     // missing or unreadable file
    NoMessage,      // no F0, or the collected bytes do not end in F7
    TooShort,       // ends in F7 but is shorter than its layout needs
};

// Reads the voice file at `path` into the voice of `voiceData`; anything but
// Loaded leaves the voice untouched.
VoiceFileResult readVoiceFile(const std::string& path, VoiceData& voiceData);

// Writes the encoded voice to `path`. The file is written beside its final
// name and moved into place only when all 592 bytes reached the disk, so a
// failed save never leaves a short file or destroys the previous one.
bool writeVoiceFile(const std::string& path, const VoiceData& voiceData);

// Writes any bytes to `path` by the same all-or-nothing rule.
bool writeFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size);

// One line for the user.
const char* describe(VoiceFileResult result);

} // namespace morvane
