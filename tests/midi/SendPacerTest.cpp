// The pacing of sends, on a clock the test moves: which messages go out, and
// when, for a given sequence of changes.
#include "SendPacer.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace morvane {
namespace {

using Clock = SendPacer::Clock;
using namespace std::chrono_literals;

// At this rate a byte takes exactly 1 ms on the wire, margin included, so a
// 100-byte "voice dump" takes 100 ms and a 15-byte request 15 ms.
constexpr int kMsPerByteBaud = 10100;
constexpr std::size_t kVoiceBytes = 100;
constexpr std::size_t kBankPieceBytes = 50;
constexpr std::size_t kMultiBytes = 40;

struct Offer {
    int atMs;
    char kind;   // 'v' a new state of the voice, 'r' a dump request, 'n' a note message,
                 // 'b' a bank of three pieces, 'x' the bank cancelled, 'm' a new state of the multi
};

struct Sent {
    int atMs;
    std::string what;   // "v3": the third voice offered; "r1": the first request
    bool operator==(const Sent&) const = default;
};

void PrintTo(const Sent& s, std::ostream* out)
{
    *out << s.what << "@" << s.atMs;
}

// Offers the messages at their times and hands over whatever the pacer
// allows, at the moments it names; returns what went out, in order.
std::vector<Sent> run(int baud, const std::vector<Offer>& offers)
{
    Clock::time_point now{};
    SendPacer pacer([&now] { return now; }, baud);
    const auto at = [](int ms) { return Clock::time_point{} + std::chrono::milliseconds(ms); };
    std::vector<Sent> sent;
    int voices = 0;
    int requests = 0;
    int notes = 0;
    int multis = 0;
    std::size_t next = 0;
    while (next < offers.size() || pacer.waiting()) {
        Clock::time_point moment = Clock::time_point::max();
        if (next < offers.size())
            moment = at(offers[next].atMs);
        if (const auto due = pacer.nextDue())
            moment = std::min(moment, std::max(*due, now));
        now = moment;
        for (; next < offers.size() && at(offers[next].atMs) == now; ++next) {
            if (offers[next].kind == 'v')
                pacer.offerVoice(SendPacer::Bytes(kVoiceBytes, static_cast<std::uint8_t>(++voices)));
            else if (offers[next].kind == 'n')
                pacer.offerShort(SendPacer::Bytes(3, static_cast<std::uint8_t>(++notes)));
            else if (offers[next].kind == 'b')
                pacer.offerBank({SendPacer::Bytes(kBankPieceBytes, 1), SendPacer::Bytes(kBankPieceBytes, 2),
                                 SendPacer::Bytes(kBankPieceBytes, 3)},
                                100ms);
            else if (offers[next].kind == 'x')
                pacer.dropBank();
            else if (offers[next].kind == 'm')
                pacer.offerMulti(SendPacer::Bytes(kMultiBytes, static_cast<std::uint8_t>(++multis)));
            else
                pacer.offerMessage(SendPacer::Bytes(15, static_cast<std::uint8_t>(++requests)));
        }
        while (const auto message = pacer.takeDue()) {
            const char kind = message->size() == kVoiceBytes     ? 'v'
                              : message->size() == 3             ? 'n'
                              : message->size() == kBankPieceBytes ? 'b'
                              : message->size() == 1             ? 'f'
                              : message->size() == kMultiBytes   ? 'm'
                                                                 : 'r';
            sent.push_back({static_cast<int>((now - Clock::time_point{}) / 1ms),
                            kind + std::to_string(message->front())});
        }
    }
    return sent;
}

std::vector<Offer> every(int stepMs, int lastMs)
{
    std::vector<Offer> offers;
    for (int t = 0; t <= lastMs; t += stepMs)
        offers.push_back({t, 'v'});
    return offers;
}

TEST(SendPacer, SendsTheLatestStateAtTheCablesPace)
{
    struct Case {
        const char* what;
        int baud;
        std::vector<Offer> offers;
        std::vector<Sent> sent;
    };
    const Case cases[] = {
        {"one change goes at once", kMsPerByteBaud, {{0, 'v'}}, {{0, "v1"}}},
        {"a burst: the first at once, the last when the cable is free, none between",
         kMsPerByteBaud, every(10, 90), {{0, "v1"}, {100, "v10"}}},
        {"a steady drag: one dump per wire time, the final state last",
         kMsPerByteBaud, every(30, 300), {{0, "v1"}, {100, "v4"}, {200, "v7"}, {300, "v11"}}},
        {"changes slower than the cable each go at once",
         kMsPerByteBaud, {{0, 'v'}, {150, 'v'}, {400, 'v'}}, {{0, "v1"}, {150, "v2"}, {400, "v3"}}},
        {"a request goes after the dump that waits",
         kMsPerByteBaud, {{0, 'v'}, {10, 'v'}, {20, 'r'}}, {{0, "v1"}, {100, "v2"}, {200, "r1"}}},
        {"a newer state takes the waiting dump's place, ahead of the request",
         kMsPerByteBaud, {{0, 'v'}, {10, 'v'}, {20, 'r'}, {30, 'v'}}, {{0, "v1"}, {100, "v3"}, {200, "r1"}}},
        {"a multi and the voice each keep only their latest state, in their turns",
         kMsPerByteBaud, {{0, 'v'}, {10, 'm'}, {20, 'v'}, {30, 'm'}}, {{0, "v1"}, {100, "m2"}, {140, "v2"}}},
        {"requests are never merged",
         kMsPerByteBaud, {{0, 'r'}, {1, 'r'}}, {{0, "r1"}, {15, "r2"}}},
        {"a dump after a request waits only for the request's bytes",
         kMsPerByteBaud, {{0, 'v'}, {10, 'r'}, {105, 'v'}}, {{0, "v1"}, {100, "r1"}, {115, "v2"}}},
        {"a note goes at once while a dump crosses, ahead of the dump that waits",
         kMsPerByteBaud, {{0, 'v'}, {10, 'v'}, {20, 'n'}, {30, 'n'}}, {{0, "v1"}, {20, "n1"}, {30, "n2"}, {106, "v2"}}},
        {"notes keep their order ahead of a waiting request",
         kMsPerByteBaud, {{0, 'v'}, {10, 'r'}, {20, 'n'}, {20, 'n'}}, {{0, "v1"}, {20, "n1"}, {20, "n2"}, {106, "r1"}}},
        {"a bank: a pause after each piece but the last",
         kMsPerByteBaud, {{0, 'b'}}, {{0, "b1"}, {150, "b2"}, {300, "b3"}}},
        {"at once, the pause still follows the piece's time on a MIDI cable (16.2 ms)",
         SendPacer::kAtOnce, {{0, 'b'}}, {{0, "b1"}, {116, "b2"}, {232, "b3"}}},
        {"nothing goes between a bank's pieces: a note waits for its end, a dump for its cable time",
         kMsPerByteBaud, {{0, 'b'}, {10, 'n'}, {20, 'v'}}, {{0, "b1"}, {150, "b2"}, {300, "b3"}, {300, "n1"}, {353, "v1"}}},
        {"a bank cancelled after a piece is closed with F7",
         kMsPerByteBaud, {{0, 'b'}, {60, 'x'}, {70, 'v'}}, {{0, "b1"}, {150, "f247"}, {151, "v1"}}},
        {"a bank cancelled before any piece went is dropped whole",
         kMsPerByteBaud, {{0, 'v'}, {10, 'b'}, {20, 'x'}}, {{0, "v1"}}},
        {"at once: everything goes as it comes, nothing is merged",
         SendPacer::kAtOnce, {{0, 'v'}, {10, 'v'}, {10, 'r'}, {20, 'v'}},
         {{0, "v1"}, {10, "v2"}, {10, "r1"}, {20, "v3"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(run(c.baud, c.offers), c.sent) << c.what;
}

TEST(SendPacer, AVoiceDumpTakesItsTimeOnAMidiCable)
{
    SendPacer pacer([] { return Clock::time_point{}; });
    EXPECT_EQ(pacer.rate(), 31250);
    // 592 bytes of 10 bits at 31,250 baud: 189.44 ms, and 1% more.
    using Ms = std::chrono::duration<double, std::milli>;
    EXPECT_NEAR(Ms(pacer.wireTime(592)).count(), 191.33, 0.01);
    pacer.setRate(SendPacer::kAtOnce);
    EXPECT_EQ(pacer.wireTime(592), Clock::duration::zero());
    pacer.setRate(-5);
    EXPECT_EQ(pacer.rate(), SendPacer::kAtOnce);
}

} // namespace
} // namespace morvane
