#include "MidiPort.h"

#include "EncodedVoice.h"
#include "InProcessMidiBackend.h"
#include "Instrument.h"
#include "ManualClock.h"
#include "RandomVoice.h"
#include "VoiceBank.h"
#include "VoiceData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace morvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

class MidiPortTest : public ::testing::Test {
protected:
    MidiPortTest()
    {
        auto owned = std::make_unique<InProcessMidiBackend>(std::vector<std::string>{"In A", "In B"},
                                                            std::vector<std::string>{"Out A", "Out B", "Out C"});
        backend = owned.get();
        port = std::make_unique<MidiPort>(std::move(owned), [this](const std::string& text) { reports.push_back(text); });
        port->setReplyWait(300ms);
        port->setLateReplyGrace(0ms);
    }

    // A port whose time is `clock` and whose reply waits take no time; what
    // `meanwhile` does happens during each wait.
    void runOnClock(std::function<void()> meanwhile = {})
    {
        auto owned = std::make_unique<InProcessMidiBackend>(std::vector<std::string>{"In A"},
                                                            std::vector<std::string>{"Out A"});
        backend = owned.get();
        port = std::make_unique<MidiPort>(std::move(owned), nullptr, clock.now());
        port->setWaiter(std::make_unique<test::ManualWaiter>(clock, waits, std::move(meanwhile)));
        port->open(0, 0);
    }

    // The dump an instrument holding `v` would send, channel 0.
    static Bytes dumpOf(const VoiceParameters& v) { return test::encodedVoice(v); }

    // Encoded form of the current voice, to compare voices field for field.
    Bytes current() { return dumpOf(voice); }

    test::ManualClock clock;
    std::vector<SteadyClock::duration> waits;   // each reply wait's length, by the clock
    InProcessMidiBackend* backend;
    std::unique_ptr<MidiPort> port;
    std::vector<std::string> reports;
    VoiceParameters voice{};
    VoiceData voiceData{voice};
    VoiceParameters other = test::RandomVoice(7).make();
};

TEST_F(MidiPortTest, ListsTheDevicesItWasGiven)
{
    EXPECT_EQ(port->inputCount(), 2);
    EXPECT_EQ(port->outputCount(), 3);
    EXPECT_EQ(port->inputDeviceName(1), "In B");
    EXPECT_EQ(port->outputDeviceName(2), "Out C");
    EXPECT_EQ(port->inputDeviceName(2), "");
    EXPECT_EQ(port->outputDeviceName(-1), "");
}

TEST_F(MidiPortTest, OpensBothDirectionsWhateverBecomesOfTheOther)
{
    backend->failInput(1, "input is busy");
    backend->failOutput(1, "output is busy");
    struct Case {
        int in, out;
        bool inOpen, outOpen;
        std::vector<std::string> reports;
    };
    const Case cases[] = {
        {0, 0, true, true, {}},
        {1, 0, false, true, {"input is busy"}},
        {0, 1, true, false, {"output is busy"}},
        {1, 1, false, false, {"input is busy", "output is busy"}},
        {5, 2, false, true, {"There is no MIDI input device number 6."}},
    };
    for (const Case& c : cases) {
        reports.clear();
        port->close();
        port->open(c.in, c.out);
        EXPECT_EQ(port->inputIsOpen(), c.inOpen) << c.in << "," << c.out;
        EXPECT_EQ(port->outputIsOpen(), c.outOpen) << c.in << "," << c.out;
        EXPECT_EQ(backend->openInputIndex(), c.inOpen ? c.in : -1);
        EXPECT_EQ(backend->openOutputIndex(), c.outOpen ? c.out : -1);
        EXPECT_EQ(reports, c.reports) << c.in << "," << c.out;
    }
}

TEST_F(MidiPortTest, SendVoicePutsTheChannelIntoTheDumpOnly)
{
    port->open(0, 0);
    voice = other;
    ASSERT_TRUE(port->sendVoice(voiceData, 5));
    port->finishSending();
    ASSERT_EQ(backend->sent().size(), 1u);
    Bytes expected = current();
    expected[kDeviceByte] = 0x05;
    EXPECT_EQ(backend->sent()[0], expected);
    // What a voice file gets afterwards still carries device byte 0.
    EXPECT_EQ(voiceData.encodeDump()[kDeviceByte], 0x00);

    port->close();
    EXPECT_FALSE(port->sendVoice(voiceData, 5));
}

// At the cable's pace a burst of changes sends at most the state the sending
// thread found first and the latest; a request follows the dump that waits;
// closing sends what waits before the output goes.
TEST_F(MidiPortTest, ABurstOfChangesSendsTheLatestStateInOrder)
{
    port->open(0, 0);
    port->setReplyWait(1ms);
    std::vector<int> outputAtSend;
    backend->setOnSend([&](const Bytes&) { outputAtSend.push_back(backend->openOutputIndex()); });
    std::vector<Bytes> states;
    const auto burst = [&](int changes) {
        for (int i = 0; i < changes; ++i) {
            voice.common.envDelay = static_cast<std::uint8_t>(states.size());
            states.push_back(current());
            ASSERT_TRUE(port->sendVoice(voiceData, 0));
        }
    };
    burst(10);
    EXPECT_FALSE(port->requestVoice(0, 0, voiceData));
    burst(3);
    port->close();

    // Which state each message is (the request is -1), in the order sent.
    std::vector<int> order;
    for (const Bytes& message : backend->sent()) {
        const auto state = std::find(states.begin(), states.end(), message);
        order.push_back(state == states.end() ? -1 : static_cast<int>(state - states.begin()));
    }
    const auto request = std::find(order.begin(), order.end(), -1);
    ASSERT_NE(request, order.end());
    ASSERT_NE(request, order.begin());
    EXPECT_EQ(request[-1], 9) << "the request follows the latest state";
    EXPECT_LE(request - order.begin(), 2) << "the burst took less than one dump's wire time";
    EXPECT_EQ(order.back(), 12) << "the last state is sent before the port closes";
    EXPECT_TRUE(std::is_sorted(request + 1, order.end()));
    EXPECT_TRUE(std::adjacent_find(order.begin(), order.end()) == order.end()) << "nothing is sent twice";
    EXPECT_EQ(outputAtSend, std::vector<int>(order.size(), 0)) << "everything is sent while the output is open";
}

TEST_F(MidiPortTest, AtOnceEveryStateIsSent)
{
    port->open(0, 0);
    port->setWireRate(SendPacer::kAtOnce);
    EXPECT_EQ(port->wireRate(), SendPacer::kAtOnce);
    for (int i = 0; i < 5; ++i) {
        voice.common.envDelay = static_cast<std::uint8_t>(i);
        ASSERT_TRUE(port->sendVoice(voiceData, 0));
        port->finishSending();
    }
    EXPECT_EQ(backend->sent().size(), 5u);
    EXPECT_EQ(backend->sent().back(), current());
}

TEST_F(MidiPortTest, RequestNamesTheModelsLayoutAndTheChannel)
{
    port->open(0, 0);
    struct Case {
        int model, channel;
        std::string_view id;
        std::uint8_t device;
    };
    const Case cases[] = {
        {0, 0, kSyFormatId, 0x20},
        {1, 5, kSyFormatId, 0x25},
        {2, 15, kTg33FormatId, 0x2F},
        {7, 1, kSyFormatId, 0x21},
    };
    for (const Case& c : cases) {
        port->setReplyWait(1ms);
        EXPECT_EQ(VoiceRequest::Outcome::NoReply, port->requestVoice(c.model, c.channel, voiceData).outcome);
        const Bytes request = backend->sent().back();
        ASSERT_EQ(request.size(), kRequestSize);
        EXPECT_EQ(request[0], 0xF0);
        EXPECT_EQ(request[1], 0x43);
        EXPECT_EQ(request[kDeviceByte], c.device);
        EXPECT_EQ(request[3], 0x7E);
        EXPECT_EQ(request[14], 0xF7);
        EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(request.data() + 4), 10), c.id) << c.model;
    }
}

TEST_F(MidiPortTest, ADumpDuringTheWaitBecomesTheVoice)
{
    port->open(0, 0);
    Instrument instrument({});
    instrument.voice() = other;
    const Bytes expected = dumpOf(other);
    for (int model : {0, 2}) {
        voiceData.resetParameters();
        backend->setOnSend([&](const Bytes& request) {
            const auto response = instrument.handle(request.data(), request.size());
            backend->deliver(response.reply);
        });
        EXPECT_TRUE(port->requestVoice(model, 3, voiceData)) << model;
        EXPECT_EQ(current(), expected) << model;
    }
}

// A MIDI system that hands the input over piece by piece (JACK does, a bank
// block a piece): the port counts a bank's blocks as they arrive and keeps
// the whole bank byte for byte. Get bank takes only the layout it asked for;
// Receive bank takes either.
TEST_F(MidiPortTest, ABanksBlocksAreCountedAsTheyArrive)
{
    using State = MidiPort::BankArrival::State;
    struct Case {
        std::optional<DumpLayout> asked;
        DumpLayout comes;
        bool taken;
    };
    const Case cases[] = {
        {DumpLayout::Tg33, DumpLayout::Tg33, true},
        {DumpLayout::Sy, DumpLayout::Sy, true},
        {std::nullopt, DumpLayout::Sy, true},
        {DumpLayout::Tg33, DumpLayout::Sy, false},
    };
    port->open(0, 0);
    Instrument instrument({});
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "asked " << (c.asked ? int(*c.asked) : -1) << ", comes " << int(c.comes));
        const auto request = bankRequest(c.comes, 0);
        const std::vector<Bytes> pieces = instrument.handle(request.data(), request.size()).bankBlocks;
        const int of = bankBlocks(bankFormat(c.comes));
        ASSERT_EQ(pieces.size(), static_cast<std::size_t>(of));
        ASSERT_FALSE(port->startBankReceive(c.asked, 0));
        EXPECT_EQ(State::Waiting, port->bankArrival().state);

        // Half the first block: begun, but no block whole yet.
        const Bytes& first = pieces.front();
        const auto half = first.begin() + static_cast<std::ptrdiff_t>(first.size() / 2);
        backend->deliverPiece(Bytes(first.begin(), half));
        EXPECT_EQ(0, port->bankArrival().blocks);
        backend->deliverPiece(Bytes(half, first.end()));
        Bytes whole = first;
        for (int i = 0; i < of; ++i) {
            if (i > 0) {
                backend->deliverPiece(pieces[static_cast<std::size_t>(i)]);
                whole.insert(whole.end(), pieces[static_cast<std::size_t>(i)].begin(),
                             pieces[static_cast<std::size_t>(i)].end());
            }
            const MidiPort::BankArrival arrival = port->bankArrival();
            if (!c.taken) {
                EXPECT_EQ(State::Waiting, arrival.state);
                EXPECT_EQ(0, arrival.blocks);
                continue;
            }
            EXPECT_EQ(i + 1, arrival.blocks);
            EXPECT_EQ(of, arrival.of);
            EXPECT_EQ(i + 1 < of ? State::Arriving : State::Complete, arrival.state);
        }
        if (c.taken) {
            EXPECT_EQ(whole, port->bankArrival().message);
        }
        port->stopBankReceive();
    }
}

// The port's own wait blocks until the MIDI thread hands the reply over; it
// would never end otherwise.
TEST_F(MidiPortTest, AReplyFromTheMidiThreadEndsTheWait)
{
    port->open(0, 0);
    port->setReplyWait(std::chrono::hours(1));
    const Bytes reply = dumpOf(other);
    std::future<void> sender;
    backend->setOnSend([&](const Bytes&) {
        sender = std::async(std::launch::async, [&] { backend->deliver(reply); });
    });
    EXPECT_TRUE(port->requestVoice(0, 0, voiceData));
    sender.get();
    EXPECT_EQ(current(), reply);
}

// The reply wait and the late-reply grace are times of the port's clock.
TEST_F(MidiPortTest, TheReplyWaitAndTheGraceAreMeasuredOnThePortsClock)
{
    runOnClock();
    EXPECT_EQ(VoiceRequest::Outcome::NoReply, port->requestVoice(0, 0, voiceData).outcome);
    ASSERT_EQ(waits, std::vector<SteadyClock::duration>{MidiPort::kReplyWait});

    // Part of the grace has passed: the next request waits out the rest of
    // it before it is sent, then the whole reply wait.
    clock.advance(MidiPort::kLateReplyGrace / 4);
    std::vector<SteadyClock::time_point> sendTimes;
    backend->setOnSend([&](const Bytes&) { sendTimes.push_back(clock.time()); });
    const auto graceEnds = clock.time() + MidiPort::kLateReplyGrace * 3 / 4;
    waits.clear();
    EXPECT_FALSE(port->requestVoice(0, 0, voiceData));
    EXPECT_EQ(waits, (std::vector<SteadyClock::duration>{MidiPort::kLateReplyGrace * 3 / 4, MidiPort::kReplyWait}));
    EXPECT_EQ(sendTimes, std::vector<SteadyClock::time_point>{graceEnds});

    // Once the grace is over a request goes out at once.
    clock.advance(MidiPort::kLateReplyGrace);
    waits.clear();
    EXPECT_FALSE(port->requestVoice(0, 0, voiceData));
    EXPECT_EQ(waits, std::vector<SteadyClock::duration>{MidiPort::kReplyWait});
}

TEST_F(MidiPortTest, OtherMessagesNeitherEndTheWaitNorChangeTheVoice)
{
    port->open(0, 0);
    const Bytes before = current();
    const Bytes reply = dumpOf(other);
    for (bool answered : {false, true}) {
        backend->setOnSend([&](const Bytes&) {
            for (const Bytes& foreign : Instrument::foreignMessages())
                backend->deliver(foreign);
            const auto request = dumpRequest(0, 0);
            backend->deliver(Bytes(request.begin(), request.end()));
            if (answered)
                backend->deliver(reply);
        });
        EXPECT_EQ(static_cast<bool>(port->requestVoice(0, 0, voiceData)), answered);
        EXPECT_EQ(current(), answered ? reply : before);
    }
}

TEST_F(MidiPortTest, TheFirstDumpOfAWaitWins)
{
    port->open(0, 0);
    const Bytes first = dumpOf(other);
    const Bytes second = dumpOf(test::RandomVoice(8).make());
    backend->setOnSend([&](const Bytes&) {
        backend->deliver(first);
        backend->deliver(second);
    });
    EXPECT_TRUE(port->requestVoice(0, 0, voiceData));
    EXPECT_EQ(current(), first);
}

TEST_F(MidiPortTest, ALateReplyChangesNothingNowOrAtTheNextRequest)
{
    port->open(0, 0);
    const Bytes before = current();
    EXPECT_FALSE(port->requestVoice(0, 0, voiceData));
    backend->deliver(dumpOf(other));   // after the wait
    EXPECT_EQ(current(), before);
    EXPECT_FALSE(port->requestVoice(0, 0, voiceData));
    EXPECT_EQ(current(), before);
}

// A voice asked for early is taken by the next request of the same model
// and channel: nothing more is sent, and that request waits only what is
// left of the early one's wait. Unanswered and not awaited in time, it is
// forgotten as any unanswered request is; another channel, or ports opened
// again, ask anew.
TEST_F(MidiPortTest, AVoiceAskedEarlyIsTakenByTheNextRequest)
{
    bool answer = true;
    runOnClock();
    backend->setOnSend([&](const Bytes&) {
        if (answer)
            backend->deliver(dumpOf(other));
    });
    ASSERT_FALSE(port->askVoiceEarly(2, 3));
    clock.advance(100ms);
    EXPECT_TRUE(port->requestVoice(2, 3, voiceData));
    EXPECT_EQ(current(), dumpOf(other));
    EXPECT_EQ(backend->sent().size(), 1u);

    answer = false;
    waits.clear();
    ASSERT_FALSE(port->askVoiceEarly(2, 3));
    clock.advance(100ms);
    EXPECT_FALSE(port->requestVoice(2, 3, voiceData));
    EXPECT_EQ(backend->sent().size(), 2u);
    EXPECT_EQ(waits, std::vector<SteadyClock::duration>{MidiPort::kReplyWait - 100ms});

    // Not awaited within its wait: forgotten, and the next request asks
    // again once the late reply's grace is over.
    waits.clear();
    clock.advance(MidiPort::kLateReplyGrace);
    ASSERT_FALSE(port->askVoiceEarly(2, 3));
    clock.advance(MidiPort::kReplyWait);
    EXPECT_FALSE(port->watchDevices());
    EXPECT_FALSE(port->requestVoice(2, 3, voiceData));
    EXPECT_EQ(backend->sent().size(), 4u);
    EXPECT_EQ(waits, (std::vector<SteadyClock::duration>{MidiPort::kLateReplyGrace, MidiPort::kReplyWait}));

    for (const bool reopen : {false, true}) {
        clock.advance(MidiPort::kLateReplyGrace);
        const std::size_t sent = backend->sent().size();
        ASSERT_FALSE(port->askVoiceEarly(2, 3));
        if (reopen)
            port->open(0, 0);
        EXPECT_FALSE(port->requestVoice(2, reopen ? 3 : 4, voiceData));
        EXPECT_EQ(backend->sent().size(), sent + 2) << reopen;
    }

    // An early request the output refused: the request asks again and
    // reports why it could not be sent, with no wait for a reply.
    clock.advance(MidiPort::kLateReplyGrace);
    waits.clear();
    backend->failSends("The output is gone.");
    ASSERT_FALSE(port->askVoiceEarly(2, 3));
    const VoiceRequest refused = port->requestVoice(2, 3, voiceData);
    EXPECT_EQ(refused.outcome, VoiceRequest::Outcome::NotSent);
    EXPECT_EQ(refused.error, "The output is gone.");
    EXPECT_TRUE(waits.empty());
}

// A reply that comes after its wait is dropped, even when it lands in the
// wait before the next request goes out, as long as it is late by less than
// the grace; only the answer to that request becomes the voice.
TEST_F(MidiPortTest, AReplyLateByLessThanTheGraceCannotAnswerTheNextRequest)
{
    const Bytes stale = dumpOf(other);
    const Bytes fresh = dumpOf(test::RandomVoice(8).make());
    const Bytes before = current();
    int wait = 0;
    runOnClock([&] {
        // The first request's reply comes 100 ms after its wait, while the
        // second request waits out the grace.
        if (++wait == 2) {
            clock.advance(100ms);
            backend->deliver(stale);
        }
    });
    EXPECT_FALSE(port->requestVoice(0, 0, voiceData));
    for (bool answered : {false, true}) {
        backend->setOnSend([&](const Bytes&) {
            if (answered)
                backend->deliver(fresh);
        });
        wait = 1;
        EXPECT_EQ(static_cast<bool>(port->requestVoice(0, 0, voiceData)), answered);
        EXPECT_EQ(current(), answered ? fresh : before);
    }
}

// A request that cannot be sent is reported at once with the reason; the
// voice is untouched and nothing is awaited.
TEST_F(MidiPortTest, ARequestThatCannotBeSentIsReportedWithoutWaiting)
{
    port->setReplyWait(std::chrono::hours(1));
    const Bytes before = current();
    const VoiceRequest request = port->requestVoice(0, 0, voiceData);
    EXPECT_EQ(VoiceRequest::Outcome::NotSent, request.outcome);
    EXPECT_EQ("No MIDI output is open.", request.error);
    EXPECT_EQ(current(), before);
}

TEST_F(MidiPortTest, NoDeviceAtAllIsNoData)
{
    auto owned = std::make_unique<InProcessMidiBackend>(std::vector<std::string>{}, std::vector<std::string>{});
    std::vector<std::string> noDeviceReports;
    MidiPort empty(std::move(owned), [&](const std::string& text) { noDeviceReports.push_back(text); });
    empty.setReplyWait(1ms);
    EXPECT_EQ(empty.inputCount(), 0);
    EXPECT_EQ(empty.outputCount(), 0);
    empty.open(0, 0);
    EXPECT_EQ(noDeviceReports.size(), 2u);
    EXPECT_FALSE(empty.sendVoice(voiceData, 0));
    EXPECT_EQ(VoiceRequest::Outcome::NotSent, empty.requestVoice(0, 0, voiceData).outcome);
}

} // namespace
} // namespace morvane

namespace morvane {
namespace {

TEST(FindDevice, ByNameThenByNameWithoutTheAlsaAddressThenByPlaceWhenUnnamed)
{
    const std::vector<std::string> names{"Midi Through:Midi Through Port-0 14:0", "sim:in 130:0", "USB MIDI:Port 1",
                                         "sim:in 131:0"};
    struct Case {
        const char* name;
        int place;
        int found;
    };
    const Case cases[] = {
        {"USB MIDI:Port 1", 0, 2},           // the name wins over the place
        {"sim:in 131:0", 1, 3},              // an exact name beats one without its address
        {"sim:in 128:0", 3, 3},              // the program restarted with new numbers; the place breaks the tie
        {"sim:in 128:0", 0, 1},              // ... or the first one does
        {"USB MIDI:Port 2", 2, -1},          // a missing name never falls back to the place
        {"USB MIDI", 2, -1},                 // nor to a longer name
        {"", 2, 2},                          // no name: the place
        {"", 4, -1},
        {"", -1, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(findDevice(names, PortChoice{c.name, c.place}), c.found) << c.name << " @" << c.place;
}

TEST_F(MidiPortTest, MissingNamedDevicesGetOneReportAndNothingIsOpenedInTheirPlace)
{
    backend->clearCalls();
    PortChoice in{"Gone in", 0};
    PortChoice out{"Gone out", 1};
    port->open(in, out);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "The MIDI input device \"Gone in\" and the MIDI output device \"Gone out\" were not "
                          "found. They are opened as soon as they appear.");
    EXPECT_EQ(port->inputLink(), MidiPort::Link::Missing);
    EXPECT_EQ(port->outputLink(), MidiPort::Link::Missing);
    for (const auto& call : backend->calls())
        EXPECT_TRUE(call.action != InProcessMidiBackend::Action::OpenInput
                    && call.action != InProcessMidiBackend::Action::OpenOutput);

    // One found and one missing: the found one opens at its place now, and
    // the choice learns that place.
    reports.clear();
    in = {"In B", 0};
    port->open(in, out);
    EXPECT_EQ(in.place, 1);
    EXPECT_EQ(backend->openInputIndex(), 1);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("\"Gone out\" was not found"), std::string::npos) << reports[0];

    // A send to the missing output says so.
    EXPECT_FALSE(port->sendVoice(voiceData, 0));
    EXPECT_EQ(port->sendError(), "The MIDI output device \"Gone out\" is not connected.");
}

TEST_F(MidiPortTest, AChosenDeviceThatGoesAndComesBackIsReopenedByName)
{
    int notices = 0;
    port->setLinkListener([&] { ++notices; });
    PortChoice in{"In B", -1};
    PortChoice out{"Out C", -1};
    port->open(in, out);
    ASSERT_TRUE(port->inputIsOpen() && port->outputIsOpen());
    EXPECT_FALSE(port->watchDevices());  // nothing changed

    backend->setDevices({"In A"}, {"Out A", "Out B"});
    notices = 0;
    EXPECT_TRUE(port->watchDevices());
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(port->inputLink(), MidiPort::Link::Missing);
    EXPECT_EQ(port->outputLink(), MidiPort::Link::Missing);
    EXPECT_EQ(backend->openInputIndex(), -1);
    EXPECT_EQ(backend->openOutputIndex(), -1);
    EXPECT_FALSE(port->watchDevices());

    // Back in other places; a device that cannot be opened now waits until
    // it comes back again.
    backend->setDevices({"In B", "In A"}, {"Out C", "Out A"});
    backend->failOutput(0, "busy");
    EXPECT_TRUE(port->watchDevices());
    EXPECT_EQ(backend->openInputIndex(), 0);
    EXPECT_TRUE(port->inputIsOpen());
    EXPECT_EQ(port->outputLink(), MidiPort::Link::Closed);
    EXPECT_TRUE(reports.empty());  // watching reports nothing
    EXPECT_FALSE(port->watchDevices());

    // After close nothing is watched for any more.
    port->close();
    backend->setDevices({}, {});
    EXPECT_FALSE(port->watchDevices());
    backend->setDevices({"In B"}, {"Out C"});
    EXPECT_FALSE(port->watchDevices());
    EXPECT_FALSE(port->inputIsOpen());
}

TEST_F(MidiPortTest, ASendFailureIsKeptUntilASendSucceeds)
{
    port->open(0, 0);
    backend->failSends("The JACK server is gone");
    EXPECT_TRUE(port->sendVoice(voiceData, 0));   // queued; the failure comes on the way out
    port->finishSending();
    EXPECT_EQ(port->sendError(), "The JACK server is gone");
    backend->failSends(std::nullopt);
    EXPECT_TRUE(port->sendVoice(voiceData, 0));
    port->finishSending();
    EXPECT_EQ(port->sendError(), "");
}

// Every outcome reaches the listener as it happens: a send that fails or
// succeeds on the sending thread, a voice that cannot be queued at once.
TEST_F(MidiPortTest, TheSendListenerIsToldEachOutcome)
{
    std::mutex mutex;
    std::vector<std::string> outcomes;
    port->setSendListener([&](const std::string& error, SendPacer::Carries) {
        std::lock_guard lock(mutex);
        outcomes.push_back(error);
    });
    const auto told = [&] {
        std::lock_guard lock(mutex);
        return std::exchange(outcomes, {});
    };
    EXPECT_FALSE(port->sendVoice(voiceData, 0));
    EXPECT_EQ(told(), std::vector<std::string>{"No MIDI output is open."});

    port->open(0, 0);
    backend->failSends("The JACK server is gone");
    EXPECT_TRUE(port->sendVoice(voiceData, 0));
    EXPECT_TRUE(port->sendShort({0x90, 60, 100}));
    port->finishSending();
    EXPECT_EQ(told(), std::vector<std::string>(2, "The JACK server is gone"));
    backend->failSends(std::nullopt);
    EXPECT_TRUE(port->sendVoice(voiceData, 0));
    port->finishSending();
    EXPECT_EQ(told(), std::vector<std::string>{""});

    port->setSendListener(nullptr);
    EXPECT_TRUE(port->sendVoice(voiceData, 0));
    port->finishSending();
    EXPECT_TRUE(told().empty());
}

} // namespace
} // namespace morvane

namespace morvane {
namespace {

std::string readText(const std::string& path)
{
    std::ifstream in(path);
    EXPECT_TRUE(in) << path;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// "2.5" for 2500 ms.
std::string seconds(std::chrono::milliseconds time)
{
    std::string text = std::to_string(time.count() / 1000);
    if (time.count() % 1000 != 0)
        text += "." + std::to_string(time.count() % 1000 / 100);
    return text;
}

// What the README and the help pages tell the user about the reply wait is
// what the port does.
TEST(ReplyWaitDocuments, StateTheWaitAndTheGraceThePortUses)
{
    const std::string wait = seconds(MidiPort::kReplyWait);
    const std::string waitMs = std::to_string(MidiPort::kReplyWait.count());
    const std::string bothMs = std::to_string((MidiPort::kReplyWait + MidiPort::kLateReplyGrace).count());
    ASSERT_EQ(MidiPort::kLateReplyGrace, std::chrono::seconds(1)) << "the README speaks of \"a second\"";
    struct Case {
        const char* file;
        std::string text;
    };
    const Case cases[] = {
        {"README.md", "(at most " + wait + " seconds)"},
        {"README.md", "(more than " + waitMs + " is too late for Morvane)"},
        {"README.md", "`--reply-delay`\nabove " + bothMs + ","},
        {"src/app/help/pages/connecting.html", "within " + wait + " seconds."},
    };
    for (const Case& c : cases) {
        const std::string text = readText(std::string(MORVANE_SOURCE_DIR) + "/" + c.file);
        EXPECT_NE(text.find(c.text), std::string::npos) << c.file << " does not say: " << c.text;
    }
}

} // namespace
} // namespace morvane
