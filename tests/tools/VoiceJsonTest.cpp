#include "RandomVoice.h"
#include "VoiceData.h"
#include "VoiceFields.h"
#include "VoiceJson.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace morvane;

TEST(VoiceJson, EveryFieldSurvivesJsonAndBack)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        VoiceParameters voice = test::RandomVoice(seed).make();
        VoiceParameters back{};
        ASSERT_EQ("", voiceFromJson(voiceToJson(voice), back));
        // AWM elements carry no carrier/modulator flags; everything else is named.
        for (AwmElementParams* e : {&back.elementA, &back.elementC})
            e->carrierAm = e->modulatorAm = e->carrierPm = e->modulatorPm = 0;
        EXPECT_EQ(0, std::memcmp(&voice.common, &back.common, sizeof voice.common)) << seed;
        EXPECT_EQ(0, std::memcmp(&voice.elementB, &back.elementB, sizeof voice.elementB)) << seed;
        EXPECT_EQ(0, std::memcmp(&voice.elementC, &back.elementC, sizeof voice.elementC)) << seed;
        EXPECT_EQ(0, std::memcmp(&voice.detuneVector, &back.detuneVector, sizeof voice.detuneVector)) << seed;
        EXPECT_EQ(voice.levelVectorSpeed, back.levelVectorSpeed);
    }
}

TEST(VoiceJson, NamesAndShapeOfTheOutput)
{
    VoiceParameters voice;
    VoiceData data(voice);
    voice.common.atPitch = -12;
    voice.elementB.carrier.envelope.attackRate = 63;
    const std::string json = voiceToJson(voice);
    for (const char* expected :
         {"\"common\": {", "\"name\": \"12345678\"", "\"atPitch\": -12", "\"elementA\": {", "\"elementD\": {",
          "\"feedback\": 0", "\"modulator\": {", "\"carrier\": {", "\"attackRate\": 63", "\"levelVectorSpeed\": 0",
          "\"detuneVector\": {", "\"stepTime\": [0, 0,", "\"abPosition\": ["})
        EXPECT_NE(std::string::npos, json.find(expected)) << expected;
}

TEST(VoiceJson, LeftOutFieldsKeepTheirValuesAndShortNamesArePadded)
{
    VoiceParameters voice;
    VoiceData data(voice);
    ASSERT_EQ("", voiceFromJson(R"({"common": {"name": "Pad", "release": -64},
                                     "elementD": {"modulator": {"envelope": {"decay2Level": 127}}}})", voice));
    EXPECT_EQ(0, std::memcmp(voice.common.name, "Pad     ", 8));
    EXPECT_EQ(-64, voice.common.release);
    EXPECT_EQ(127, voice.elementD.modulator.envelope.decay2Level);
    EXPECT_EQ(0, voice.elementD.modulator.envelope.decay1Level);
}

TEST(VoiceJson, BadInputIsRefusedAndChangesNothing)
{
    struct Case {
        const char* json;
        const char* message;
    };
    const Case cases[] = {
        {"{", "not valid JSON"},
        {"[1, 2]", "must be an object"},
        {R"({"common": {"bendRange": 13}})", "common.bendRange = 13 is outside 0..12"},
        {R"({"common": {"attack": -65}})", "common.attack = -65 is outside -64..63"},
        {R"({"elementB": {"waveform": 256}})", "elementB.waveform = 256 is outside 0..255"},
        {R"({"elementA": {"waveform": 128}})", "elementA.waveform = 128 is outside 0..127"},
        {R"({"elementA": {"carrierAm": 1}})", "unknown field elementA.carrierAm"},
        {R"({"common": {"nmae": "x"}})", "unknown field common.nmae"},
        {R"({"common": {"name": "NINECHARS"}})", "more than 8 characters"},
        {R"({"common": {"name": "caf\u00e9"}})", "printable ASCII"},
        {R"({"common": {"envDelay": 1.5}})", "whole number"},
        {R"({"common": {"envDelay": "7"}})", "whole number"},
        {R"({"levelVector": {"cdPosition": [1, 2]}})", "array of 50"},
        {R"({"levelVectorSpeed": 17})", "levelVectorSpeed = 17"},
        {R"({"levelVectorSpeed": 1e300})", "levelVectorSpeed = 1e+300 is outside"},
        {R"({"common": {"attack": -1e19}})", "common.attack = -1e+19 is outside"},
        {R"({"elementC": 4})", "must be an object"},
    };
    for (const Case& c : cases) {
        VoiceParameters voice;
        VoiceData data(voice);
        const VoiceParameters before = voice;
        const std::string error = voiceFromJson(c.json, voice);
        EXPECT_NE(std::string::npos, error.find(c.message)) << c.json << " gave: " << error;
        EXPECT_EQ(0, std::memcmp(&before, &voice, sizeof voice)) << c.json;
    }
}
