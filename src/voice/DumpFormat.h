// Fixed facts of the voice bulk dump and the dump requests, and the two ways
// a value travels in 7-bit MIDI data bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace morvane {

inline constexpr std::size_t kSyDumpSize = 592;     // the layout this program builds
inline constexpr std::size_t kTg33DumpSize = 605;   // received from a TG-33 only
inline constexpr std::size_t kRequestSize = 15;

inline constexpr std::string_view kSyFormatId = "PK  2203AE";
inline constexpr std::string_view kTg33FormatId = "LM  0012VE";

inline constexpr std::uint8_t kSysExStart = 0xF0;
inline constexpr std::uint8_t kSysExEnd = 0xF7;
inline constexpr std::uint8_t kYamahaId = 0x43;
inline constexpr std::uint8_t kDumpFormat = 0x7E;
inline constexpr std::size_t kDeviceByte = 2;
inline constexpr std::size_t kFormatIdOffset = 6;

enum class DumpLayout { Sy, Tg33 };

inline constexpr int kModelSy22 = 0;
inline constexpr int kModelSy35 = 1;
inline constexpr int kModelTg33 = 2;

// The layout a message is read in: TG-33 when bytes 6-15 hold its identifier,
// otherwise SY. Nothing else of the message is examined.
DumpLayout dumpLayout(const std::uint8_t* message, std::size_t length);

// Bytes a message of that layout must hold before it can be decoded.
constexpr std::size_t dumpSize(DumpLayout layout)
{
    return layout == DumpLayout::Tg33 ? kTg33DumpSize : kSyDumpSize;
}

// A TG-33 voice without the message around it, as a bank backup holds it:
// from the first byte after the identifier up to the checksum.
inline constexpr std::size_t kTg33VoiceStart = kFormatIdOffset + kTg33FormatId.size();
inline constexpr std::size_t kTg33VoiceSize = kTg33DumpSize - kTg33VoiceStart - 2;
static_assert(kTg33VoiceStart == 16 && kTg33VoiceSize == 587);

// The layout of a complete voice bulk dump of these instruments: F0, 0x43, a
// device byte 0n, 0x7E, the layout's identifier at offset 6, exactly the
// layout's length, data bytes below 0x80 and a final F7. Anything else
// (another maker's message, a dump request, a truncated or overlong dump)
// gives no value. The byte count and the checksum are not examined: real
// files carry wrong ones.
std::optional<DumpLayout> voiceDumpLayout(const std::uint8_t* data, std::size_t size);

// The 15-byte dump request of a model (2 = TG-33, anything else SY-22/SY-35)
// with the MIDI channel (0-15) in the low nibble of its device byte.
std::array<std::uint8_t, kRequestSize> dumpRequest(int model, int midiChannel);

// Split value: an 8-bit field as two data bytes, bit 7 first, then bits 6-0.
constexpr std::uint8_t splitHigh(std::uint8_t value) { return value >> 7; }
constexpr std::uint8_t splitLow(std::uint8_t value) { return value & 0x7F; }
constexpr std::uint8_t joinSplit(std::uint8_t high, std::uint8_t low)
{
    return static_cast<std::uint8_t>((high * 128 + low) & 0xFF);
}

static_assert(joinSplit(splitHigh(0xF4), splitLow(0xF4)) == 0xF4);
static_assert(splitHigh(static_cast<std::uint8_t>(-12)) == 1 && splitLow(static_cast<std::uint8_t>(-12)) == 0x74);

} // namespace morvane
