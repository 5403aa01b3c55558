#include "ControllerMap.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

using Kind = ControllerId::Kind;

TEST(ControllerMap, ReadsControlChangesAndPitchBendsOnly)
{
    struct Case {
        std::vector<std::uint8_t> bytes;
        bool move;
        ControllerId id;
        double fraction;
    } cases[] = {
        {{0xB0, 74, 127}, true, {Kind::ControlChange, 0, 74}, 1.0},
        {{0xBF, 1, 0}, true, {Kind::ControlChange, 15, 1}, 0.0},
        {{0xE2, 0x00, 0x40}, true, {Kind::PitchBend, 2, 0}, 8192 / 16383.0},
        {{0xE0, 0x7F, 0x7F}, true, {Kind::PitchBend, 0, 0}, 1.0},
        {{0xB0, 123, 0}, false, {}, 0},   // all notes off: a channel-mode message
        {{0x90, 60, 100}, false, {}, 0},  // a note
        {{0xB0, 74}, false, {}, 0},       // cut short
        {{0xB0, 0x80, 1}, false, {}, 0},  // not a data byte
    };
    for (const Case& c : cases) {
        const auto move = readControllerMessage(c.bytes.data(), c.bytes.size());
        ASSERT_EQ(move.has_value(), c.move) << int(c.bytes[0]) << " " << int(c.bytes[1]);
        if (move) {
            EXPECT_EQ(move->id, c.id);
            EXPECT_DOUBLE_EQ(move->fraction, c.fraction);
        }
    }
}

TEST(ControllerMap, LearnsBindsOneToOneForgetsAndKeepsItsLines)
{
    ControllerMap map;
    const ControllerMove knob{{Kind::ControlChange, 0, 74}, 0.5};
    const ControllerMove bend{{Kind::PitchBend, 1, 0}, 0.25};
    EXPECT_EQ(map.take(knob), std::nullopt);  // unbound, not learning

    map.learn("elementA.lfoSpeed");
    EXPECT_EQ(map.take(knob), "elementA.lfoSpeed");
    EXPECT_EQ(map.learning(), "");
    EXPECT_EQ(map.take(knob), "elementA.lfoSpeed");
    map.learn("common.bendRange");
    EXPECT_EQ(map.take(bend), "common.bendRange");

    // The knob learned for another field leaves the first; a field learned
    // again takes the new controller only.
    map.learn("common.bendRange");
    EXPECT_EQ(map.take(knob), "common.bendRange");
    EXPECT_EQ(map.take(bend), std::nullopt);
    EXPECT_EQ(map.controllerOf("elementA.lfoSpeed"), std::nullopt);
    ASSERT_EQ(map.bindings().size(), 1u);

    map.learn("elementB.pitch");
    map.take(bend);
    ControllerMap again;
    EXPECT_EQ(again.load(map.save()), 0);
    EXPECT_EQ(again.save(), map.save());
    EXPECT_EQ(again.controllerOf("elementB.pitch"), bend.id);
    EXPECT_EQ(again.controllerOf("elementB.pitch")->text(), "Pitch bend, channel 2");
    EXPECT_EQ(again.controllerOf("common.bendRange")->text(), "CC 74, channel 1");

    EXPECT_TRUE(again.forget("elementB.pitch"));
    EXPECT_FALSE(again.forget("elementB.pitch"));
    EXPECT_EQ(again.take(bend), std::nullopt);

    // Lines another program or a hand spoilt are skipped and counted.
    ControllerMap spoilt;
    EXPECT_EQ(spoilt.load({"cc 0 7 common.effectDepth", "cc 16 7 x", "cc 0 120 x", "bend 0", "knob 1 2 x",
                           "cc 0 7 a b", ""}),
              6);
    EXPECT_EQ(spoilt.save(), std::vector<std::string>{"cc 0 7 common.effectDepth"});
}

} // namespace
} // namespace morvane
