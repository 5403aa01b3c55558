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

// Where the parts of a voice sit in a message of each layout. The element
// blocks, the name, the nine bytes from the pitch-bend range to the release
// and the 402 bytes of vector speeds and vectors have the same inner layout
// in both; only the voice configuration and the effect are kept differently.
struct MessageMap {
    std::string_view formatId;
    std::size_t size;
    std::size_t voiceConfig;     // bit 0
    std::size_t name;            // 8 characters
    std::size_t controls;        // bend range, switches, aftertouch pitch (split), envelope delay,
                                 // attack (split), release (split)
    std::size_t elements[4];     // A (AWM), B (FM), C (AWM), D (FM)
    std::size_t vectors;         // level speed, detune speed, level vector, detune vector
};

inline constexpr std::size_t kNameSize = 8;
inline constexpr std::size_t kControlsSize = 9;
inline constexpr std::size_t kAwmBlockSize = 27;
inline constexpr std::size_t kFmBlockSize = 47;
inline constexpr std::size_t kOperatorBlockSize = 16;
inline constexpr std::size_t kStepBlockSize = 4;
inline constexpr std::size_t kVectorsSize = 2 + 2 * 50 * kStepBlockSize;

inline constexpr MessageMap kSyMap{kSyFormatId, kSyDumpSize, 27, 19, 28, {37, 64, 111, 138}, 185};
inline constexpr MessageMap kTg33Map{kTg33FormatId, kTg33DumpSize, 16, 28, 36, {45, 74, 123, 152}, 201};

// SY: the effect depth in bits 6-4 and the effect type in bits 3-0 of one byte.
inline constexpr std::size_t kSyEffect = 18;
// TG-33: the effect type in bits 3-0 of one byte; the depth is spread over two
// bytes whose sum divided by 36 gives it.
inline constexpr std::size_t kTg33EffectType = 17;
inline constexpr std::size_t kTg33DepthBytes[2] = {18, 22};
inline constexpr int kTg33DepthStep = 36;

// A TG-33 voice without the message around it, as a bank backup holds it:
// bytes 16 to 602 of a single-voice dump.
inline constexpr std::size_t kTg33VoiceStart = 16;
inline constexpr std::size_t kTg33VoiceSize = kTg33DumpSize - kTg33VoiceStart - 2;

constexpr const MessageMap& messageMap(DumpLayout layout)
{
    return layout == DumpLayout::Tg33 ? kTg33Map : kSyMap;
}

namespace detail {
// Every part inside the message, after the identifier and before the checksum;
// the element blocks in order; the vectors last.
constexpr bool mapFits(const MessageMap& m, std::size_t elementGap)
{
    const std::size_t first = kFormatIdOffset + m.formatId.size();
    const std::size_t blockSize[4] = {kAwmBlockSize, kFmBlockSize, kAwmBlockSize, kFmBlockSize};
    for (int i = 0; i < 3; ++i)
        if (m.elements[i] + blockSize[i] + elementGap != m.elements[i + 1])
            return false;
    return m.voiceConfig >= first && m.name >= first && m.controls >= first
           && m.name + kNameSize <= m.elements[0] && m.controls + kControlsSize <= m.elements[0]
           && m.elements[3] + kFmBlockSize + elementGap == m.vectors && m.vectors + kVectorsSize <= m.size - 2;
}
} // namespace detail
static_assert(detail::mapFits(kSyMap, 0), "the SY blocks follow one another");
static_assert(detail::mapFits(kTg33Map, 2), "each TG-33 element block is followed by two bytes not read");
static_assert(kTg33Map.vectors + kVectorsSize == kTg33DumpSize - 2);
static_assert(kTg33VoiceSize == 587);

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
