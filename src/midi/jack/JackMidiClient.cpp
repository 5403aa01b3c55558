#include "JackMidiClient.h"

#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace morvane {

namespace {

void quiet(const char*) {}
void toStderr(const char* text) { std::fprintf(stderr, "JACK: %s\n", text); }

// Room for the messages sent and not yet written: far more than the pacing
// ever lets through in one period.
constexpr std::size_t kRingBytes = 64 * 1024;
using Length = std::uint32_t;   // the length before each message in the ring
// How long a send waits for the output's first connection to reach the
// graph, and for room in the ring: the server works a period at a time, so
// either takes a few milliseconds unless it has stalled.
constexpr int kConnectLimitMs = 1000;
constexpr int kRoomLimitMs = 1000;
// How long closing the output waits for the ring to empty.
constexpr int kDrainLimitMs = 500;
// How long a new output connection is in the graph before the output sends
// (see process): at least this many periods, and this long after it was made.
constexpr std::uint32_t kSettlingCycles = 3;
constexpr auto kSettlingTime = std::chrono::milliseconds(20);

} // namespace

std::unique_ptr<JackMidiClient> JackMidiClient::open(const std::string& name, EventHandler handler)
{
    // Without a server libjack explains at length on stderr why it cannot
    // connect; that is the expected answer here, not an error.
    jack_set_error_function(quiet);
    jack_set_info_function(quiet);
    jack_status_t status{};
    jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
    jack_set_error_function(toStderr);
    jack_set_info_function(quiet);
    if (client == nullptr)
        return nullptr;
    std::unique_ptr<JackMidiClient> self(new JackMidiClient(std::move(handler)));
    self->client_ = client;
    self->clientName_ = jack_get_client_name(client);
    self->ring_ = jack_ringbuffer_create(kRingBytes);
    jack_set_process_callback(client, &JackMidiClient::process, self.get());
    jack_set_port_registration_callback(client, &JackMidiClient::onPortRegistered, self.get());
    jack_set_port_rename_callback(client, &JackMidiClient::onPortRenamed, self.get());
    jack_on_shutdown(client, &JackMidiClient::onServerGone, self.get());
    if (self->ring_ == nullptr || jack_activate(client) != 0)
        return nullptr;   // the destructor closes the client
    return self;
}

JackMidiClient::~JackMidiClient()
{
    if (client_ != nullptr) {
        closeInput();
        closeOutput();
        if (!serverGone_)
            jack_deactivate(client_);
        jack_client_close(client_);
    }
    if (ring_ != nullptr)
        jack_ringbuffer_free(ring_);
}

std::vector<std::string> JackMidiClient::others(unsigned long flags) const
{
    std::vector<std::string> names;
    if (serverGone_)
        return names;
    const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
    if (ports == nullptr)
        return names;
    const std::string own = clientName_ + ":";
    for (const char** port = ports; *port != nullptr; ++port)
        if (std::strncmp(*port, own.c_str(), own.size()) != 0)
            names.emplace_back(*port);
    jack_free(ports);
    return names;
}

std::vector<std::string> JackMidiClient::sources() const
{
    return others(JackPortIsOutput);
}

std::vector<std::string> JackMidiClient::destinations() const
{
    return others(JackPortIsInput);
}

template <typename Done>
bool JackMidiClient::waitFor(Done done, int limitMs) const
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done()) {
        if (serverGone_ || std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

MidiError JackMidiClient::openInput(const std::string& source)
{
    closeInput();
    if (serverGone_)
        return std::string("The JACK server has stopped.");
    jack_port_t* port = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (port == nullptr)
        return std::string("The JACK MIDI input port could not be made.");
    if (!source.empty() && jack_connect(client_, source.c_str(), jack_port_name(port)) != 0) {
        jack_port_unregister(client_, port);
        return "The MIDI input device \"" + source + "\" could not be connected.";
    }
    std::lock_guard lock(portMutex_);
    in_ = port;
    return std::nullopt;
}

void JackMidiClient::closeInput()
{
    jack_port_t* port = nullptr;
    {
        // Waits for a process cycle that reads the port to end.
        std::lock_guard lock(portMutex_);
        port = in_;
        in_ = nullptr;
    }
    if (port != nullptr && !serverGone_)
        jack_port_unregister(client_, port);
}

MidiError JackMidiClient::openOutput(const std::string& destination)
{
    closeOutput();
    if (serverGone_)
        return std::string("The JACK server has stopped.");
    jack_port_t* port = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    if (port == nullptr)
        return std::string("The JACK MIDI output port could not be made.");
    if (!destination.empty() && jack_connect(client_, jack_port_name(port), destination.c_str()) != 0) {
        jack_port_unregister(client_, port);
        return "The MIDI output device \"" + destination + "\" could not be connected.";
    }
    destination_ = destination;
    // An output that others connect to has nobody to wait for.
    outputLive_ = destination.empty();
    connectedCycles_ = 0;
    settledAt_ = std::chrono::steady_clock::now() + kSettlingTime;
    jack_ringbuffer_reset(ring_);
    std::lock_guard lock(portMutex_);
    out_ = port;
    return std::nullopt;
}

MidiError JackMidiClient::send(const std::uint8_t* data, std::size_t size)
{
    if (out_ == nullptr)
        return std::string("No MIDI output is open.");
    if (size == 0)
        return std::nullopt;
    if (!waitFor([this] { return outputLive_.load() && largestEvent_.load() > 0; }, kConnectLimitMs)) {
        if (serverGone_)
            return std::string("The JACK server has stopped.");
        return "The MIDI output device \"" + destination_ + "\" did not become connected; nothing was sent.";
    }
    if (size > largestEvent_)
        return "The message of " + std::to_string(size) + " bytes is longer than JACK takes at once ("
               + std::to_string(largestEvent_.load()) + " bytes); nothing was sent.";
    const Length length = static_cast<Length>(size);
    if (!waitFor([&] { return jack_ringbuffer_write_space(ring_) >= sizeof length + size; }, kRoomLimitMs))
        return serverGone_ ? std::string("The JACK server has stopped.")
                           : std::string("The JACK server is not taking MIDI messages; nothing was sent.");
    // The length first: the process thread takes a message only once all
    // of it is in.
    jack_ringbuffer_write(ring_, reinterpret_cast<const char*>(&length), sizeof length);
    jack_ringbuffer_write(ring_, reinterpret_cast<const char*>(data), size);
    return std::nullopt;
}

void JackMidiClient::closeOutput()
{
    if (out_ == nullptr)
        return;
    if (outputLive_) {
        // Everything in the ring written, then the period that wrote the
        // last of it over and the next begun, so the receiver has read it.
        waitFor([this] { return jack_ringbuffer_read_space(ring_) == 0; }, kDrainLimitMs);
        const std::uint64_t seen = cycles_;
        waitFor([&] { return cycles_ >= seen + 2; }, kDrainLimitMs);
    }
    jack_port_t* port = nullptr;
    {
        std::lock_guard lock(portMutex_);
        port = out_;
        out_ = nullptr;
    }
    outputLive_ = false;
    jack_ringbuffer_reset(ring_);
    if (!serverGone_)
        jack_port_unregister(client_, port);
}

int JackMidiClient::process(std::uint32_t frames, void* self)
{
    auto* client = static_cast<JackMidiClient*>(self);
    {
        std::lock_guard lock(client->portMutex_);
        if (client->in_ != nullptr) {
            void* buffer = jack_port_get_buffer(client->in_, frames);
            const std::uint32_t count = jack_midi_get_event_count(buffer);
            for (std::uint32_t i = 0; i < count; ++i) {
                jack_midi_event_t event;
                if (jack_midi_event_get(&event, buffer, i) == 0 && event.size > 0)
                    client->handler_(event.buffer, event.size);
            }
        }
        if (client->out_ != nullptr) {
            void* buffer = jack_port_get_buffer(client->out_, frames);
            jack_midi_clear_buffer(buffer);
            if (client->largestEvent_ == 0)
                client->largestEvent_ = jack_midi_max_event_size(buffer);
            // The connection counts once the graph has had it for a few
            // periods, and not sooner than kSettlingTime after it was made:
            // while JACK puts its clients into their new order, an event can
            // cross a new connection unread (a request sent within a period
            // or two of the connection was now and then lost that way).
            if (!client->outputLive_) {
                if (jack_port_connected(client->out_) <= 0)
                    client->connectedCycles_ = 0;
                else if (++client->connectedCycles_ >= kSettlingCycles
                         && std::chrono::steady_clock::now() >= client->settledAt_.load())
                    client->outputLive_ = true;
            }
            jack_ringbuffer_t* ring = client->ring_;
            Length length = 0;
            while (client->outputLive_ && jack_ringbuffer_peek(ring, reinterpret_cast<char*>(&length), sizeof length) == sizeof length
                   && jack_ringbuffer_read_space(ring) >= sizeof length + length
                   && jack_midi_max_event_size(buffer) >= length) {
                jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, length);
                if (event == nullptr)
                    break;
                jack_ringbuffer_read_advance(ring, sizeof length);
                jack_ringbuffer_read(ring, reinterpret_cast<char*>(event), length);
            }
        }
    }
    ++client->cycles_;
    return 0;
}

void JackMidiClient::onPortRegistered(std::uint32_t, int, void* self)
{
    static_cast<JackMidiClient*>(self)->portsChanged_ = true;
}

void JackMidiClient::onPortRenamed(std::uint32_t, const char*, const char*, void* self)
{
    static_cast<JackMidiClient*>(self)->portsChanged_ = true;
}

void JackMidiClient::onServerGone(void* self)
{
    auto* client = static_cast<JackMidiClient*>(self);
    client->serverGone_ = true;
    client->portsChanged_ = true;
}

} // namespace morvane
