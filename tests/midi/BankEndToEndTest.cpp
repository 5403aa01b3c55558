// Voice banks between the program's port and morvane-sim through a real
// JACK server: getting one as its blocks arrive, sending one block by block
// with the instrument's pause, and stopping a send between blocks. Also the
// TG-33's edit multi, fetched and sent the same way.
#include "MidiPort.h"
#include "Multi.h"
#include "RandomVoice.h"
#include "SystemMidiBackend.h"
#include "SimProcess.h"
#include "VoiceBank.h"
#include "VoiceData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <regex>
#include <thread>

namespace morvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class BankEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(jackServerRunning()) << "these tests need a JACK server (scripts/test.sh)"; }

    void connectTo(const test::SimProcess& sim)
    {
        port = std::make_unique<MidiPort>(std::make_unique<SystemMidiBackend>(test::uniqueClientName("bank")),
                                          [this](const std::string& text) { reports.push_back(text); });
        int in = -1, out = -1;
        for (int i = 0; i < port->inputCount(); ++i)
            if (port->inputDeviceName(i) == sim.outputPort())
                in = i;
        for (int i = 0; i < port->outputCount(); ++i)
            if (port->outputDeviceName(i) == sim.inputPort())
                out = i;
        ASSERT_GE(in, 0);
        ASSERT_GE(out, 0);
        port->open(in, out);
        ASSERT_TRUE(reports.empty()) << reports.front();
    }

    // Gets the bank of that layout (without one, takes the first bank that
    // comes), polling as the window does; every block count seen on the way
    // is kept, and those seen while the bank was still arriving.
    MidiPort::BankArrival getBank(std::optional<DumpLayout> layout, const std::function<void()>& meanwhile = {})
    {
        seen.clear();
        arriving.clear();
        EXPECT_FALSE(port->startBankReceive(layout, 0));
        if (meanwhile)
            meanwhile();
        MidiPort::BankArrival arrival;
        for (;;) {
            arrival = port->bankArrival();
            if (seen.empty() || seen.back() != arrival.blocks)
                seen.push_back(arrival.blocks);
            if (arrival.state == MidiPort::BankArrival::State::Arriving
                && (arriving.empty() || arriving.back() != arrival.blocks))
                arriving.push_back(arrival.blocks);
            if (arrival.state != MidiPort::BankArrival::State::Waiting
                && arrival.state != MidiPort::BankArrival::State::Arriving)
                break;
            std::this_thread::sleep_for(10ms);
        }
        port->stopBankReceive();
        return arrival;
    }

    void waitUntilSent()
    {
        while (!port->bankSending().done)
            std::this_thread::sleep_for(10ms);
    }

    std::unique_ptr<MidiPort> port;
    std::vector<std::string> reports;
    std::vector<int> seen;
    std::vector<int> arriving;
};

// The times the simulator logged for the blocks of the bank it received.
std::vector<double> blockTimes(const std::string& log)
{
    std::vector<double> times;
    const std::regex line(R"(received bank block (\d+) of \d+ at ([0-9.]+) ms)");
    for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator(); ++it)
        times.push_back(std::stod((*it)[2].str()));
    return times;
}

TEST_F(BankEndToEnd, GetBankBringsTheInstrumentsBytesInEitherLayout)
{
    const std::string fixture = (std::filesystem::path(MORVANE_FIXTURES) / "tg33-bank-backup.syx").string();
    const Bytes real = readFile(fixture);
    ASSERT_EQ(37631u, real.size()) << "missing test data: " << MORVANE_FIXTURES;
    test::SimProcess sim({"--log", "--bank", fixture});
    ASSERT_TRUE(sim.started()) << sim.output();
    connectTo(sim);

    const MidiPort::BankArrival tg = getBank(DumpLayout::Tg33);
    ASSERT_EQ(MidiPort::BankArrival::State::Complete, tg.state) << sim.output();
    EXPECT_EQ(real, tg.message);
    EXPECT_EQ(16, tg.of);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_TRUE(sim.waitFor("sent bank \"LM  0012VC\" device 0x00 bytes 37631")) << sim.output();

    const MidiPort::BankArrival sy = getBank(DumpLayout::Sy);
    ASSERT_EQ(MidiPort::BankArrival::State::Complete, sy.state) << sim.output();
    const BankRead read = readVoiceBank(sy.message.data(), sy.message.size());
    EXPECT_TRUE(read.faults.empty());
    EXPECT_EQ("SIM 01  ", read.bank.name(0));
    EXPECT_EQ("SIM 64  ", read.bank.name(63));
    EXPECT_TRUE(read.bank.complete());
}

// At a cable's pace the blocks are counted as they arrive, long before the
// bank is whole, for Get bank and for a bank the instrument sends unasked
// (Receive bank, here started by another program's request); what arrives is
// the instrument's bank byte for byte.
TEST_F(BankEndToEnd, ABanksBlocksAreCountedAsTheyArriveAtTheCablesPace)
{
    const std::string fixture = (std::filesystem::path(MORVANE_FIXTURES) / "tg33-bank-backup.syx").string();
    const Bytes real = readFile(fixture);
    ASSERT_EQ(37631u, real.size()) << "missing test data: " << MORVANE_FIXTURES;
    test::SimProcess sim({"--log", "--wire-rate", "125000", "--bank", fixture});
    ASSERT_TRUE(sim.started()) << sim.output();
    connectTo(sim);
    const auto countedAsTheyCame = [this](int of) {
        EXPECT_TRUE(std::is_sorted(arriving.begin(), arriving.end()));
        EXPECT_GE(static_cast<int>(arriving.size()), of / 2) << ::testing::PrintToString(arriving);
        EXPECT_TRUE(!arriving.empty() && arriving.front() >= 1 && arriving.back() < of)
            << ::testing::PrintToString(arriving);
    };

    const MidiPort::BankArrival got = getBank(DumpLayout::Tg33);
    ASSERT_EQ(MidiPort::BankArrival::State::Complete, got.state) << sim.output();
    EXPECT_EQ(real, got.message);
    countedAsTheyCame(16);

    SystemMidiBackend other(test::uniqueClientName("asker"));
    const std::vector<std::string> outputs = other.outputNames();
    const auto at = std::find(outputs.begin(), outputs.end(), sim.inputPort());
    ASSERT_NE(outputs.end(), at);
    ASSERT_FALSE(other.openOutput(static_cast<int>(at - outputs.begin())));
    const auto request = bankRequest(DumpLayout::Sy, 0);
    const MidiPort::BankArrival received
        = getBank(std::nullopt, [&] { EXPECT_FALSE(other.send(request.data(), request.size())); });
    ASSERT_EQ(MidiPort::BankArrival::State::Complete, received.state) << sim.output();
    countedAsTheyCame(17);
    const BankRead read = readVoiceBank(received.message.data(), received.message.size());
    EXPECT_TRUE(read.faults.empty());
    EXPECT_EQ(read.bank.encode(0), received.message);
    EXPECT_EQ("SIM 01  ", read.bank.name(0));
}

TEST_F(BankEndToEnd, SendBankPutsExactlyThoseBytesIntoTheInstrumentWithAPauseAfterEachBlock)
{
    test::SimProcess sim({"--log"});
    ASSERT_TRUE(sim.started()) << sim.output();
    connectTo(sim);
    const MidiPort::BankArrival got = getBank(DumpLayout::Sy);
    ASSERT_EQ(MidiPort::BankArrival::State::Complete, got.state) << sim.output();

    // Its own voices in another order, and a new first voice.
    BankRead read = readVoiceBank(got.message.data(), got.message.size());
    ASSERT_TRUE(read.faults.empty()) << read.faults.front() << "\n" << sim.output();
    VoiceBank bank = read.bank;
    bank.swap(1, 62);
    bank.putVoice(0, test::RandomVoice(5).make());
    const Bytes sent = bank.encode(0);
    ASSERT_TRUE(port->sendBank(sent));

    // A voice sent meanwhile waits until the bank has gone.
    VoiceParameters voice;
    VoiceData data(voice);
    voice = test::RandomVoice(6).make();
    setVoiceName(voice.common, "DURING");
    while (port->bankSending().blocksSent < 1 && !port->bankSending().done)
        std::this_thread::sleep_for(5ms);
    EXPECT_FALSE(port->bankSending().done);
    ASSERT_TRUE(port->sendVoice(data, 0));
    waitUntilSent();
    EXPECT_TRUE(sim.waitFor("name \"DURING  \"")) << sim.output();
    const std::string log = sim.output();
    EXPECT_NE(std::string::npos, log.find("received bank \"PK  2203VM\" device 0x00 bytes 38306 stored")) << log;
    EXPECT_LT(log.find("received bank \"PK  2203VM\""), log.find("name \"DURING  \"")) << log;

    // At least the instrument's pause between the end of one block and the
    // next one (which arrives whole at once on JACK).
    const std::vector<double> times = blockTimes(log);
    ASSERT_EQ(17u, times.size()) << log;
    for (std::size_t i = 1; i < times.size(); ++i)
        EXPECT_GE(times[i] - times[i - 1], 100.0) << "block " << i + 1 << "\n" << log;

    const MidiPort::BankArrival back = getBank(DumpLayout::Sy);
    ASSERT_EQ(MidiPort::BankArrival::State::Complete, back.state) << sim.output();
    EXPECT_EQ(sent, back.message);
}

TEST_F(BankEndToEnd, ACancelledSendStopsBetweenBlocksAndClosesTheMessage)
{
    test::SimProcess sim({"--log"});
    ASSERT_TRUE(sim.started()) << sim.output();
    connectTo(sim);
    const MidiPort::BankArrival before = getBank(DumpLayout::Tg33);
    ASSERT_EQ(MidiPort::BankArrival::State::Complete, before.state) << sim.output();

    BankRead read = readVoiceBank(before.message.data(), before.message.size());
    ASSERT_TRUE(read.faults.empty()) << read.faults.front() << "\n" << sim.output();
    read.bank.swap(0, 1);
    ASSERT_TRUE(port->sendBank(read.bank.encode(0)));
    while (port->bankSending().blocksSent < 3)
        std::this_thread::sleep_for(5ms);
    port->cancelBank();
    waitUntilSent();
    const MidiPort::BankSending state = port->bankSending();
    EXPECT_LT(state.blocksSent, 16);
    EXPECT_TRUE(sim.waitFor("received bank \"LM  0012VC\" device 0x00")) << sim.output();
    EXPECT_TRUE(sim.waitFor("not stored: ")) << sim.output();

    // The instrument kept its bank, and a voice goes through at once after.
    VoiceParameters voice;
    VoiceData data(voice);
    voice = test::RandomVoice(8).make();
    setVoiceName(voice.common, "AFTER");
    ASSERT_TRUE(port->sendVoice(data, 0));
    EXPECT_TRUE(sim.waitFor("name \"AFTER   \"")) << sim.output();
    const MidiPort::BankArrival after = getBank(DumpLayout::Tg33);
    EXPECT_EQ(before.message, after.message);
}

TEST_F(BankEndToEnd, GetBankFromASilentInstrumentEndsWithNoReply)
{
    test::SimProcess sim({"--silent", "--log"});
    ASSERT_TRUE(sim.started()) << sim.output();
    connectTo(sim);
    port->setBankReplyWait(300ms);
    EXPECT_EQ(MidiPort::BankArrival::State::NoReply, getBank(DumpLayout::Sy).state);
    EXPECT_TRUE(sim.waitFor("received bank request \"PK  2203VM\" device 0x20 (not answered)")) << sim.output();
}

// The edit multi of a TG-33 on device 3: fetched, edited and sent, and
// fetched again as the instrument now holds it; a request for another
// device gets no answer.
TEST_F(BankEndToEnd, TheMultiIsFetchedAndSentThroughTheInstrument)
{
    test::SimProcess sim({"--log", "--model", "tg33", "--device", "3"});
    ASSERT_TRUE(sim.started()) << sim.output();
    connectTo(sim);
    constexpr int kChannel = 2;

    Multi multi;
    ASSERT_TRUE(port->requestMulti(kChannel, multi)) << sim.output();
    EXPECT_EQ("SIM MULT", multi.nameText());
    EXPECT_EQ(105, multi.parts[5][PartField::Volume]);
    EXPECT_TRUE(sim.waitFor("sent multi device 0x02 bytes 226 name \"SIM MULT\"")) << sim.output();

    std::copy_n("JACKMULT", 8, multi.name.begin());
    multi.parts[3][PartField::Volume] = 42;
    multi.parts[3][PartField::Bank] = 2;
    ASSERT_TRUE(port->sendMulti(multi, kChannel));
    port->finishSending();
    EXPECT_TRUE(sim.waitFor("received multi device 0x02 bytes 226 name \"JACKMULT\"")) << sim.output();
    EXPECT_TRUE(sim.waitFor(" 4:2/3@42 ")) << sim.output();

    Multi again;
    ASSERT_TRUE(port->requestMulti(kChannel, again)) << sim.output();
    EXPECT_EQ(multi, again);

    port->setReplyWait(300ms);
    Multi untouched = again;
    EXPECT_EQ(VoiceRequest::Outcome::NoReply, port->requestMulti(kChannel + 1, untouched).outcome);
    EXPECT_EQ(again, untouched);
    EXPECT_TRUE(sim.waitFor("received multi request device 0x23 (not for this instrument)")) << sim.output();
}

} // namespace
} // namespace morvane
