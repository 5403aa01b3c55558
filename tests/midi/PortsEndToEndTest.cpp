// Choosing, finding and finding again the instrument's ports by name,
// through a real JACK server with morvane-sim processes as instruments.
#include "MidiPort.h"
#include "SystemMidiBackend.h"
#include "SimProcess.h"
#include "VoiceData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

namespace morvane {
namespace {

using namespace std::chrono_literals;

class PortsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(jackServerRunning()) << "No JACK server is reachable; run bash scripts/test.sh.";
    }

    std::unique_ptr<test::SimProcess> startSim(const std::string& name = {})
    {
        auto sim = std::make_unique<test::SimProcess>(std::vector<std::string>{}, name);
        EXPECT_TRUE(sim->started()) << sim->output();
        return sim;
    }

    void makePort()
    {
        port = std::make_unique<MidiPort>(std::make_unique<SystemMidiBackend>(test::uniqueClientName("app")),
                                          [this](const std::string& text) { reports.push_back(text); });
    }

    // The simulator's ports as the user picks them: its output is our input.
    static PortChoice inputOf(const test::SimProcess& sim, int place = -1) { return {sim.outputPort(), place}; }
    static PortChoice outputOf(const test::SimProcess& sim, int place = -1) { return {sim.inputPort(), place}; }

    // Polls as the program does until `done` holds.
    template <typename Done>
    bool watchUntil(Done done, std::chrono::milliseconds timeout = 10s)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            port->watchDevices();
            std::this_thread::sleep_for(50ms);
        }
        return true;
    }

    void sendNamed(const char* name)
    {
        std::memcpy(voice.common.name, name, 8);
        ASSERT_TRUE(port->sendVoice(voiceData, 0)) << port->sendError();
    }

    std::unique_ptr<MidiPort> port;
    std::vector<std::string> reports;
    VoiceParameters voice{};
    VoiceData voiceData{voice};
};

TEST_F(PortsEndToEnd, TwoSimulatorsStartedInTheOtherOrderAreToldApartByName)
{
    const std::string first = test::uniqueClientName("first");
    const std::string second = test::uniqueClientName("second");
    PortChoice in;
    PortChoice out;
    {
        auto a = startSim(first);
        auto b = startSim(second);
        makePort();
        in = inputOf(*b);
        out = outputOf(*b);
        port->open(in, out);
        ASSERT_TRUE(reports.empty()) << reports.front();
        port.reset();
    }
    // The next day the second one starts first: the places have swapped.
    auto b = startSim(second);
    auto a = startSim(first);
    makePort();
    PortChoice storedIn = in;
    PortChoice storedOut = out;
    port->open(storedIn, storedOut);
    ASSERT_TRUE(reports.empty()) << reports.front();
    EXPECT_NE(storedOut.place, out.place);
    EXPECT_EQ(port->chosenOutput(), b->inputPort());
    sendNamed("ToSecond");
    EXPECT_TRUE(b->waitFor("name \"ToSecond\"")) << b->output();
    EXPECT_EQ(a->output().find("received dump"), std::string::npos) << a->output();
}

// The device lists offer the instruments, never the program's own ports,
// also once they are open.
TEST_F(PortsEndToEnd, TheProgramsOwnPortsAreNotOffered)
{
    auto sim = startSim(test::uniqueClientName("listed"));
    const std::string client = test::uniqueClientName("own");
    SystemMidiBackend backend(client);
    ASSERT_FALSE(backend.openVirtualInput([](const std::uint8_t*, std::size_t) {}));
    ASSERT_FALSE(backend.openVirtualOutput());
    for (const std::vector<std::string>& names : {backend.inputNames(), backend.outputNames()}) {
        EXPECT_FALSE(names.empty());
        for (const std::string& name : names)
            EXPECT_NE(name.rfind(client + ":", 0), 0u) << name;
    }
    const std::vector<std::string> inputs = backend.inputNames();
    EXPECT_NE(std::find(inputs.begin(), inputs.end(), sim->outputPort()), inputs.end());
}

TEST_F(PortsEndToEnd, AMissingStoredDeviceGetsOneMessageAndNothingIsOpened)
{
    auto other = startSim();   // a device that must not be opened in its place
    makePort();
    const std::string gone = test::uniqueClientName("gone");
    PortChoice in{gone + "-out:out", 0};
    PortChoice out{gone + "-in:in", 0};
    port->open(in, out);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("\"" + gone + "-out:out\""), std::string::npos) << reports[0];
    EXPECT_NE(reports[0].find("\"" + gone + "-in:in\""), std::string::npos) << reports[0];
    EXPECT_FALSE(port->inputIsOpen());
    EXPECT_FALSE(port->outputIsOpen());
    EXPECT_FALSE(port->sendVoice(voiceData, 0));
    EXPECT_NE(port->sendError().find("not connected"), std::string::npos) << port->sendError();
    // Nothing went out: the first thing the other device hears is the voice
    // sent once the user chooses it.
    PortChoice otherIn = inputOf(*other);
    PortChoice otherOut = outputOf(*other);
    port->open(otherIn, otherOut);
    sendNamed("Marker  ");
    ASSERT_TRUE(other->waitFor("name \"Marker  \"")) << other->output();
    const std::string log = other->output();
    EXPECT_EQ(log.find('\n', log.find("received")), log.find('\n', log.find("name \"Marker  \""))) << log;
}

TEST_F(PortsEndToEnd, ARestartedSimulatorIsReconnectedAndReceivesTheNextEdit)
{
    const std::string name = test::uniqueClientName("restarted");
    auto sim = startSim(name);
    makePort();
    PortChoice in = inputOf(*sim);
    PortChoice out = outputOf(*sim);
    port->open(in, out);
    ASSERT_TRUE(port->inputIsOpen() && port->outputIsOpen());

    sim.reset();
    ASSERT_TRUE(watchUntil([&] { return port->outputLink() == MidiPort::Link::Missing; }));
    EXPECT_EQ(port->inputLink(), MidiPort::Link::Missing);
    EXPECT_FALSE(port->sendVoice(voiceData, 0));
    EXPECT_FALSE(port->sendError().empty());

    sim = startSim(name);
    ASSERT_TRUE(watchUntil([&] { return port->inputIsOpen() && port->outputIsOpen(); }));
    sendNamed("AfterNap");
    EXPECT_TRUE(sim->waitFor("name \"AfterNap\"")) << sim->output();
    port->finishSending();
    EXPECT_TRUE(port->sendError().empty()) << port->sendError();
    // And the input hears it again: "Get voice" is answered.
    port->setReplyWait(2s);
    EXPECT_TRUE(port->requestVoice(0, 0, voiceData)) << sim->output();
    EXPECT_TRUE(reports.empty());
}

TEST_F(PortsEndToEnd, OldSettingsWithPlacesOnlyOpenThePortsAtThosePlaces)
{
    auto sim = startSim();
    makePort();
    int inPlace = -1;
    int outPlace = -1;
    for (int i = 0; i < port->inputCount(); ++i)
        if (port->inputDeviceName(i) == sim->outputPort())
            inPlace = i;
    for (int i = 0; i < port->outputCount(); ++i)
        if (port->outputDeviceName(i) == sim->inputPort())
            outPlace = i;
    ASSERT_GE(inPlace, 0);
    ASSERT_GE(outPlace, 0);
    PortChoice in{"", inPlace};
    PortChoice out{"", outPlace};
    port->open(in, out);
    ASSERT_TRUE(reports.empty()) << reports.front();
    EXPECT_EQ(in.name, sim->outputPort());   // learnt for next time
    EXPECT_EQ(out.name, sim->inputPort());
    sendNamed("ByPlace ");
    EXPECT_TRUE(sim->waitFor("name \"ByPlace \"")) << sim->output();
}

} // namespace
} // namespace morvane
