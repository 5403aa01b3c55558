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

// Velocity and aftertouch responses share one byte: velResp in bits 3-0
// (-5..-1 as 6..10), atResp as a 3-bit two's complement in bits 6-4.
constexpr std::uint8_t packResponses(int velResp, int atResp)
{
    const int v = velResp < 0 ? velResp + 11 : velResp;
    return static_cast<std::uint8_t>(((atResp & 0x07) << 4) | (v & 0x0F));
}
constexpr int unpackVelResp(std::uint8_t byte)
{
    const int v = byte & 0x0F;
    return v > 5 ? v - 11 : v;
}
constexpr int unpackAtResp(std::uint8_t byte)
{
    const int a = (byte >> 4) & 0x07;
    return a > 3 ? a - 8 : a;
}

static_assert(joinSplit(splitHigh(0xF4), splitLow(0xF4)) == 0xF4);
static_assert(splitHigh(static_cast<std::uint8_t>(-12)) == 1 && splitLow(static_cast<std::uint8_t>(-12)) == 0x74);
static_assert(packResponses(-5, 0) == 6 && unpackVelResp(6) == -5 && unpackVelResp(11) == 0);
static_assert(packResponses(0, -3) == 0x50 && unpackAtResp(0x50) == -3);

} // namespace morvane
