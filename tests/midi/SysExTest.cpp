#include "SysEx.h"

#include "VoiceData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<Bytes> assemble(const std::vector<Bytes>& chunks)
{
    std::vector<Bytes> out;
    SysExAssembler assembler([&](const std::uint8_t* data, std::size_t size) { out.emplace_back(data, data + size); });
    for (const Bytes& chunk : chunks)
        assembler.feed(chunk.data(), chunk.size());
    return out;
}

TEST(SysExAssembler, PutsMessagesBackTogether)
{
    const Bytes message{0xF0, 0x43, 0x00, 0x7E, 0x01, 0x02, 0xF7};
    struct Case {
        const char* name;
        std::vector<Bytes> chunks;
        std::vector<Bytes> expected;
    };
    const Case cases[] = {
        {"whole", {message}, {message}},
        {"in pieces", {{0xF0, 0x43}, {0x00, 0x7E, 0x01}, {0x02}, {0xF7}}, {message}},
        {"two in one piece", {{0xF0, 0x01, 0xF7, 0xF0, 0x02, 0xF7}}, {{0xF0, 0x01, 0xF7}, {0xF0, 0x02, 0xF7}}},
        {"clock byte inside skipped", {{0xF0, 0x43, 0x00, 0xF8, 0x7E, 0x01, 0x02, 0xFE, 0xF7}}, {message}},
        {"bytes before the start skipped", {{0x90, 0x40, 0x7F, 0x12}, message}, {message}},
        {"status byte abandons", {{0xF0, 0x43, 0x90, 0x40, 0x7F, 0xF7}}, {}},
        {"new start abandons the unfinished", {{0xF0, 0x43, 0x00}, message}, {message}},
        {"unfinished is never delivered", {{0xF0, 0x43, 0x00, 0x7E}}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(assemble(c.chunks), c.expected) << c.name;
}

TEST(SysExAssembler, DropsAMessageLargerThanItsLimitAndGoesOn)
{
    Bytes huge(kMaxSysExSize + 10, 0x11);
    huge.front() = 0xF0;
    huge.back() = 0xF7;
    const Bytes next{0xF0, 0x01, 0xF7};
    EXPECT_EQ(assemble({huge, next}), std::vector<Bytes>{next});
}

class VoiceDumpLayout : public ::testing::Test {
protected:
    VoiceParameters voice{};
    VoiceData data{voice};

    Bytes syDump()
    {
        const VoiceDump dump = data.encodeDump();
        return Bytes(dump.begin(), dump.end());
    }

    Bytes tgDump()
    {
        Bytes dump = syDump();
        dump.insert(dump.end() - 2, kTg33DumpSize - kSyDumpSize, 0x00);
        std::copy(kTg33FormatId.begin(), kTg33FormatId.end(), dump.begin() + kFormatIdOffset);
        return dump;
    }
};

TEST_F(VoiceDumpLayout, AcceptsOnlyACompleteVoiceDump)
{
    const auto changed = [](Bytes bytes, std::size_t at, std::uint8_t value) {
        bytes[at] = value;
        return bytes;
    };
    const Bytes sy = syDump();
    const Bytes tg = tgDump();
    Bytes truncated(sy.begin(), sy.end() - 2);
    truncated.push_back(0xF7);
    Bytes overlong = sy;
    overlong.insert(overlong.end() - 1, 0x00);
    Bytes syIdTgLength = tg;
    std::copy(kSyFormatId.begin(), kSyFormatId.end(), syIdTgLength.begin() + kFormatIdOffset);
    Bytes tgIdSyLength = sy;
    std::copy(kTg33FormatId.begin(), kTg33FormatId.end(), tgIdSyLength.begin() + kFormatIdOffset);

    struct Case {
        const char* name;
        Bytes message;
        std::optional<DumpLayout> expected;
    };
    const Case cases[] = {
        {"SY dump", sy, DumpLayout::Sy},
        {"TG-33 dump", tg, DumpLayout::Tg33},
        {"any channel in the device byte", changed(sy, kDeviceByte, 0x0F), DumpLayout::Sy},
        {"a device byte of another kind", changed(sy, kDeviceByte, 0x20), std::nullopt},
        {"another maker", changed(sy, 1, 0x41), std::nullopt},
        {"another format", changed(sy, 3, 0x7D), std::nullopt},
        {"another identifier", changed(sy, 8, 'X'), std::nullopt},
        {"no end byte", changed(sy, kSyDumpSize - 1, 0x00), std::nullopt},
        {"status byte inside", changed(sy, 100, 0x90), std::nullopt},
        {"truncated", truncated, std::nullopt},
        {"overlong", overlong, std::nullopt},
        {"SY identifier, TG-33 length", syIdTgLength, std::nullopt},
        {"TG-33 identifier, SY length", tgIdSyLength, std::nullopt},
        {"dump request", Bytes(sy.begin(), sy.begin() + 15), std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(voiceDumpLayout(c.message.data(), c.message.size()), c.expected) << c.name;
    EXPECT_EQ(voiceDumpLayout(nullptr, 0), std::nullopt);
}

} // namespace
} // namespace morvane
