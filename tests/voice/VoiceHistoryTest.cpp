#include "VoiceHistory.h"

#include <gtest/gtest.h>

#include <cstring>

namespace morvane {
namespace {

using namespace std::chrono_literals;

bool same(const VoiceParameters& a, const VoiceParameters& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

VoiceParameters withSpeed(int speed)
{
    VoiceParameters v{};
    v.elementA.lfoSpeed = static_cast<std::uint8_t>(speed);
    return v;
}

const VoiceHistory::Clock::time_point t0{};

TEST(VoiceHistory, RunsOfOneKeyWithinThePauseAreOneStep)
{
    struct Change {
        int speed;
        const char* key;
        std::chrono::milliseconds at;
    };
    struct Case {
        const char* what;
        std::vector<Change> changes;
        std::size_t steps;
    } cases[] = {
        {"held up-down", {{1, "k", 0ms}, {2, "k", 100ms}, {3, "k", 200ms}, {4, "k", 900ms}}, 1},
        {"a pause splits", {{1, "k", 0ms}, {2, "k", 100ms}, {3, "k", 1000ms}}, 2},
        {"another control", {{1, "k", 0ms}, {2, "j", 100ms}}, 2},
        {"no key never joins", {{1, "", 0ms}, {2, "", 100ms}}, 2},
        {"no change, no step", {{0, "k", 0ms}, {0, "j", 50ms}}, 0},
    };
    for (const Case& c : cases) {
        VoiceHistory history(withSpeed(0));
        for (const Change& change : c.changes)
            history.record(withSpeed(change.speed), "LFO speed", change.key, t0 + change.at);
        EXPECT_EQ(history.steps(), c.steps) << c.what;
        while (history.canUndo())
            history.undo();
        EXPECT_TRUE(same(history.current(), withSpeed(0))) << c.what;
    }
}

TEST(VoiceHistory, UndoAndRedoWalkTheStatesAndANewStepClearsRedo)
{
    VoiceHistory history(withSpeed(0));
    for (int i = 1; i <= 3; ++i)
        history.record(withSpeed(i), "Step " + std::to_string(i), {}, t0);
    EXPECT_EQ(history.undoName(), "Step 3");
    EXPECT_TRUE(same(history.undo(), withSpeed(2)));
    EXPECT_TRUE(same(history.undo(), withSpeed(1)));
    EXPECT_EQ(history.redoName(), "Step 2");
    EXPECT_TRUE(same(history.redo(), withSpeed(2)));
    history.record(withSpeed(9), "Other", {}, t0);
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.redoName(), "");
    EXPECT_TRUE(same(history.undo(), withSpeed(2)));
}

TEST(VoiceHistory, KeepsTheNewestStepsWhenFull)
{
    VoiceHistory history(withSpeed(0), 1000);
    for (int i = 1; i <= 1005; ++i)
        history.record(withSpeed(i % 30 + 1 == 0 ? 1 : i % 250 + 1), {}, {}, t0);
    EXPECT_EQ(history.steps(), 1000u);
    int undone = 0;
    while (history.canUndo()) {
        history.undo();
        ++undone;
    }
    EXPECT_EQ(undone, 1000);
    EXPECT_TRUE(same(history.current(), withSpeed(5 % 250 + 1)));
}

} // namespace
} // namespace morvane
