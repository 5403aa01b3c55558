// Voice banks of both layouts: written as the instrument writes them, read
// back, checked block by block.
#include "RandomVoice.h"
#include "Tg33Dump.h"
#include "VoiceBank.h"
#include "VoiceData.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>

using namespace morvane;

namespace {

using Bytes = std::vector<std::uint8_t>;

// An SY bank of 64 random voices and multi data that are nothing but a
// pattern of data bytes.
VoiceBank syBank()
{
    VoiceBank bank(DumpLayout::Sy);
    test::RandomVoice random(25);
    for (int slot = 0; slot < kBankVoices; ++slot)
        bank.putVoice(slot, random.make());
    Bytes multi(kSyBankFormat.multiSize);
    for (std::size_t i = 0; i < multi.size(); ++i)
        multi[i] = static_cast<std::uint8_t>((i * 7) & 0x7F);
    EXPECT_TRUE(bank.setMulti(multi));
    return bank;
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

} // namespace

TEST(VoiceBank, AnSyBankIsWrittenAsTheInstrumentSendsItAndReadBackByteForByte)
{
    const VoiceBank bank = syBank();
    ASSERT_TRUE(bank.complete()) << bank.missing();
    const Bytes message = bank.encode(3);
    ASSERT_EQ(38306u, message.size());
    EXPECT_EQ((Bytes{0xF0, 0x43, 0x03, 0x7E, 2306 >> 7, 2306 & 0x7F}), Bytes(message.begin(), message.begin() + 6));
    EXPECT_EQ("PK  2203VM", std::string(message.begin() + 6, message.begin() + 16));
    EXPECT_EQ(0xF7, message.back());

    const BankRead read = readVoiceBank(message.data(), message.size());
    EXPECT_TRUE(read.faults.empty()) << joined(read.faults);
    ASSERT_EQ(DumpLayout::Sy, read.layout);
    EXPECT_EQ(17u, read.blocks.size());
    EXPECT_EQ(bank.multi(), read.bank.multi());
    EXPECT_EQ(message, read.bank.encode(3));

    // Each voice is the single dump the instrument sends for it, inner
    // checksum and all.
    for (int slot : {0, 37, 63}) {
        VoiceParameters voice;
        ASSERT_TRUE(read.bank.decode(slot, voice));
        const VoiceDump single = encodeDump(voice);
        EXPECT_EQ(Bytes(single.begin(), single.end()), read.bank.voiceDump(slot, 0)) << slotName(slot);
        EXPECT_EQ(std::string(voice.common.name, 8), read.bank.name(slot));
    }

    // Sent in 17 pieces that make up the message.
    const auto pieces = bankPieces(message);
    ASSERT_EQ(17u, pieces.size());
    Bytes again;
    for (const Bytes& piece : pieces)
        again.insert(again.end(), piece.begin(), piece.end());
    EXPECT_EQ(message, again);
    EXPECT_EQ(2 + 2296 + 1u, pieces[1].size());
    EXPECT_EQ(2 + 1504 + 1 + 1u, pieces.back().size());
}

TEST(VoiceBank, AnSyBankWithoutRealMultiDataIsNeverWritten)
{
    VoiceBank bank(DumpLayout::Sy);
    test::RandomVoice random(7);
    for (int slot = 0; slot < kBankVoices; ++slot)
        bank.putVoice(slot, random.make());
    EXPECT_FALSE(bank.complete());
    EXPECT_NE(std::string::npos, bank.missing().find("multi")) << bank.missing();
    EXPECT_TRUE(bank.encode(0).empty());
    EXPECT_FALSE(bank.setMulti(Bytes(100, 0))) << "the multi block has a fixed size";

    bank.clear(9);
    EXPECT_NE(std::string::npos, bank.missing().find("1 slot is empty")) << bank.missing();

    VoiceBank tg(DumpLayout::Tg33);
    EXPECT_FALSE(tg.setMulti(Bytes(kSyBankFormat.multiSize, 0))) << "a TG-33 bank has no multi block";
}

TEST(VoiceBank, DamageToAnSyBankIsReportedByBlock)
{
    const Bytes message = syBank().encode(0);
    const std::size_t block17 = bankBlockStart(kSyBankFormat, 16);
    const std::size_t block2 = bankBlockStart(kSyBankFormat, 1);
    struct Case {
        const char* what;
        std::size_t at;          // a byte to change, or the size to cut to
        bool cut;
        std::vector<std::string> said;
        int wholeVoices;
        bool multiKept;
    };
    const Case cases[] = {
        {"a data byte of the multi block", block17 + 50, false, {"block 17", "multi data", "checksum"}, 64, false},
        {"cut inside the multi block", block17 + 50, true, {"block 17", "cut short"}, 64, false},
        {"cut before the multi block", block17, true, {"after 16 of its 17 blocks", "multi data is missing"}, 64, false},
        {"a wrong count in block 2", block2 + 1, false, {"block 2", "voices 5-8", "count 2297"}, 60, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes damaged = message;
        if (c.cut)
            damaged.resize(c.at);
        else
            damaged[c.at] ^= 0x01;
        const BankRead read = readVoiceBank(damaged.data(), damaged.size());
        ASSERT_EQ(DumpLayout::Sy, read.layout);
        for (const std::string& part : c.said)
            EXPECT_NE(std::string::npos, joined(read.faults).find(part)) << joined(read.faults);
        EXPECT_EQ(c.wholeVoices, read.wholeVoices());
        EXPECT_EQ(c.multiKept, !read.bank.multi().empty());
        EXPECT_FALSE(read.bank.complete());
    }
}

TEST(VoiceBank, OnlyTheWholeHeaderAndAnIdentifierMakeABank)
{
    const Bytes sy = syBank().encode(0);
    struct Case {
        const char* what;
        std::size_t at;
        std::uint8_t value;
    };
    const Case notBanks[] = {
        {"another maker", 1, 0x41},
        {"a request's device byte", 2, 0x20},
        {"another format byte", 3, 0x7D},
        {"a single voice's identifier", 15, 'E'},
    };
    for (const Case& c : notBanks) {
        Bytes bytes = sy;
        bytes[c.at] = c.value;
        EXPECT_FALSE(bankLayout(bytes.data(), bytes.size())) << c.what;
        EXPECT_FALSE(readVoiceBank(bytes.data(), bytes.size()).faults.empty()) << c.what;
    }
    EXPECT_FALSE(bankLayout(sy.data(), 12)) << "too short for its identifier";
    Bytes prefixed{0x00, 0x12};
    prefixed.insert(prefixed.end(), sy.begin(), sy.end());
    EXPECT_EQ(DumpLayout::Sy, bankLayout(prefixed.data(), prefixed.size())) << "bytes before the F0 are skipped";

    for (DumpLayout layout : {DumpLayout::Sy, DumpLayout::Tg33}) {
        const auto request = bankRequest(layout, 5);
        EXPECT_EQ(0x25, request[2]);
        EXPECT_EQ(bankFormat(layout).id, std::string_view(reinterpret_cast<const char*>(request.data() + 4), 10));
        EXPECT_EQ(layout, bankRequestLayout(request.data(), request.size()));
    }
    const auto voiceRequest = dumpRequest(kModelSy22, 0);
    EXPECT_FALSE(bankRequestLayout(voiceRequest.data(), voiceRequest.size())) << "a single voice's request";
}

TEST(VoiceBank, AVoiceOfTheOtherLayoutIsConvertedAndOneOfTheSameIsKeptAsItIs)
{
    test::RandomVoice random(3);
    const VoiceParameters voice = random.make();
    const VoiceDump sy = encodeDump(voice);
    const Tg33Dump tg = encodeTg33Dump(voice, 0);

    VoiceBank tgBank(DumpLayout::Tg33);
    EXPECT_EQ(std::optional<bool>(true), tgBank.putDump(0, sy.data(), sy.size()));
    EXPECT_EQ(Bytes(tg.begin(), tg.end()), tgBank.voiceDump(0, 0));
    EXPECT_EQ(std::optional<bool>(false), tgBank.putDump(1, tg.data(), tg.size()));
    EXPECT_EQ(Bytes(tg.begin() + 16, tg.end() - 2), tgBank.raw(1));

    VoiceBank syBank(DumpLayout::Sy);
    EXPECT_EQ(std::optional<bool>(true), syBank.putDump(0, tg.data(), tg.size()));
    EXPECT_EQ(std::string(voice.common.name, 8), syBank.name(0));
    EXPECT_EQ(std::optional<bool>(false), syBank.putDump(1, sy.data(), sy.size()));
    EXPECT_EQ(Bytes(sy.begin(), sy.end()), syBank.voiceDump(1, 0));
    EXPECT_FALSE(syBank.putDump(2, sy.data(), sy.size() - 1)) << "not a voice dump";
    EXPECT_FALSE(syBank.holds(2));

    syBank.swap(0, 2);
    EXPECT_FALSE(syBank.holds(0));
    EXPECT_TRUE(syBank.holds(2));
    EXPECT_EQ("IA1", slotName(0));
    EXPECT_EQ("IH8", slotName(63));
    EXPECT_EQ("IB3", slotName(10));
}
