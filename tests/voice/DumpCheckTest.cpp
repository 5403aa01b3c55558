// The check made before a voice's message is sent or written: it passes
// every message the encoder makes, whatever the record holds, and it
// catches a message that does not carry the voice.
#include "DumpCheck.h"
#include "RandomVoice.h"
#include "VoiceFile.h"
#include "VoiceSource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <numeric>
#include <random>
#include <string>

using namespace morvane;

namespace {

// Puts both checksums right again after a byte of the voice was changed.
void fixChecksums(VoiceDump& dump)
{
    const std::uint8_t inner = innerChecksum(dump.data());
    dump[kInnerChecksumAt] = splitHigh(inner);
    dump[kInnerChecksumAt + 1] = splitLow(inner);
    const unsigned sum = std::accumulate(dump.begin() + kFormatIdOffset, dump.end() - 2, 0u);
    dump[dump.size() - 2] = static_cast<std::uint8_t>((128 - sum % 128) % 128);
}

} // namespace

TEST(DumpCheck, EveryMessageTheEncoderMakesPasses)
{
    VoiceParameters reset;
    VoiceData data(reset);
    EXPECT_EQ("", encodeCheckedDump(reset).fault) << "the reset voice";

    for (unsigned seed = 1; seed <= 200; ++seed) {
        const VoiceParameters voice = test::RandomVoice(seed).make();
        EXPECT_EQ("", encodeCheckedDump(voice).fault) << "random voice " << seed;
    }

    // Records holding anything at all: what is out of range travels masked
    // and is not held against the message.
    std::mt19937 rng(5);
    for (int n = 0; n < 200; ++n) {
        VoiceParameters raw;
        auto* bytes = reinterpret_cast<unsigned char*>(&raw);
        for (std::size_t i = 0; i < sizeof raw; ++i)
            bytes[i] = static_cast<unsigned char>(rng());
        EXPECT_EQ("", encodeCheckedDump(raw).fault) << "raw record " << n;
    }

    // Every voice of the real TG-33 bank, and the real single voices.
    const VoiceSource bank = readVoiceSource((std::filesystem::path(MORVANE_FIXTURES) / "tg33-bank-backup.syx").string());
    ASSERT_EQ(64u, bank.voices.size()) << "missing test data: " << MORVANE_FIXTURES;
    for (const SourceVoice& v : bank.voices)
        EXPECT_EQ("", encodeCheckedDump(v.voice).fault) << "bank voice " << v.number;
    for (const char* name : {"sy22-steel-voice.syx", "tg33-init-voice.syx"}) {
        VoiceParameters voice;
        VoiceData reader(voice);
        ASSERT_EQ(VoiceFileResult::Loaded,
                  readVoiceFile((std::filesystem::path(MORVANE_FIXTURES) / name).string(), reader));
        EXPECT_EQ("", encodeCheckedDump(voice).fault) << name;
    }
}

TEST(DumpCheck, AMessageThatDoesNotCarryTheVoiceIsCaught)
{
    const VoiceParameters voice = test::RandomVoice(11).make();
    const VoiceDump good = encodeDump(voice);
    ASSERT_EQ("", checkDump(voice, good));

    const std::size_t vectors = kSyMap.vectors;
    struct Case {
        const char* what;
        void (*damage)(VoiceDump&, std::size_t vectors);
        const char* fault;
    };
    const Case cases[] = {
        {"the vectors missing and the end moved up, as an optimiser once wrote it",
         [](VoiceDump& d, std::size_t at) {
             const VoiceDump whole = d;
             std::fill(d.begin() + static_cast<long>(at), d.end(), 0);
             std::copy(whole.end() - 5, whole.end(), d.begin() + static_cast<long>(at) + 2);
         },
         "not a voice dump"},
        {"a vector position changed, both checksums put right",
         [](VoiceDump& d, std::size_t at) {
             d[at + 2 + 10 * kStepBlockSize + 2] ^= 0x01;
             fixChecksums(d);
         },
         "levelVector.cdPosition[10] reads back as"},
        {"element B's feedback changed, both checksums put right",
         [](VoiceDump& d, std::size_t) {
             d[kSyMap.elements[1] + 14] ^= 0x01;
             fixChecksums(d);
         },
         "elementB.feedback reads back as"},
        {"a name character changed, both checksums put right",
         [](VoiceDump& d, std::size_t) {
             d[kSyMap.name + 3] ^= 0x01;
             fixChecksums(d);
         },
         "common.name[3] reads back as"},
        {"the outer checksum off by one",
         [](VoiceDump& d, std::size_t) { d[d.size() - 2] = static_cast<std::uint8_t>((d[d.size() - 2] + 1) & 0x7F); },
         "checksum is wrong"},
        {"the inner checksum off by one, the outer put right",
         [](VoiceDump& d, std::size_t) {
             d[kInnerChecksumAt + 1] ^= 0x01;
             const unsigned sum = std::accumulate(d.begin() + kFormatIdOffset, d.end() - 2, 0u);
             d[d.size() - 2] = static_cast<std::uint8_t>((128 - sum % 128) % 128);
         },
         "inner checksum is wrong"},
    };
    for (const Case& c : cases) {
        VoiceDump damaged = good;
        c.damage(damaged, vectors);
        const std::string fault = checkDump(voice, damaged);
        EXPECT_NE(std::string::npos, fault.find(c.fault)) << c.what << ": \"" << fault << "\"";
        EXPECT_EQ(0u, fault.find(kDumpFaultLead)) << c.what;
    }
}
