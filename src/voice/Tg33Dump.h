// The voice bulk dump in the TG-33 layout, as a TG-33 sends it. The program
// reads this layout and writes only the SY layout; the simulated instrument
// and the bank reader build TG-33 messages with these.
#pragma once

#include "VoiceParameters.h"
#include "DumpFormat.h"

#include <array>
#include <cstdint>

namespace morvane {

class VoiceData;

using Tg33Dump = std::array<std::uint8_t, kTg33DumpSize>;

// The TG-33 message of the voice held by a 592-byte SY-layout message, with
// the channel (0-15) in its device byte. Every part the decoder reads sits
// where it reads it; the bytes it skips are 0.
Tg33Dump tg33DumpFromSy(const std::uint8_t* syMessage, int midiChannel);

// The TG-33 message of the voice of `voiceData`.
Tg33Dump encodeTg33Dump(const VoiceParameters& voice, int midiChannel);

// The single-voice message around the 587 bytes of one voice of a bank
// backup (bytes 16 to 602 of the message), device byte 0.
Tg33Dump tg33DumpOfVoice(const std::uint8_t* voice);

} // namespace morvane
