#include "Tg33Bank.h"

#include <algorithm>
#include <numeric>

namespace morvane {

namespace {

std::size_t firstStart(const std::uint8_t* bytes, std::size_t size)
{
    return static_cast<std::size_t>(std::find(bytes, bytes + size, kSysExStart) - bytes);
}

std::string voicesOf(int block)
{
    const int first = block * kBankVoicesPerBlock + 1;
    return "voices " + std::to_string(first) + "-" + std::to_string(first + kBankVoicesPerBlock - 1);
}

} // namespace

bool isTg33Bank(const std::uint8_t* bytes, std::size_t size)
{
    const std::size_t start = firstStart(bytes, size);
    const std::size_t id = start + kFormatIdOffset;
    // The whole header: F0, the maker, a device number 0-15, the dump
    // format, then the identifier.
    return id + kTg33BankId.size() <= size && bytes[start + 1] == kYamahaId && (bytes[start + 2] & 0xF0) == 0
           && bytes[start + 3] == kDumpFormat && std::equal(kTg33BankId.begin(), kTg33BankId.end(), bytes + id);
}

BankContents readTg33Bank(const std::uint8_t* bytes, std::size_t size)
{
    BankContents bank;
    const std::size_t start = firstStart(bytes, size);
    // The message ends at its first status byte (F7, or whatever cut it off).
    std::size_t end = start + 1;
    while (end < size && bytes[end] < 0x80)
        ++end;

    for (int block = 0; block < kBankBlocks; ++block) {
        const std::size_t at = start + bankBlockStart(block);
        const std::size_t length = bankBlockData(block);
        const std::string where = "block " + std::to_string(block + 1) + " (byte " + std::to_string(at) + ", "
                                  + voicesOf(block) + ")";
        if (at >= end) {
            bank.faults.push_back("the bank ends at byte " + std::to_string(end) + " after " + std::to_string(block)
                                  + " of its " + std::to_string(kBankBlocks) + " blocks; voices "
                                  + std::to_string(block * kBankVoicesPerBlock + 1) + "-"
                                  + std::to_string(kBankVoices) + " are missing");
            break;
        }
        if (at + 2 + length + 1 > end) {
            const std::size_t present = end - std::min(end, at + 2);
            bank.faults.push_back(where + " is cut short: " + std::to_string(std::min(present, length + 1)) + " of its "
                                  + std::to_string(length + 1) + " data and checksum bytes are there");
            continue;
        }
        const std::size_t count = bytes[at] * 128u + bytes[at + 1];
        if (count != length) {
            bank.faults.push_back(where + " has the count " + std::to_string(count) + " where it should be "
                                  + std::to_string(length));
            continue;
        }
        const std::uint8_t* data = bytes + at + 2;
        if (std::accumulate(data, data + length + 1, 0u) % 128 != 0) {
            bank.faults.push_back(where + ": the checksum does not match its data");
            continue;
        }
        const std::uint8_t* voice = data + (block == 0 ? kTg33BankId.size() : 0);
        for (int i = 0; i < kBankVoicesPerBlock; ++i, voice += kTg33VoiceSize)
            bank.voices.push_back({block * kBankVoicesPerBlock + i + 1, tg33DumpOfVoice(voice)});
    }
    const std::size_t last = start + kBankSize - 1;
    if (bank.voices.size() == static_cast<std::size_t>(kBankVoices) && (last >= size || bytes[last] != kSysExEnd))
        bank.faults.push_back("the bank does not end with F7 at byte " + std::to_string(last));
    return bank;
}

} // namespace morvane
