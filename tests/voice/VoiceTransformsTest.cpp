#include "VoiceTransforms.h"

#include "RandomVoice.h"
#include "VoiceFields.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace morvane {
namespace {

// Every named field of `a`, with its path and range, beside the same field of
// `b`, read at the same place in its record.
struct FieldPair {
    std::string path;
    int a, b, min, max;
};

struct PairWalk {
    const VoiceParameters& base;
    const VoiceParameters& other;
    std::string path;
    std::vector<FieldPair> pairs;

    void group(const char* name, auto body)
    {
        const std::size_t length = path.size();
        path += std::string(name) + ".";
        body();
        path.resize(length);
    }
    template <typename T>
    void field(const std::string& name, T& value, int min, int max)
    {
        const auto at = reinterpret_cast<const unsigned char*>(&value) - reinterpret_cast<const unsigned char*>(&base);
        const T& twin = *reinterpret_cast<const T*>(reinterpret_cast<const unsigned char*>(&other) + at);
        pairs.push_back({path + name, value, twin, min, max});
    }
    void text(const char*, char*, std::size_t) {}
    template <typename T>
    void steps(const char* name, T* values, int count, int min, int max)
    {
        for (int i = 0; i < count; ++i)
            field(std::string(name) + "[" + std::to_string(i) + "]", values[i], min, max);
    }
};

std::vector<FieldPair> pairs(const VoiceParameters& a, const VoiceParameters& b)
{
    VoiceParameters copy = a;
    PairWalk walk{copy, b, {}, {}};
    visitVoice(copy, walk);
    return walk.pairs;
}

std::vector<std::string> differences(const VoiceParameters& a, const VoiceParameters& b)
{
    std::vector<std::string> paths;
    for (const FieldPair& p : pairs(a, b))
        if (p.a != p.b)
            paths.push_back(p.path);
    if (std::string(a.common.name, 8) != std::string(b.common.name, 8))
        paths.push_back("common.name");
    return paths;
}

bool under(const std::string& path, const char* prefix)
{
    return path.rfind(prefix, 0) == 0;
}

TEST(VoiceTransforms, FieldKindsFollowTheFieldsRule)
{
    struct Case {
        const char* name;
        int min, max;
        FieldKind kind;
    } cases[] = {
        {"delayOn", 0, 1, FieldKind::Choice},       {"voiceConfig", 0, 1, FieldKind::Choice},
        {"waveform", 0, 255, FieldKind::Choice},    {"effectType", 0, 15, FieldKind::Choice},
        {"temperament", 0, 3, FieldKind::Choice},   {"peakStage", 0, 3, FieldKind::Derived},
        {"attackLevel", 0, 127, FieldKind::Number}, {"pitch", -12, 12, FieldKind::Number},
        {"pan", 0, 4, FieldKind::Number},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fieldKind(c.name, c.min, c.max), c.kind) << c.name;
}

TEST(VoiceTransforms, RandomiseStaysInRangeWithinTheAmountAndKeepsTheName)
{
    for (const int amount : {1, 10, 50, 100})
        for (const unsigned seed : {1u, 2u, 3u}) {
            const VoiceParameters start = test::RandomVoice(seed).make();
            VoiceParameters voice = start;
            randomiseVoice(voice, amount, kAllVoiceParts, seed);
            const std::string at = "amount " + std::to_string(amount) + " seed " + std::to_string(seed);
            EXPECT_EQ(findFieldOutOfRange(voice), "") << at;
            EXPECT_EQ(std::string(voice.common.name, 8), std::string(start.common.name, 8)) << at;
            bool moved = false;
            for (const FieldPair& p : pairs(start, voice)) {
                if (under(p.path, "levelVector.stepTime") || under(p.path, "detuneVector.stepTime")
                    || p.path.ends_with("peakStage"))
                    continue;
                // Up to the amount's share of the range, rounded to the nearest.
                EXPECT_LE(std::abs(p.b - p.a), ((p.max - p.min) * amount + 50) / 100) << at << " " << p.path;
                moved = moved || p.a != p.b;
            }
            EXPECT_TRUE(moved) << at;

            VoiceParameters again = start;
            randomiseVoice(again, amount, kAllVoiceParts, seed);
            EXPECT_TRUE(differences(voice, again).empty()) << at << ": the same seed gives the same voice";
        }
}

TEST(VoiceTransforms, RandomiseTouchesOnlyTheChosenPartsAndKeepsTheShape)
{
    const VoiceParameters start = test::RandomVoice(4).make();
    struct Case {
        unsigned parts;
        std::vector<const char*> allowed;
    } cases[] = {
        {kPartElementB, {"elementB."}},
        {kPartCommon | kPartElementC, {"common.", "elementC."}},
        {kPartVectors, {"levelVector", "detuneVector"}},
    };
    for (const Case& c : cases) {
        VoiceParameters voice = start;
        randomiseVoice(voice, 100, c.parts, 9);
        const std::vector<std::string> changed = differences(start, voice);
        EXPECT_FALSE(changed.empty()) << c.parts;
        for (const std::string& path : changed) {
            bool allowed = false;
            for (const char* prefix : c.allowed)
                allowed = allowed || under(path, prefix);
            EXPECT_TRUE(allowed) << c.parts << ": " << path;
        }
    }

    // The vectors' repeat and end markers stay where they were.
    VoiceParameters voice = start;
    voice.levelVector.stepTime[3] = kStepRepeat;
    voice.detuneVector.stepTime[7] = kStepEnd;
    randomiseVoice(voice, 100, kPartVectors, 5);
    EXPECT_EQ(voice.levelVector.stepTime[3], kStepRepeat);
    EXPECT_EQ(voice.detuneVector.stepTime[7], kStepEnd);
    for (int i = 0; i < kVectorSteps; ++i) {
        if (i != 3 && start.levelVector.stepTime[i] < kStepRepeat) {
            EXPECT_LT(voice.levelVector.stepTime[i], kStepRepeat) << i;
        }
    }
}

TEST(VoiceTransforms, RandomiseNeverSilencesALevel)
{
    for (unsigned seed = 0; seed < 40; ++seed) {
        VoiceParameters voice = test::RandomVoice(seed).make();
        voice.elementA.level = 90;                        // audible: may move, never past the limit
        voice.elementB.carrier.level = 120;               // already quiet: never quieter
        voice.elementC.envelope.attackLevel = 96;
        voice.elementD.modulator.envelope.attackLevel = 0;
        randomiseVoice(voice, 100, kAllVoiceParts, seed);
        EXPECT_LE(voice.elementA.level, kQuietestRandomLevel) << seed;
        EXPECT_LE(voice.elementB.carrier.level, 120) << seed;
        EXPECT_LE(voice.elementC.envelope.attackLevel, kQuietestRandomLevel) << seed;
        EXPECT_LE(voice.elementD.modulator.envelope.attackLevel, kQuietestRandomLevel) << seed;
        // The peak stage follows the new levels.
        VoiceParameters check = voice;
        updatePeakStage(check.elementA.envelope);
        EXPECT_EQ(check.elementA.envelope.peakStage, voice.elementA.envelope.peakStage) << seed;
    }
}

TEST(VoiceTransforms, BlendGivesEitherVoiceAtTheEndsAndTheMidpointsHalfway)
{
    VoiceParameters a = test::RandomVoice(1).make();
    VoiceParameters b = test::RandomVoice(2).make();
    a.levelVector.stepTime[0] = kStepEnd;  // a marker against a length: the heavier voice's
    b.levelVector.stepTime[0] = 20;
    EXPECT_TRUE(differences(blendVoices(a, b, 0), a).empty());
    EXPECT_TRUE(differences(blendVoices(a, b, 100), b).empty());

    const VoiceParameters half = blendVoices(a, b, 50);
    EXPECT_EQ(findFieldOutOfRange(half), "");
    EXPECT_EQ(std::string(half.common.name, 8), std::string(a.common.name, 8));
    const std::vector<FieldPair> ends = pairs(a, b);
    const std::vector<FieldPair> mid = pairs(half, half);
    ASSERT_EQ(ends.size(), mid.size());
    for (std::size_t i = 0; i < ends.size(); ++i) {
        const FieldPair& p = ends[i];
        std::string name = p.path.substr(p.path.rfind('.') + 1);
        name = name.substr(0, name.find('['));
        if (name == "peakStage")
            continue;
        const bool marker = name == "stepTime" && (p.a >= kStepRepeat || p.b >= kStepRepeat);
        int expected = p.a;  // switches, list choices and markers from the heavier voice: `a` at 50 %
        if (fieldKind(name, p.min, p.max) == FieldKind::Number && !marker) {
            const int sum = p.a + p.b;  // the midpoint, halves away from zero
            expected = sum >= 0 ? (sum + 1) / 2 : -((-sum + 1) / 2);
        }
        EXPECT_EQ(mid[i].a, expected) << p.path << " between " << p.a << " and " << p.b;
    }

    // Past the middle the choices come from `b`.
    const VoiceParameters mostlyB = blendVoices(a, b, 51);
    EXPECT_EQ(mostlyB.elementA.waveform, b.elementA.waveform);
    EXPECT_EQ(mostlyB.common.voiceConfig, b.common.voiceConfig);
    EXPECT_EQ(mostlyB.levelVector.stepTime[0], 20);
}

TEST(VoiceTransforms, MorphCornersAreTheVoicesAndSidesAreBlends)
{
    const VoiceParameters a = test::RandomVoice(11).make();
    const VoiceParameters b = test::RandomVoice(12).make();
    const VoiceParameters c = test::RandomVoice(13).make();
    VoiceParameters d = test::RandomVoice(14).make();
    d.levelVectorSpeed = 0;  // outside its range, as in the reset voice: a corner still gives it unchanged

    struct Corner {
        double x, y;
        const VoiceParameters& voice;
    } corners[] = {{0, 0, a}, {1, 0, b}, {0, 1, c}, {1, 1, d}};
    for (const Corner& k : corners)
        EXPECT_TRUE(differences(morphVoices(a, b, c, d, k.x, k.y), k.voice).empty()) << k.x << "," << k.y;

    // Each side, walked at several mixes, is the blend of its two voices.
    struct Side {
        const char* name;
        const VoiceParameters& from;
        const VoiceParameters& to;
        double x0, y0, dx, dy;
    } sides[] = {
        {"A-B", a, b, 0, 0, 1, 0},
        {"A-C", a, c, 0, 0, 0, 1},
        {"B-D", b, d, 1, 0, 0, 1},
        {"C-D", c, d, 0, 1, 1, 0},
    };
    for (const Side& s : sides)
        for (const int mix : {1, 25, 37, 50, 51, 99}) {
            const double t = mix / 100.0;
            const VoiceParameters morphed = morphVoices(a, b, c, d, s.x0 + s.dx * t, s.y0 + s.dy * t);
            EXPECT_TRUE(differences(morphed, blendVoices(s.from, s.to, mix)).empty()) << s.name << " at " << mix;
        }
}

TEST(VoiceTransforms, MorphCentreIsTheFourWayMeanWithChoicesFromTheFirstCorner)
{
    const VoiceParameters a = test::RandomVoice(21).make();
    const VoiceParameters b = test::RandomVoice(22).make();
    const VoiceParameters c = test::RandomVoice(23).make();
    const VoiceParameters d = test::RandomVoice(24).make();
    const VoiceParameters centre = morphVoices(a, b, c, d, 0.5, 0.5);
    EXPECT_EQ(std::string(centre.common.name, 8), std::string(a.common.name, 8));

    const std::vector<FieldPair> ab = pairs(a, b), cd = pairs(c, d), mid = pairs(centre, centre);
    for (std::size_t i = 0; i < ab.size(); ++i) {
        std::string name = ab[i].path.substr(ab[i].path.rfind('.') + 1);
        name = name.substr(0, name.find('['));
        if (name == "peakStage")
            continue;
        const int values[] = {ab[i].a, ab[i].b, cd[i].a, cd[i].b};
        bool marker = false;
        for (const int v : values)
            marker = marker || (name == "stepTime" && v >= kStepRepeat);
        int expected = ab[i].a;
        if (fieldKind(name, ab[i].min, ab[i].max) == FieldKind::Number && !marker) {
            const int sum = values[0] + values[1] + values[2] + values[3];  // a quarter, halves away from zero
            expected = sum >= 0 ? (sum + 2) / 4 : -((-sum + 2) / 4);
        }
        EXPECT_EQ(mid[i].a, expected) << ab[i].path;
    }

    // Near a corner its choices win; anywhere the fields stay in range,
    // also for points outside the square, which are brought to its edge.
    EXPECT_EQ(morphVoices(a, b, c, d, 0.8, 0.6).elementA.waveform, d.elementA.waveform);
    EXPECT_EQ(morphVoices(a, b, c, d, 0.2, 0.6).common.voiceConfig, c.common.voiceConfig);
    for (const auto& [x, y] : {std::pair{0.13, 0.71}, {0.66, 0.42}, {0.999, 0.001}, {-3.0, 2.0}})
        EXPECT_EQ(findFieldOutOfRange(morphVoices(a, b, c, d, x, y)), "") << x << "," << y;
    EXPECT_TRUE(differences(morphVoices(a, b, c, d, -3.0, 2.0), c).empty());
}

} // namespace
} // namespace morvane
