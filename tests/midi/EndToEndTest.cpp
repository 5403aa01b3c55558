// "Get voice", "Send voice" and opening the ports, through a real JACK
// server with morvane-sim playing the instrument.
#include "EncodedVoice.h"
#include "MidiPort.h"
#include "RandomVoice.h"
#include "SystemMidiBackend.h"
#include "SimProcess.h"
#include "VoiceData.h"
#include "VoiceFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace morvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

Bytes encoded(const VoiceParameters& voice)
{
    return test::encodedVoice(voice);
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* server = std::getenv("JACK_DEFAULT_SERVER");
        ASSERT_TRUE(jackServerRunning())
            << "No JACK server is reachable (JACK_DEFAULT_SERVER=" << (server ? server : "unset")
            << "). These tests need one: run bash scripts/test.sh, which starts a JACK server with its dummy "
               "driver, or start one yourself and export JACK_DEFAULT_SERVER.";
    }

    // A simulator holding `voice`, given to it as a voice file.
    std::unique_ptr<test::SimProcess> startSim(std::vector<std::string> options,
                                               const std::optional<VoiceParameters>& voice = std::nullopt)
    {
        if (voice) {
            VoiceParameters copy{};
            VoiceData data(copy);
            copy = *voice;
            voiceFile = "/tmp/morvane-" + test::uniqueClientName("voice") + ".syx";
            EXPECT_TRUE(writeVoiceFile(voiceFile, data));
            options.push_back(voiceFile);
        }
        auto sim = std::make_unique<test::SimProcess>(options);
        EXPECT_TRUE(sim->started()) << sim->output();
        return sim;
    }

    void TearDown() override
    {
        if (!voiceFile.empty())
            std::remove(voiceFile.c_str());
    }

    // The program's side, listed after the simulator's ports exist.
    void makePort()
    {
        port = std::make_unique<MidiPort>(std::make_unique<SystemMidiBackend>(test::uniqueClientName("app")),
                                          [this](const std::string& text) { reports.push_back(text); });
    }

    int inputIndex(const std::string& name) const
    {
        for (int i = 0; i < port->inputCount(); ++i)
            if (port->inputDeviceName(i) == name)
                return i;
        return -1;
    }

    int outputIndex(const std::string& name) const
    {
        for (int i = 0; i < port->outputCount(); ++i)
            if (port->outputDeviceName(i) == name)
                return i;
        return -1;
    }

    void connectTo(const test::SimProcess& sim)
    {
        makePort();
        const int in = inputIndex(sim.outputPort());
        const int out = outputIndex(sim.inputPort());
        ASSERT_GE(in, 0) << sim.outputPort() << " is not listed";
        ASSERT_GE(out, 0) << sim.inputPort() << " is not listed";
        port->open(in, out);
        ASSERT_TRUE(reports.empty()) << reports.front();
    }

    bool request(int model, int channel) { return static_cast<bool>(port->requestVoice(model, channel, voiceData)); }

    // How long the wait lasts is measured by the benchmark, not here.
    void expectNoData(const Bytes& before)
    {
        EXPECT_EQ(VoiceRequest::Outcome::NoReply, port->requestVoice(0, 0, voiceData).outcome);
        EXPECT_EQ(encoded(voice), before);
    }

    std::string voiceFile;
    std::unique_ptr<MidiPort> port;
    std::vector<std::string> reports;
    VoiceParameters voice{};
    VoiceData voiceData{voice};
    VoiceParameters simVoice = test::RandomVoice(11).make();
};

TEST_F(EndToEnd, GetVoiceAsksInTheModelsLayoutAndDecodesEitherReply)
{
    auto sim = startSim({}, simVoice);
    ASSERT_TRUE(sim->started());
    connectTo(*sim);
    struct Case {
        int model;
        const char* request;
        const char* reply;
    };
    const Case cases[] = {
        {0, "received request \"PK  2203AE\" device 0x20", "sent dump \"PK  2203AE\" device 0x00 bytes 592"},
        {1, "received request \"PK  2203AE\" device 0x20", "sent dump \"PK  2203AE\" device 0x00 bytes 592"},
        {2, "received request \"LM  0012VE\" device 0x20", "sent dump \"LM  0012VE\" device 0x00 bytes 605"},
    };
    for (const Case& c : cases) {
        voiceData.resetParameters();
        ASSERT_TRUE(request(c.model, 0)) << "model " << c.model << "\n" << sim->output();
        EXPECT_EQ(encoded(voice), encoded(simVoice)) << "model " << c.model;
        EXPECT_TRUE(sim->waitFor(c.request, 2s)) << sim->output();
        EXPECT_TRUE(sim->waitFor(c.reply, 2s)) << sim->output();
    }
}

TEST_F(EndToEnd, TheChannelTravelsInTheDeviceByte)
{
    auto sim = startSim({});
    ASSERT_TRUE(sim->started());
    connectTo(*sim);
    voice = simVoice;
    std::memcpy(voice.common.name, "CHANNEL5", 8);
    const Bytes sent = encoded(voice);
    ASSERT_TRUE(port->sendVoice(voiceData, 5));
    EXPECT_TRUE(sim->waitFor("received dump \"PK  2203AE\" device 0x05 bytes 592 name \"CHANNEL5\"")) << sim->output();

    // The simulator took the dump; asking on channel 5 brings it back.
    voiceData.resetParameters();
    ASSERT_TRUE(request(0, 5)) << sim->output();
    EXPECT_TRUE(sim->waitFor("received request \"PK  2203AE\" device 0x25", 2s)) << sim->output();
    EXPECT_TRUE(sim->waitFor("sent dump \"PK  2203AE\" device 0x05", 2s)) << sim->output();
    EXPECT_EQ(encoded(voice), sent);
}

TEST_F(EndToEnd, TheTestNoteReachesTheInstrumentAfterTheDumpOnItsWay)
{
    auto sim = startSim({});
    ASSERT_TRUE(sim->started());
    connectTo(*sim);
    voice = simVoice;
    std::memcpy(voice.common.name, "BEFORE  ", 8);
    ASSERT_TRUE(port->sendVoice(voiceData, 5));
    std::this_thread::sleep_for(20ms);  // the dump is on its way, well within its 190 ms on the cable
    ASSERT_TRUE(port->sendShort({0x95, 60, 100}));
    ASSERT_TRUE(port->sendShort({0x85, 60, 64}));
    EXPECT_TRUE(sim->waitFor("received note-off channel 6 key 60 velocity 64")) << sim->output();
    const std::string log = sim->output();
    const std::size_t dump = log.find("name \"BEFORE  \"");
    const std::size_t on = log.find("received note-on channel 6 key 60 velocity 100");
    ASSERT_NE(on, std::string::npos) << log;
    EXPECT_LT(dump, on) << log;  // never inside the dump's bytes
    EXPECT_LT(on, log.find("received note-off")) << log;
}

TEST_F(EndToEnd, NoInstrumentGivesNoDataAfterTheWaitTwiceInARow)
{
    auto sim = startSim({"--silent"});
    ASSERT_TRUE(sim->started());
    connectTo(*sim);
    const Bytes before = encoded(voice);
    expectNoData(before);
    expectNoData(before);
    EXPECT_TRUE(sim->waitFor("(not answered)")) << sim->output();
}

TEST_F(EndToEnd, ForeignMessagesNeitherEndTheWaitNorChangeTheVoice)
{
    {
        auto sim = startSim({"--send-foreign", "--silent"});
        ASSERT_TRUE(sim->started());
        connectTo(*sim);
        expectNoData(encoded(voice));
        EXPECT_TRUE(sim->waitFor("sent other sysex bytes 600")) << sim->output();
        port.reset();
    }
    auto sim = startSim({"--send-foreign", "--reply-delay", "500"}, simVoice);
    ASSERT_TRUE(sim->started());
    connectTo(*sim);
    ASSERT_TRUE(request(0, 0)) << sim->output();
    EXPECT_EQ(encoded(voice), encoded(simVoice));
}

TEST_F(EndToEnd, ALateReplyChangesNothingAndAnswersNoLaterRequest)
{
    auto sim = startSim({"--reply-delay", "3000"}, simVoice);
    ASSERT_TRUE(sim->started());
    connectTo(*sim);
    const Bytes before = encoded(voice);
    expectNoData(before);
    ASSERT_TRUE(sim->waitFor("sent dump", 5s)) << sim->output();
    std::this_thread::sleep_for(200ms);   // the late dump reaches our input
    EXPECT_EQ(encoded(voice), before);
    // Nor does it answer the next request, whose own reply comes late again.
    expectNoData(before);

    // That late reply is still on its way when the instrument gets a new
    // voice and is asked at once: the answer is the new voice, not the old.
    VoiceParameters newVoice = test::RandomVoice(12).make();
    std::memcpy(newVoice.common.name, "NEWVOICE", 8);
    voice = newVoice;
    const Bytes sent = encoded(voice);
    ASSERT_TRUE(port->sendVoice(voiceData, 0));
    voiceData.resetParameters();
    port->setReplyWait(8s);   // long enough for this request's own late reply
    ASSERT_TRUE(request(0, 0)) << sim->output();
    EXPECT_EQ(encoded(voice), sent) << sim->output();
}

// A drag of a control against an instrument behind a MIDI cable: the
// instrument ends up holding the last state, having received far fewer
// dumps than there were changes, and a request asked after the drag answers
// with that last state.
TEST_F(EndToEnd, ABurstOfChangesReachesACabledInstrumentAsItsLastState)
{
    auto sim = startSim({"--wire-rate", "31250"});
    ASSERT_TRUE(sim->started());
    connectTo(*sim);
    voice = simVoice;   // its vectors move, so a decode gives it back unchanged
    constexpr int kChanges = 30;
    for (int i = 0; i < kChanges; ++i) {
        voice.common.attack = static_cast<std::int8_t>(i);
        char name[16];
        std::snprintf(name, sizeof name, "Drag%04d", i);
        std::memcpy(voice.common.name, name, sizeof voice.common.name);
        ASSERT_TRUE(port->sendVoice(voiceData, 0));
        std::this_thread::sleep_for(10ms);
    }
    const Bytes last = encoded(voice);
    voiceData.resetParameters();
    ASSERT_TRUE(request(0, 0)) << sim->output();
    EXPECT_EQ(encoded(voice), last);

    const std::string log = sim->output();
    int dumps = 0;
    for (std::size_t at = log.find("received dump"); at != std::string::npos; at = log.find("received dump", at + 1))
        ++dumps;
    // 300 ms of changes cross a 189 ms cable about twice; 4 leaves room for
    // a slow machine, and is still far from 30.
    EXPECT_GE(dumps, 2) << log;
    EXPECT_LE(dumps, 4) << log;
    EXPECT_NE(log.rfind("name \"Drag0029\" at "), std::string::npos) << log;
    EXPECT_LT(log.rfind("name \"Drag0029\""), log.rfind("received request")) << log;
}

TEST_F(EndToEnd, ADirectionThatCannotBeOpenedDoesNotStopTheOther)
{
    auto sim = startSim({});
    ASSERT_TRUE(sim->started());
    makePort();
    const int in = inputIndex(sim->outputPort());
    const int out = outputIndex(sim->inputPort());
    ASSERT_GE(in, 0);
    ASSERT_GE(out, 0);

    port->open(port->inputCount() + 3, out);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("input"), std::string::npos) << reports[0];
    EXPECT_FALSE(port->inputIsOpen());
    EXPECT_TRUE(port->outputIsOpen());
    ASSERT_TRUE(port->sendVoice(voiceData, 0));
    EXPECT_TRUE(sim->waitFor("received dump")) << sim->output();

    reports.clear();
    port->close();
    port->open(in, port->outputCount() + 3);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("output"), std::string::npos) << reports[0];
    EXPECT_TRUE(port->inputIsOpen());
    EXPECT_FALSE(port->outputIsOpen());
}

} // namespace
} // namespace morvane

namespace morvane {
namespace {

// Whether or not this machine has the ALSA sequencer, a device that is not
// there fails in both directions with a text and nothing else breaks.
TEST(RtMidiOnAlsa, MissingDevicesAreReportedInBothDirections)
{
    std::vector<std::string> reports;
    MidiPort port(std::make_unique<SystemMidiBackend>(test::uniqueClientName("alsa"), SystemMidiBackend::System::Alsa),
                  [&](const std::string& text) { reports.push_back(text); });
    port.open(port.inputCount() + 1, port.outputCount() + 1);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_NE(reports[0].find("input"), std::string::npos) << reports[0];
    EXPECT_NE(reports[1].find("output"), std::string::npos) << reports[1];
    EXPECT_FALSE(port.inputIsOpen());
    EXPECT_FALSE(port.outputIsOpen());

    VoiceParameters voice{};
    VoiceData voiceData(voice);
    EXPECT_FALSE(port.sendVoice(voiceData, 0));
    port.setReplyWait(std::chrono::milliseconds(1));
    EXPECT_EQ(VoiceRequest::Outcome::NotSent, port.requestVoice(0, 0, voiceData).outcome);
}

} // namespace
} // namespace morvane
