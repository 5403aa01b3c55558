// Voices written by real instruments and other programs.
#include "VoiceBank.h"
#include "VoiceFields.h"
#include "VoiceFile.h"
#include "VoiceSource.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

using namespace morvane;

namespace {

constexpr std::size_t kTg33VoiceBytes = 587;

std::vector<std::uint8_t> readFixture(const char* name)
{
    const std::filesystem::path path = std::filesystem::path(MORVANE_FIXTURES) / name;
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A bank backup is F0 43 00 7E, blocks of (2-byte count, data, checksum), F7;
// the first block's data opens with a 10-byte identifier.
std::vector<std::vector<std::uint8_t>> voicesOfBank(const std::vector<std::uint8_t>& bank)
{
    std::vector<std::uint8_t> data;
    std::size_t pos = 4;
    bool first = true;
    while (pos + 2 < bank.size() && bank[pos] != 0xF7) {
        const std::size_t count = bank[pos] * 128u + bank[pos + 1];
        const std::size_t skip = first ? 10 : 0;
        if (pos + 2 + count + 1 > bank.size())
            break;
        data.insert(data.end(), bank.begin() + pos + 2 + skip, bank.begin() + pos + 2 + count);
        pos += 2 + count + 1;
        first = false;
    }
    std::vector<std::vector<std::uint8_t>> voices;
    for (std::size_t at = 0; at + kTg33VoiceBytes <= data.size(); at += kTg33VoiceBytes)
        voices.emplace_back(data.begin() + at, data.begin() + at + kTg33VoiceBytes);
    return voices;
}

std::vector<std::uint8_t> singleVoiceDump(const std::vector<std::uint8_t>& voice)
{
    std::vector<std::uint8_t> m{0xF0, 0x43, 0x00, 0x7E, 0x04, 0x55};
    // One byte at a time: g++ 12 at -O2 takes an insert of the name's
    // characters for a write past the end (-Warray-bounds), wrongly.
    for (const char c : kTg33FormatId)
        m.push_back(static_cast<std::uint8_t>(c));
    m.insert(m.end(), voice.begin(), voice.end());
    const unsigned sum = std::accumulate(m.begin() + 6, m.end(), 0u);
    m.push_back(static_cast<std::uint8_t>((128 - sum % 128) % 128));
    m.push_back(0xF7);
    return m;
}

void expectCleanVoice(const std::vector<std::uint8_t>& message, const std::string& what)
{
    SCOPED_TRACE(what);
    ASSERT_EQ(kTg33DumpSize, message.size());
    VoiceParameters voice;
    VoiceData data(voice);
    ASSERT_TRUE(data.decodeDump(message.data(), message.size()));
    const std::string name(voice.common.name);  // terminated by the decoder
    EXPECT_EQ(8u, name.size()) << name;
    for (char ch : name)
        EXPECT_TRUE(std::isprint(static_cast<unsigned char>(ch))) << "name " << name;
    EXPECT_EQ("", findFieldOutOfRange(voice)) << name;

    const VoiceDump dump = data.encodeDump();
    const std::uint8_t* sy = dump.data();
    EXPECT_EQ("PK  2203AE", std::string(sy + 6, sy + 16));
    for (std::size_t i = 1; i + 1 < kSyDumpSize; ++i)
        ASSERT_LT(sy[i], 0x80) << name << " byte " << i;
    EXPECT_EQ(0xF7, sy[kSyDumpSize - 1]);
    EXPECT_EQ(0u, std::accumulate(sy + 6, sy + 591, 0u) % 128) << name;
}

} // namespace

TEST(Fixtures, EveryVoiceOfATg33BankBackupDecodesCleanly)
{
    const std::vector<std::uint8_t> bank = readFixture("tg33-bank-backup.syx");
    ASSERT_FALSE(bank.empty()) << "missing test data: " << MORVANE_FIXTURES;
    ASSERT_EQ(37631u, bank.size());
    const auto voices = voicesOfBank(bank);
    ASSERT_EQ(64u, voices.size());
    for (std::size_t i = 0; i < voices.size(); ++i) {
        const std::vector<std::uint8_t> message = singleVoiceDump(voices[i]);
        expectCleanVoice(message, "bank voice " + std::to_string(i + 1));

        // The AWM elements' amplitude and pitch bytes go out as the TG-33
        // wrote them: an assignment bit only where its depth is not zero.
        VoiceParameters voice;
        VoiceData data(voice);
        ASSERT_TRUE(data.decodeDump(message.data(), message.size()));
        const VoiceDump sy = data.encodeDump();
        for (const auto& [tg, syAt] : {std::pair<std::size_t, std::size_t>{45, 37}, {123, 111}})
            for (std::size_t byte : {10u, 11u})
                EXPECT_EQ(message[tg + byte], sy[syAt + byte]) << "voice " << i + 1 << " byte " << syAt + byte;
    }
}

TEST(Fixtures, TheRealSy22DumpIsWrittenAgainByteForByte)
{
    const std::vector<std::uint8_t> file = readFixture("sy22-steel-voice.syx");
    ASSERT_EQ(kSyDumpSize, file.size()) << "missing test data: " << MORVANE_FIXTURES;
    EXPECT_EQ(0x0C, innerChecksum(file.data()));
    VoiceParameters voice;
    VoiceData data(voice);
    ASSERT_TRUE(data.decodeDump(file.data(), file.size()));
    EXPECT_EQ(std::string("Steel   "), voice.common.name);
    const VoiceDump again = data.encodeDump();
    EXPECT_EQ(file, std::vector<std::uint8_t>(again.begin(), again.end()));
}

TEST(Fixtures, ASingleTg33VoiceFromAnotherEditorLoads)
{
    const std::vector<std::uint8_t> file = readFixture("tg33-init-voice.syx");
    ASSERT_FALSE(file.empty()) << "missing test data: " << MORVANE_FIXTURES;
    expectCleanVoice(file, "init voice");

    VoiceParameters voice;
    VoiceData data(voice);
    ASSERT_EQ(VoiceFileResult::Loaded,
              readVoiceFile((std::filesystem::path(MORVANE_FIXTURES) / "tg33-init-voice.syx").string(), data));
    EXPECT_EQ(std::string("Untitled"), voice.common.name);
}

TEST(Fixtures, TheBankReaderFindsTheSameVoicesAsTheCountsSay)
{
    const std::vector<std::uint8_t> bank = readFixture("tg33-bank-backup.syx");
    ASSERT_EQ(bankSize(kTg33BankFormat), bank.size()) << "missing test data: " << MORVANE_FIXTURES;
    ASSERT_EQ(DumpLayout::Tg33, bankLayout(bank.data(), bank.size()));
    const BankRead read = readVoiceBank(bank.data(), bank.size());
    EXPECT_TRUE(read.faults.empty()) << read.faults.front();
    ASSERT_EQ(16u, read.blocks.size());
    const auto expected = voicesOfBank(bank);
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(read.wholeVoices()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const int slot = static_cast<int>(i);
        const std::vector<std::uint8_t> single = singleVoiceDump(expected[i]);
        EXPECT_EQ(single, read.bank.voiceDump(slot, 0)) << "voice " << i + 1;
    }
    EXPECT_EQ("WispaRev", read.bank.name(0));
    // Written again, every byte is as the instrument sent it.
    EXPECT_EQ(bank, read.bank.encode(0));

    const VoiceSource source = readVoiceSource((std::filesystem::path(MORVANE_FIXTURES) / "tg33-bank-backup.syx").string());
    EXPECT_TRUE(source.bank);
    ASSERT_EQ(64u, source.voices.size());
    EXPECT_EQ(64, source.voices.back().number);
}

// Damage done to the real bank, each with what the reader must say and the
// voices that are still whole.
TEST(Fixtures, ADamagedBankSaysWhatIsWrongAndWhere)
{
    const std::vector<std::uint8_t> bank = readFixture("tg33-bank-backup.syx");
    ASSERT_EQ(bankSize(kTg33BankFormat), bank.size()) << "missing test data: " << MORVANE_FIXTURES;
    const std::size_t block4 = bankBlockStart(kTg33BankFormat, 3);
    const std::size_t block6 = bankBlockStart(kTg33BankFormat, 5);
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        std::vector<std::string> faultParts;   // in what the reader says
        std::size_t wholeVoices;
        int firstMissing;                      // the number of the first voice not kept, or 0
    };
    const Case cases[] = {
        {"cut short inside block 6", [&](auto& b) { b.resize(block6 + 1000); },
         {"block 6", "byte " + std::to_string(block6), "voices 21-24", "cut short", "voices 25-64 are missing"}, 20,
         21},
        {"a wrong count in block 4", [&](auto& b) { b[block4 + 1] ^= 0x01; },
         {"block 4", "voices 13-16", "count"}, 60, 13},
        {"a changed data byte in block 6", [&](auto& b) { b[block6 + 100] ^= 0x01; },
         {"block 6", "checksum"}, 60, 21},
        {"12 blocks, then F7", [&](auto& b) { b.resize(bankBlockStart(kTg33BankFormat, 12)); b.push_back(0xF7); },
         {"after 12 of its 16 blocks", "voices 49-64"}, 48, 49},
        {"no F7 at the end", [&](auto& b) { b.pop_back(); },
         {"does not end with F7", std::to_string(bankSize(kTg33BankFormat) - 1)}, 64, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> damaged = bank;
        c.damage(damaged);
        const BankRead read = readVoiceBank(damaged.data(), damaged.size());
        ASSERT_FALSE(read.faults.empty());
        std::string said;
        for (const std::string& fault : read.faults)
            said += fault + "\n";
        for (const std::string& part : c.faultParts)
            EXPECT_NE(std::string::npos, said.find(part)) << said;
        EXPECT_EQ(c.wholeVoices, static_cast<std::size_t>(read.wholeVoices()));
        if (c.firstMissing > 0) {
            EXPECT_FALSE(read.bank.holds(c.firstMissing - 1));
        }
    }
}
