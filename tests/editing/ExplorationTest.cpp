#include "Exploration.h"

#include "DumpCheck.h"
#include "RandomVoice.h"
#include "VoiceData.h"
#include "VoiceFields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace morvane {
namespace {

bool sameRound(const std::vector<VoiceParameters>& a, const std::vector<VoiceParameters>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0;
}

// The same walk of choices on an exploration: the rounds it showed.
std::vector<std::vector<VoiceParameters>> walk(Exploration& e)
{
    std::vector<std::vector<VoiceParameters>> shown{e.variations()};
    e.next({3});
    shown.push_back(e.variations());
    e.next({0, 5, 7});
    shown.push_back(e.variations());
    e.back();
    e.next({2, 6});
    shown.push_back(e.variations());
    return shown;
}

TEST(Exploration, RoundsAreRepeatableWithASeedAndStayInRange)
{
    VoiceParameters reset{};
    VoiceData resetData(reset);  // vector speeds 0: outside their range
    const std::vector<VoiceParameters> mates{test::RandomVoice(31).make(), test::RandomVoice(32).make()};
    struct Case {
        const char* name;
        VoiceParameters start;
        int amount;
        std::vector<VoiceParameters> mates;
    } cases[] = {
        {"randomise", test::RandomVoice(30).make(), 40, {}},
        {"randomise the reset voice", reset, 100, {}},
        {"blend with mates", test::RandomVoice(30).make(), 70, mates},
    };
    for (const Case& c : cases)
        for (const std::uint32_t seed : {1u, 77u}) {
            const std::string at = std::string(c.name) + " seed " + std::to_string(seed);
            Exploration first(c.start, c.amount, seed, c.mates), again(c.start, c.amount, seed, c.mates);
            const auto shown = walk(first), repeated = walk(again);
            for (std::size_t r = 0; r < shown.size(); ++r) {
                EXPECT_TRUE(sameRound(shown[r], repeated[r])) << at << " round " << r;
                ASSERT_EQ(shown[r].size(), std::size_t(Exploration::kVariations)) << at;
                for (const VoiceParameters& v : shown[r]) {
                    EXPECT_EQ(findFieldOutOfRange(v), "") << at << " round " << r;
                    EXPECT_EQ(encodeCheckedDump(v).fault, "") << at << " round " << r << ": the voice can be sent";
                }
                // Eight different voices, none the voice it started from.
                for (std::size_t i = 0; i < shown[r].size(); ++i)
                    for (std::size_t j = i + 1; j < shown[r].size(); ++j)
                        EXPECT_NE(std::memcmp(&shown[r][i], &shown[r][j], sizeof shown[r][i]), 0) << at << " " << i << j;
            }
            Exploration other(c.start, c.amount, seed + 1, c.mates);
            EXPECT_FALSE(sameRound(other.variations(), shown[0])) << at << ": another seed, other voices";
        }
}

// The fields of a voice that lie further from the same field of `other`
// than `amount` percent of their range.
struct FarFields {
    const VoiceParameters& base;
    const VoiceParameters& other;
    int amount;
    std::vector<std::string> far;
    void group(const char*, auto body) { body(); }
    template <typename T>
    void field(std::string_view name, T& value, int min, int max)
    {
        const auto at = reinterpret_cast<const unsigned char*>(&value) - reinterpret_cast<const unsigned char*>(&base);
        const T& twin = *reinterpret_cast<const T*>(reinterpret_cast<const unsigned char*>(&other) + at);
        if (name != "peakStage" && std::abs(int(value) - int(twin)) > ((max - min) * amount + 50) / 100)
            far.emplace_back(name);
    }
    void text(const char*, char*, std::size_t) {}
    template <typename T>
    void steps(std::string_view name, T* values, int count, int min, int max)
    {
        if (name != "stepTime")
            for (int i = 0; i < count; ++i)
                field(name, values[i], min, max);
    }
};

TEST(Exploration, RoundsNarrowAroundTheParentAndBackReturns)
{
    const VoiceParameters start = test::RandomVoice(40).make();
    Exploration e(start, 50, 5);
    EXPECT_EQ(e.round(), 1);
    EXPECT_FALSE(e.back());
    EXPECT_FALSE(e.next({}));
    EXPECT_FALSE(e.next({8, -1}));
    EXPECT_EQ(e.round(), 1);
    const std::vector<VoiceParameters> firstRound = e.variations();

    ASSERT_TRUE(e.next({4, 4}));
    EXPECT_EQ(e.round(), 2);
    EXPECT_EQ(e.amount(), 50 * Exploration::kNarrowing / 100);
    // One parent: every field of every variation within the smaller amount
    // of its range from the parent's (the vectors' step times aside, whose
    // range stops short of the markers).
    const VoiceParameters& parent = firstRound[4];
    for (const VoiceParameters& v : e.variations()) {
        VoiceParameters copy = v;
        FarFields check{copy, parent, e.amount(), {}};
        visitVoice(copy, check);
        EXPECT_TRUE(check.far.empty()) << check.far.front();
    }

    ASSERT_TRUE(e.next({0, 1}));
    EXPECT_EQ(e.round(), 3);
    EXPECT_EQ(e.amount(), 50 * Exploration::kNarrowing / 100 * Exploration::kNarrowing / 100);
    EXPECT_TRUE(e.back());
    EXPECT_TRUE(e.back());
    EXPECT_EQ(e.round(), 1);
    EXPECT_EQ(e.amount(), 50);
    EXPECT_TRUE(sameRound(e.variations(), firstRound));

    // The amount never falls below 1 %.
    Exploration small(start, 1, 5);
    ASSERT_TRUE(small.next({0}));
    EXPECT_EQ(small.amount(), 1);
}

} // namespace
} // namespace morvane
