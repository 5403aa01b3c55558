#include "Instrument.h"

#include "EncodedVoice.h"
#include "RandomVoice.h"
#include "SysEx.h"
#include "Tg33Dump.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace morvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes encoded(const VoiceParameters& voice)
{
    return test::encodedVoice(voice);
}

// The voice a message decodes to, in encoded form so that whole voices compare.
Bytes decoded(const Bytes& message)
{
    VoiceParameters v{};
    VoiceData data(v);
    EXPECT_TRUE(data.decodeDump(message.data(), message.size()));
    return encoded(v);
}

TEST(Tg33Dump, DecodesToTheSameVoiceAsTheSyDump)
{
    test::RandomVoice random(42);
    for (int i = 0; i < 50; ++i) {
        const VoiceParameters v = random.make();
        const auto tg = encodeTg33Dump(v, i % 16);
        const Bytes tgBytes(tg.begin(), tg.end());

        ASSERT_EQ(voiceDumpLayout(tg.data(), tg.size()), DumpLayout::Tg33);
        EXPECT_EQ(tg[kDeviceByte], i % 16);
        const unsigned sum = std::accumulate(tg.begin() + 6, tg.end() - 1, 0u);
        EXPECT_EQ(sum % 128, 0u);
        EXPECT_EQ(decoded(tgBytes), decoded(encoded(v))) << "voice " << i;
    }
}

TEST(Tg33Dump, CarriesEveryEffectDepth)
{
    VoiceParameters v{};
    for (std::uint8_t depth = 0; depth < 8; ++depth) {
        v.common.effectDepth = depth;
        const auto tg = encodeTg33Dump(v, 0);
        VoiceParameters back{};
        VoiceData backData(back);
        ASSERT_TRUE(backData.decodeDump(tg.data(), tg.size()));
        EXPECT_EQ(back.common.effectDepth, depth);
    }
}

class InstrumentTest : public ::testing::Test {
protected:
    Bytes request(int model, int channel)
    {
        const auto r = dumpRequest(model, channel);
        return Bytes(r.begin(), r.end());
    }

    Instrument::Response handle(Instrument& instrument, const Bytes& message)
    {
        return instrument.handle(message.data(), message.size());
    }

    VoiceParameters voice = test::RandomVoice(3).make();
};

TEST_F(InstrumentTest, AnswersEachRequestInItsLayoutOnItsChannel)
{
    Instrument instrument({});
    instrument.voice() = voice;
    struct Case {
        int model, channel;
        DumpLayout layout;
        const char* log;
    };
    const Case cases[] = {
        {0, 5, DumpLayout::Sy, "received request \"PK  2203AE\" device 0x25"},
        {2, 15, DumpLayout::Tg33, "received request \"LM  0012VE\" device 0x2F"},
    };
    for (const Case& c : cases) {
        const auto response = handle(instrument, request(c.model, c.channel));
        EXPECT_EQ(response.log, c.log);
        EXPECT_TRUE(response.foreign.empty());
        ASSERT_EQ(voiceDumpLayout(response.reply.data(), response.reply.size()), c.layout);
        EXPECT_EQ(response.reply[kDeviceByte], c.channel);
        EXPECT_EQ(decoded(response.reply), decoded(encoded(voice)));
    }
}

TEST_F(InstrumentTest, SilentOrForeignAsAsked)
{
    Instrument instrument({.silent = true, .sendForeign = true});
    const auto response = handle(instrument, request(0, 0));
    EXPECT_TRUE(response.reply.empty());
    ASSERT_EQ(response.foreign.size(), 3u);
    for (const Bytes& foreign : response.foreign) {
        EXPECT_EQ(voiceDumpLayout(foreign.data(), foreign.size()), std::nullopt);
        EXPECT_EQ(foreign.front(), 0xF0);
        EXPECT_EQ(foreign.back(), 0xF7);
    }
}

TEST_F(InstrumentTest, AnswersOnlyItsDeviceNumberAndModel)
{
    struct Case {
        Instrument::Options options;
        int model, channel;
        bool answers;
    };
    const Case cases[] = {
        {{.device = 5}, 0, 5, true},
        {{.device = 5}, 2, 5, true},
        {{.device = 5}, 0, 4, false},
        {{.device = 5}, 0, 6, false},
        {{.layout = DumpLayout::Tg33}, 2, 9, true},
        {{.layout = DumpLayout::Tg33}, 0, 9, false},
        {{.device = 0, .layout = DumpLayout::Sy}, 1, 0, true},
        {{.device = 0, .layout = DumpLayout::Sy}, 2, 0, false},
    };
    for (const Case& c : cases) {
        Instrument instrument(c.options);
        const auto response = handle(instrument, request(c.model, c.channel));
        EXPECT_EQ(!response.reply.empty(), c.answers) << "model " << c.model << " channel " << c.channel;
        EXPECT_EQ(response.log.find("(not for this instrument)") != std::string::npos, !c.answers) << response.log;
    }
}

TEST_F(InstrumentTest, TakesEveryVoiceDumpAndNothingElse)
{
    Instrument instrument({});
    const Bytes before = encoded(instrument.voice());
    for (const Bytes& foreign : Instrument::foreignMessages())
        EXPECT_NE(handle(instrument, foreign).log.find("(ignored)"), std::string::npos);
    EXPECT_EQ(encoded(instrument.voice()), before);

    Bytes dump = encoded(voice);
    dump[kDeviceByte] = 0x05;
    const auto response = handle(instrument, dump);
    EXPECT_EQ(response.log.rfind("received dump \"PK  2203AE\" device 0x05 bytes 592 name ", 0), 0u) << response.log;
    EXPECT_TRUE(response.reply.empty());
    EXPECT_EQ(encoded(instrument.voice()), decoded(encoded(voice)));
}

// As a TG-33 it answers the multi request with its multi on the request's
// device number, and keeps a sound multi it is sent, never a damaged one.
TEST_F(InstrumentTest, AnswersAndKeepsTheMulti)
{
    Instrument instrument({.device = 3});
    const auto request = multiRequest(*MidiChannel::of(3));
    auto response = instrument.handle(request.data(), request.size());
    EXPECT_EQ("received multi request device 0x23", response.log);
    Multi got;
    ASSERT_EQ("", decodeMulti(response.reply.data(), response.reply.size(), got));
    EXPECT_EQ(0x03, response.reply[kDeviceByte]);
    EXPECT_EQ(instrument.multi(), got);
    EXPECT_EQ("SIM MULT", got.nameText());

    const auto other = multiRequest(*MidiChannel::of(4));
    EXPECT_TRUE(instrument.handle(other.data(), other.size()).reply.empty());
    Instrument sy({.layout = DumpLayout::Sy});
    EXPECT_TRUE(sy.handle(request.data(), request.size()).reply.empty());

    Multi sent = initialMulti();
    sent.parts[1][PartField::Volume] = 77;
    sent.parts[1][PartField::On] = 1;
    const MultiDump dump = encodeMulti(sent);
    Bytes damaged(dump.begin(), dump.end());
    damaged[40] ^= 1;
    response = handle(instrument, damaged);
    EXPECT_NE(std::string::npos, response.log.find("not stored: the multi dump's checksum")) << response.log;
    EXPECT_EQ(got, instrument.multi());

    response = handle(instrument, Bytes(dump.begin(), dump.end()));
    EXPECT_EQ(0u, response.log.rfind("received multi device 0x00 bytes 226 name \"Untitled\" 1:0/0@127 2:0/0@77", 0))
        << response.log;
    EXPECT_EQ(sent, instrument.multi());
}

} // namespace
} // namespace morvane
