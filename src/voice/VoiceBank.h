// The voice bank: the instrument's 64 internal voices in one System Exclusive
// message, as the instrument sends it and takes it back.
//
// After F0 43 0n 7E come 16 blocks, each a 2-byte count (high 7 bits, low 7
// bits), that many data bytes and a checksum byte (data and checksum add up
// to a multiple of 128), then F7. The first block's data opens with the
// bank's identifier; every block then holds 4 voices, each laid out as the
// bytes from 16 up to the checksum of a single-voice dump of that layout.
//   TG-33       "LM  0012VC": voices of 587 bytes (16-602), 37,631 bytes in all.
//   SY-22/SY-35 "PK  2203VM": voices of 574 bytes (16-589, the inner checksum
//               included), then a 17th block of 1,504 bytes with all the multi
//               data, 38,306 bytes in all.
// A bank keeps each voice as the bytes it came in, so a voice nobody changed
// is written back exactly as it arrived; the multi data are kept the same
// way and never made up.
#pragma once

#include "DumpFormat.h"
#include "VoiceParameters.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

inline constexpr int kBankVoiceBlocks = 16;
inline constexpr int kBankVoicesPerBlock = 4;
inline constexpr int kBankVoices = kBankVoiceBlocks * kBankVoicesPerBlock;
// Where a bank voice starts in a single-voice dump (either layout).
inline constexpr std::size_t kBankVoiceStart = 16;
// The header before the first block: F0 43 0n 7E.
inline constexpr std::size_t kBankHeaderSize = 4;
// How long the instrument pauses after each block, and how long one that
// receives a bank needs to store a block.
inline constexpr int kBankBlockPauseMs = 100;

struct BankFormat {
    DumpLayout layout;
    std::string_view id;        // at the start of the first block's data
    std::size_t voiceSize;      // bytes of one voice
    std::size_t multiSize;      // the data of the block after the voices; 0: none
    std::string_view model;     // for the user
};

inline constexpr BankFormat kTg33BankFormat{DumpLayout::Tg33, "LM  0012VC", kTg33DumpSize - kBankVoiceStart - 2, 0,
                                            "TG-33"};
inline constexpr BankFormat kSyBankFormat{DumpLayout::Sy, "PK  2203VM", kSyDumpSize - kBankVoiceStart - 2, 1504,
                                          "SY-22/SY-35"};

constexpr const BankFormat& bankFormat(DumpLayout layout)
{
    return layout == DumpLayout::Tg33 ? kTg33BankFormat : kSyBankFormat;
}

// Blocks in all: the voice blocks, and the multi block where there is one.
constexpr int bankBlocks(const BankFormat& f)
{
    return kBankVoiceBlocks + (f.multiSize > 0 ? 1 : 0);
}

// The data bytes of block `index` (0-based) and where its count starts,
// counted from the F0. The blocks have fixed sizes, so each one's place is
// known even when an earlier one is damaged.
constexpr std::size_t bankBlockData(const BankFormat& f, int index)
{
    if (index >= kBankVoiceBlocks)
        return f.multiSize;
    return (index == 0 ? f.id.size() : 0) + kBankVoicesPerBlock * f.voiceSize;
}
constexpr std::size_t bankBlockStart(const BankFormat& f, int index)
{
    std::size_t at = kBankHeaderSize;
    for (int i = 0; i < index; ++i)
        at += 2 + bankBlockData(f, i) + 1;
    return at;
}
// The whole message, F0 to F7.
constexpr std::size_t bankSize(const BankFormat& f)
{
    return bankBlockStart(f, bankBlocks(f)) + 1;
}

static_assert(kTg33BankFormat.voiceSize == kTg33VoiceSize && kSyBankFormat.voiceSize == 574);
static_assert(bankBlockData(kTg33BankFormat, 0) == 2358 && bankBlockData(kTg33BankFormat, 1) == 2348);
static_assert(bankBlockData(kSyBankFormat, 0) == 2306 && bankBlockData(kSyBankFormat, 1) == 2296);
static_assert(bankSize(kTg33BankFormat) == 37631 && bankSize(kSyBankFormat) == 38306);
static_assert(bankBlockData(kSyBankFormat, 0) < 128 * 128 && kSyBankFormat.multiSize < 128 * 128,
              "every count fits its two bytes");

// The layout of the bank whose message starts at the first F0 of `bytes`:
// F0 43 0n 7E, two count bytes, then a bank identifier. Anything else (a
// single voice, another maker's message) gives no value.
std::optional<DumpLayout> bankLayout(const std::uint8_t* bytes, std::size_t size);

// The request for the bank of that layout: F0 43 2n 7E, the identifier, F7,
// with the MIDI channel (0-15) in n.
std::array<std::uint8_t, kRequestSize> bankRequest(DumpLayout layout, int midiChannel);

// The layout a bank request asks for, or none when `message` is not one.
std::optional<DumpLayout> bankRequestLayout(const std::uint8_t* message, std::size_t size);

// The pieces a bank message is sent in, each to be followed by a pause: the
// header with the first block, then one block each; the last piece ends with
// the F7. `message` must be a whole bank of its layout.
std::vector<std::vector<std::uint8_t>> bankPieces(const std::vector<std::uint8_t>& message);

class VoiceBank {
public:
    using Bytes = std::vector<std::uint8_t>;

    explicit VoiceBank(DumpLayout layout = DumpLayout::Sy) : layout_(layout) {}

    DumpLayout layout() const { return layout_; }
    const BankFormat& format() const { return bankFormat(layout_); }

    // Slots count from 0 to 63; the instrument calls slot s "I" + bank and
    // number (see slotName).
    bool holds(int slot) const { return !voices_.at(static_cast<std::size_t>(slot)).empty(); }
    // The voice's bytes in the bank's layout; empty for an empty slot.
    const Bytes& raw(int slot) const { return voices_.at(static_cast<std::size_t>(slot)); }
    // The eight characters of the name as the instrument shows them (a
    // control character as a space); empty for an empty slot.
    std::string name(int slot) const;
    // The single-voice dump the instrument sends for that voice, in the
    // bank's layout, with the channel (0-15) in its device byte; empty for an
    // empty slot.
    Bytes voiceDump(int slot, int midiChannel) const;
    // Decodes the voice; false (the voice untouched) for an empty slot.
    bool decode(int slot, VoiceParameters& voice) const;

    // A voice dump of either layout (one voiceDumpLayout takes) into the
    // slot: kept byte for byte when it has the bank's layout, converted as
    // the program converts a voice otherwise. Returns whether it was
    // converted; a message that is not a voice dump leaves the slot as it was
    // and returns nothing.
    std::optional<bool> putDump(int slot, const std::uint8_t* message, std::size_t size);
    // The voice, encoded in the bank's layout once its message has read
    // back correctly (see checkDump); otherwise the slot is left as it was
    // and the fault is returned. Empty when it was put.
    std::string putVoice(int slot, const VoiceParameters& voice);
    // The voice bytes exactly as given; `voice` must have the layout's size.
    bool putRaw(int slot, const Bytes& voice);
    void clear(int slot) { voices_.at(static_cast<std::size_t>(slot)).clear(); }
    void swap(int a, int b) { std::swap(voices_.at(static_cast<std::size_t>(a)), voices_.at(static_cast<std::size_t>(b))); }

    // The multi data of an SY bank, as they came from a real bank; empty
    // until set.
    const Bytes& multi() const { return multi_; }
    bool setMulti(const Bytes& data);
    bool needsMulti() const { return format().multiSize > 0; }

    // The device byte's low nibble of the message the bank came in (0-15).
    int device() const { return device_; }
    void setDevice(int device) { device_ = MidiChannel::lowNibble(device).index(); }

    // Every voice there, and the multi data where the layout has them.
    bool complete() const;
    // What is missing for a complete bank, in words; empty when complete.
    std::string missing() const;

    // The bank message, with the channel (0-15) in its device byte; the
    // bank must be complete (otherwise empty).
    Bytes encode(int midiChannel) const;

private:
    DumpLayout layout_;
    std::array<Bytes, kBankVoices> voices_;
    Bytes multi_;
    int device_ = 0;
};

// "I" with the bank letter A-H and the number 1-8, as the instrument names
// internal voice `slot` (0-63).
std::string slotName(int slot);

// What the reader found in one block.
struct BankBlockCheck {
    int number;             // 1-17
    std::size_t at;         // where its count starts, from the start of the bytes read
    std::string fault;      // empty when it is whole
};

struct BankRead {
    std::optional<DumpLayout> layout;      // none: not a bank
    VoiceBank bank;                        // the whole voices (and multi data); the others are empty
    std::vector<BankBlockCheck> blocks;    // the blocks there are, whole or not
    std::vector<std::string> faults;       // what is wrong and where; empty for a sound bank
    int wholeVoices() const;
};

// Reads a bank message. Bytes before the first F0 are skipped; byte
// positions count from the start of `bytes`. A block that is cut short,
// carries a wrong count or fails its checksum gives none of its voices.
BankRead readVoiceBank(const std::uint8_t* bytes, std::size_t size);

// The bank in a file: its bytes read whole (a file far larger than a bank is
// refused with a fault).
BankRead readVoiceBankFile(const std::string& path);

} // namespace morvane
