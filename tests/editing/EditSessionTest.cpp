#include "EditSession.h"
#include "VoiceTransforms.h"

#include <gtest/gtest.h>

#include <cstring>

namespace morvane {
namespace {

bool same(const VoiceParameters& a, const VoiceParameters& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class EditSessionTest : public ::testing::Test {
protected:
    EditSessionTest() : session(voice, [this] { return at; }) { session.begin(); }

    VoiceParameters voice{};
    EditSession::Clock::time_point at{};
    EditSession session;
};

TEST_F(EditSessionTest, ALoadIsAStepAndCompareShowsItWithoutOne)
{
    const VoiceParameters start = voice;
    voice.elementA.pitch = 7;
    session.loaded();
    const VoiceParameters loaded = voice;
    ASSERT_EQ(session.history()->steps(), 1u);
    EXPECT_EQ(session.history()->undoName(), "Load voice");
    EXPECT_FALSE(session.edited());

    voice.elementA.pitch = 9;
    session.record("Pitch", "pitch");
    const VoiceParameters edited = voice;
    EXPECT_TRUE(session.edited());

    EXPECT_TRUE(session.setComparing(true));
    EXPECT_FALSE(session.setComparing(true));
    EXPECT_TRUE(same(voice, loaded));
    EXPECT_TRUE(session.setComparing(false));
    EXPECT_TRUE(same(voice, edited));
    EXPECT_EQ(session.history()->steps(), 2u);

    // Undo ends compare and goes back from the edited voice, not the shown one.
    session.setComparing(true);
    EXPECT_TRUE(session.undo());
    EXPECT_FALSE(session.comparing());
    EXPECT_TRUE(same(voice, loaded));
    EXPECT_TRUE(session.undo());
    EXPECT_TRUE(same(voice, start));
    EXPECT_FALSE(session.undo());
    EXPECT_TRUE(session.redo());
    EXPECT_TRUE(same(voice, loaded));
}

TEST_F(EditSessionTest, ALoadWhileComparingEndsCompareAndFollowsTheEditedVoice)
{
    voice.elementA.pitch = 3;
    session.record("Pitch", "pitch");
    session.setComparing(true);
    voice.elementB.pitch = 5;  // the new voice read into the records
    const VoiceParameters incoming = voice;
    session.loaded();
    EXPECT_FALSE(session.comparing());
    EXPECT_TRUE(same(voice, incoming));
    EXPECT_EQ(session.history()->undoName(), "Load voice");
    session.undo();
    EXPECT_EQ(int(voice.elementA.pitch), 3);
}

TEST_F(EditSessionTest, TransformationsAreNamedStepsAfterCompareEnds)
{
    voice.elementA.pitch = 2;
    session.loaded();
    const VoiceParameters before = voice;
    session.setComparing(true);
    VoiceParameters other = voice;
    other.elementA.pitch = 12;
    session.blend(other, 100);
    EXPECT_FALSE(session.comparing());
    EXPECT_EQ(int(voice.elementA.pitch), 12);
    EXPECT_EQ(session.history()->undoName(), "Blend");
    session.randomise(100, kAllVoiceParts, 1);
    EXPECT_EQ(session.history()->undoName(), "Randomise");
    session.undo();
    session.undo();
    EXPECT_TRUE(same(voice, before));
}

TEST_F(EditSessionTest, ASavedVoiceIsNoLongerEdited)
{
    voice.elementA.pitch = 4;
    session.record("Pitch", "pitch");
    EXPECT_TRUE(session.edited());
    session.saved();
    EXPECT_FALSE(session.edited());
}

} // namespace
} // namespace morvane
