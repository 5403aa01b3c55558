// The voice bulk dump in the TG-33 layout, as a TG-33 sends it. The program
// itself only ever reads this layout; the simulated instrument writes it.
#pragma once

#include "DumpFormat.h"
#include "VoiceData.h"

#include <array>
#include <cstdint>

namespace morvane {

// The 605-byte TG-33 dump of the voice, with the channel (0-15) in its device
// byte. Every block the decoder reads sits where it reads it; the bytes it
// skips are 0; the checksum makes bytes 6 to 603 sum to a multiple of 128.
std::array<std::uint8_t, kTg33DumpSize> encodeTg33Dump(const VoiceParameters& voice, int midiChannel);

} // namespace morvane
