// The one converter between the current voice and the voice bulk dump.
#pragma once

#include "DumpFormat.h"
#include "VoiceLayout.h"
#include "VoiceParameters.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace morvane {

// One voice bulk dump in the SY layout, as a value its holder owns.
using VoiceDump = std::array<std::uint8_t, kSyDumpSize>;

// Builds the 592-byte SY-layout message of a voice, with the device byte 0.
// It reads nothing but the voice and changes nothing. Every field is masked
// to the width it travels in, so the message is valid System Exclusive
// whatever the record holds. The bytes are those the instrument itself
// sends: the inner checksum at 588-589 and, in an AWM element, the amplitude
// and pitch assignment bits only where that depth is not zero.
VoiceDump encodeDump(const VoiceParameters& voice);

// Writes the message of a voice in either layout, dumpSize(layout) bytes,
// with `device` as its device byte; encodeDump is the SY one with device 0.
void encodeVoice(const VoiceParameters& voice, DumpLayout layout, std::uint8_t device, std::uint8_t* message);

// The number a place of a message holds (bytes below 0x80), read at
// message + at, before its code is applied; and the same number put into a
// place whose bits are 0.
unsigned readPlace(const std::uint8_t* message, const Place& place, std::size_t at);
void writePlace(std::uint8_t* message, const Place& place, std::size_t at, unsigned value);

// Writes the frame of a message whose voice bytes are in place: the fixed
// bytes, the device byte, the byte count, the identifier and the checksums.
void frameVoice(std::uint8_t* message, DumpLayout layout, std::uint8_t device);

// The inner checksum of an SY-layout message: minus the sum, modulo 256, of
// the voice's 8-bit values from byte 16 to byte 586, where a pair that
// carries one value across two bytes (a split value, or a packed pair whose
// first byte holds a value's top bit) counts as first × 128 + second. The
// message must hold at least 587 bytes. It travels at 588-589 as a split
// value.
std::uint8_t innerChecksum(const std::uint8_t* message);
inline constexpr std::size_t kInnerChecksumAt = frameAt(DumpLayout::Sy, FrameRole::InnerChecksum);

class VoiceData {
public:
    // Resets the voice it is given, as the program does once at start-up.
    explicit VoiceData(VoiceParameters& voice);

    // Every field 0, the name "12345678".
    void resetParameters();

    // The message of the voice it holds (see encodeDump above).
    VoiceDump encodeDump() const { return morvane::encodeDump(voice_); }

    // Fills the voice from a voice dump in the SY or TG-33 layout. Anything
    // that voiceDumpLayout does not take for one (a message of another maker,
    // a truncated or overlong dump, an unknown identifier) is refused: the
    // voice is left untouched and false is returned.
    bool decodeDump(const std::uint8_t* message, std::size_t length);

    VoiceParameters& parameters() { return voice_; }
    const VoiceParameters& parameters() const { return voice_; }

private:
    VoiceParameters& voice_;
};

} // namespace morvane
