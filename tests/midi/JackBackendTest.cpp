// The system backend on a real JACK server: what it costs the server (one
// client), that nothing is lost at the edges of an output's life, and that
// the server's own notices drive the port watch.
#include "SimProcess.h"
#include "SystemMidiBackend.h"

#include <gtest/gtest.h>

#include <jack/jack.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace morvane {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Polls `done` until it holds or `timeout` has passed.
template <typename Done>
bool within(std::chrono::milliseconds timeout, Done done)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// Another program on the server: a backend with a port of its own that
// keeps every System Exclusive message it gets.
class Receiver {
public:
    Receiver() : backend_(test::uniqueClientName("receiver"))
    {
        EXPECT_FALSE(backend_.openVirtualInput([this](const std::uint8_t* data, std::size_t size) {
            std::lock_guard lock(mutex_);
            got_.emplace_back(data, data + size);
        }));
    }
    std::string port() const { return backend_.virtualInputName(); }
    std::vector<Bytes> got() const
    {
        std::lock_guard lock(mutex_);
        return got_;
    }

private:
    SystemMidiBackend backend_;
    mutable std::mutex mutex_;
    std::vector<Bytes> got_;
};

int indexOf(const std::vector<std::string>& names, const std::string& name)
{
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

Bytes sysex(std::uint8_t round, std::uint8_t which, std::size_t size)
{
    Bytes message(size, 0x11);
    message.front() = 0xF0;
    message[1] = round;
    message[2] = which;
    message.back() = 0xF7;
    return message;
}

class JackBackend : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(jackServerRunning()) << "these tests need a JACK server (scripts/test.sh)"; }
};

// Each round opens the output, sends at once, and closes at once: the first
// message must not fall before the connection is in JACK's graph, nor the
// last after the port is gone. The middle one is a bank block's size.
TEST_F(JackBackend, EveryMessageOfAnOutputOpenedAndClosedAtOnceArrives)
{
    Receiver receiver;
    SystemMidiBackend sender(test::uniqueClientName("sender"), SystemMidiBackend::System::Jack);
    std::vector<Bytes> sent;
    for (std::uint8_t round = 0; round < 5; ++round) {
        ASSERT_FALSE(sender.openOutput(indexOf(sender.outputNames(), receiver.port())));
        for (const Bytes& message : {sysex(round, 0, 8), sysex(round, 1, 2400), sysex(round, 2, 8)}) {
            ASSERT_FALSE(sender.send(message.data(), message.size()));
            sent.push_back(message);
        }
        sender.closeOutput();
    }
    EXPECT_TRUE(within(2s, [&] { return receiver.got().size() >= sent.size(); }));
    EXPECT_EQ(receiver.got(), sent);
}

TEST_F(JackBackend, AMessageLongerThanJackTakesAtOnceIsRefusedAndTheOutputGoesOn)
{
    Receiver receiver;
    SystemMidiBackend sender(test::uniqueClientName("sender"), SystemMidiBackend::System::Jack);
    ASSERT_FALSE(sender.openOutput(indexOf(sender.outputNames(), receiver.port())));
    const Bytes huge = sysex(0, 0, 256 * 1024);
    const MidiError error = sender.send(huge.data(), huge.size());
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("nothing was sent"), std::string::npos) << *error;
    const Bytes next = sysex(0, 1, 8);
    EXPECT_FALSE(sender.send(next.data(), next.size()));
    sender.closeOutput();
    EXPECT_TRUE(within(2s, [&] { return !receiver.got().empty(); }));
    EXPECT_EQ(receiver.got(), std::vector<Bytes>{next});
    EXPECT_EQ(sender.send(next.data(), next.size()), MidiError("No MIDI output is open."));
}

// Every client the server registers while a backend lists, opens both
// directions and sends, seen by a separate client.
TEST_F(JackBackend, ABackendIsOneClientOnTheServer)
{
    struct Seen {
        std::mutex mutex;
        std::vector<std::string> names;
    } seen;
    jack_status_t status{};
    jack_client_t* probe = jack_client_open(test::uniqueClientName("probe").c_str(), JackNoStartServer, &status);
    ASSERT_NE(probe, nullptr);
    jack_set_client_registration_callback(
        probe,
        [](const char* name, int registered, void* self) {
            auto* seen = static_cast<Seen*>(self);
            std::lock_guard lock(seen->mutex);
            if (registered)
                seen->names.emplace_back(name);
        },
        &seen);
    ASSERT_EQ(jack_activate(probe), 0);

    test::SimProcess sim;
    ASSERT_TRUE(sim.started()) << sim.output();
    const auto before = [&] {
        std::lock_guard lock(seen.mutex);
        return seen.names.size();
    }();
    const std::string name = test::uniqueClientName("one");
    {
        SystemMidiBackend backend(name);
        ASSERT_FALSE(backend.openInput(indexOf(backend.inputNames(), sim.outputPort()), [](const std::uint8_t*, std::size_t) {}));
        ASSERT_FALSE(backend.openOutput(indexOf(backend.outputNames(), sim.inputPort())));
        const Bytes request{0xF0, 0x43, 0x20, 0x7E, 0xF7};
        ASSERT_FALSE(backend.send(request.data(), request.size()));
        EXPECT_TRUE(sim.waitFor("received")) << sim.output();
        EXPECT_EQ(backend.virtualInputName(), name + ":in");
        EXPECT_EQ(backend.virtualOutputName(), name + ":out");
    }
    std::this_thread::sleep_for(200ms);   // the server's notices come on their own thread
    jack_client_close(probe);
    std::lock_guard lock(seen.mutex);
    EXPECT_EQ(std::vector<std::string>(seen.names.begin() + static_cast<std::ptrdiff_t>(before), seen.names.end()),
              std::vector<std::string>{name});
}

TEST_F(JackBackend, PortsThatComeAndGoAreToldByTheServer)
{
    SystemMidiBackend watcher(test::uniqueClientName("watcher"), SystemMidiBackend::System::Jack);
    const auto settle = [&] {
        // Drains the notices of whatever came before, and then none come.
        while (watcher.portsMayHaveChanged())
            std::this_thread::sleep_for(50ms);
        std::this_thread::sleep_for(100ms);
        return !watcher.portsMayHaveChanged();
    };
    ASSERT_TRUE(settle());
    auto other = std::make_unique<SystemMidiBackend>(test::uniqueClientName("other"));
    ASSERT_FALSE(other->openVirtualOutput());
    EXPECT_TRUE(within(2s, [&] { return watcher.portsMayHaveChanged(); }));
    ASSERT_TRUE(settle());
    other.reset();
    EXPECT_TRUE(within(2s, [&] { return watcher.portsMayHaveChanged(); }));
}

} // namespace
} // namespace morvane
