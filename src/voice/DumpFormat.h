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

// The instruments, numbered as the settings keep them.
enum class Model { Sy22 = 0, Sy35 = 1, Tg33 = 2 };
// The same models as the settings store them.
inline constexpr int kModelSy22 = static_cast<int>(Model::Sy22);
inline constexpr int kModelSy35 = static_cast<int>(Model::Sy35);
inline constexpr int kModelTg33 = static_cast<int>(Model::Tg33);

// The model a setting's number names; a number outside the list is an SY-22.
constexpr Model modelFromNumber(int number)
{
    return number == 1 ? Model::Sy35 : number == 2 ? Model::Tg33 : Model::Sy22;
}

// A MIDI channel, 0-15 (shown as 1-16). It can only hold a valid channel.
class MidiChannel {
public:
    constexpr MidiChannel() = default;
    // The channel with this index, or none when it is outside 0-15.
    static constexpr std::optional<MidiChannel> of(int index)
    {
        if (index < 0 || index > 15)
            return std::nullopt;
        return MidiChannel(index);
    }
    // The channel in the low four bits of `number`, as the instrument reads
    // a channel nibble; for numbers whose range is already checked.
    static constexpr MidiChannel lowNibble(int number) { return MidiChannel(number & 0x0F); }
    constexpr int index() const { return index_; }
    constexpr bool operator==(const MidiChannel&) const = default;

private:
    explicit constexpr MidiChannel(int index) : index_(index) {}
    int index_ = 0;
};

// What a message with a device byte is: a dump (0n) or a dump request (2n).
enum class DeviceKind : std::uint8_t { Dump = 0x00, Request = 0x20 };

// The device byte of a message: its kind in the high bits, the channel in
// the low nibble. Every message the program builds gets it from here.
constexpr std::uint8_t deviceByte(DeviceKind kind, MidiChannel channel)
{
    return static_cast<std::uint8_t>(static_cast<std::uint8_t>(kind) | channel.index());
}
// The channel a device byte names.
constexpr MidiChannel channelOfDeviceByte(std::uint8_t byte) { return MidiChannel::lowNibble(byte); }

static_assert(deviceByte(DeviceKind::Request, *MidiChannel::of(15)) == 0x2F);
static_assert(!MidiChannel::of(16) && !MidiChannel::of(-1));

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

// The 15-byte dump request of a model with the MIDI channel in its device
// byte.
std::array<std::uint8_t, kRequestSize> dumpRequest(Model model, MidiChannel channel);
// The same for a model's setting number (2 = TG-33, anything else SY-22/SY-35)
// and the low nibble of `midiChannel`.
inline std::array<std::uint8_t, kRequestSize> dumpRequest(int model, int midiChannel)
{
    return dumpRequest(modelFromNumber(model), MidiChannel::lowNibble(midiChannel));
}

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
