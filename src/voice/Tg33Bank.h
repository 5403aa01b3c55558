// The TG-33 bank backup: the instrument's 64 voices in one System Exclusive
// message. After F0 43 0n 7E come 16 blocks, each a 2-byte count (high 7
// bits, low 7 bits), that many data bytes and a checksum byte (data and
// checksum add up to a multiple of 128), then F7. The first block's data
// opens with the identifier "LM  0012VC"; every block then holds 4 voices of
// 587 bytes, each laid out as bytes 16 to 602 of a single-voice TG-33 dump.
#pragma once

#include "DumpFormat.h"
#include "Tg33Dump.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

inline constexpr std::string_view kTg33BankId = "LM  0012VC";
inline constexpr int kBankBlocks = 16;
inline constexpr int kBankVoicesPerBlock = 4;
inline constexpr int kBankVoices = kBankBlocks * kBankVoicesPerBlock;

// The data bytes of block `index` (0-15) and where its count starts, counted
// from the F0. The blocks have fixed sizes, so each one's place is known even
// when an earlier one is damaged.
constexpr std::size_t bankBlockData(int index)
{
    return (index == 0 ? kTg33BankId.size() : 0) + kBankVoicesPerBlock * kTg33VoiceSize;
}
constexpr std::size_t bankBlockStart(int index)
{
    std::size_t at = 4;
    for (int i = 0; i < index; ++i)
        at += 2 + bankBlockData(i) + 1;
    return at;
}
inline constexpr std::size_t kBankSize = bankBlockStart(kBankBlocks) + 1;
static_assert(bankBlockData(0) == 2358 && bankBlockData(1) == 2348);
static_assert(kBankSize == 37631);

// True when the message starting at the first F0 of `bytes` opens with
// F0 43 0n 7E and carries the bank identifier where a single voice carries
// its own.
bool isTg33Bank(const std::uint8_t* bytes, std::size_t size);

struct BankVoice {
    int number;          // 1-64, its place in the bank
    Tg33Dump message;    // as a single-voice dump, ready for VoiceData::decodeDump
};

struct BankContents {
    std::vector<BankVoice> voices;      // the whole ones, in bank order
    std::vector<std::string> faults;    // what is wrong and where; empty for a sound bank
};

// Reads a bank backup. Bytes before the first F0 are skipped; byte positions
// in the faults count from the start of `bytes`. A block that is cut short,
// carries a wrong count or fails its checksum gives none of its voices.
BankContents readTg33Bank(const std::uint8_t* bytes, std::size_t size);

} // namespace morvane
