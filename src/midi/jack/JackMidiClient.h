// All of the program's MIDI on a JACK server through one client of its own:
// the port listing, the port watch, an input read event by event and an
// output. The one client is one thread woken each period while idle, and
// one connection to the server at start-up; opening it is also the test
// for a server.
//
// The input hands over every event as JACK delivers it: a long System
// Exclusive message that comes in pieces is seen arriving, and the blocks of
// a bank come as events of their own.
//
// The output takes a message into a lock-free ring at once; the process
// thread moves it into the port's buffer. A new connection becomes part of
// JACK's graph a few periods after it is made, and an event written before
// then is lost, and so, now and then, is one that crosses the connection
// while JACK puts its clients into their new order; so after opening the
// output a send waits until the process thread has seen the port connected
// for a few periods and 20 ms, not a fixed time.
//
// Threads: the input functions are called from one thread at a time, the
// output functions from one thread at a time (either may be another than the
// first's); the listing and the change flag from any. The event handler runs
// on JACK's process thread.
#pragma once

#include "MidiBackend.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <jack/ringbuffer.h>

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

namespace morvane {

class JackMidiClient {
public:
    // Receives the bytes of one MIDI event: a whole channel message, or a
    // System Exclusive message or a piece of one.
    using EventHandler = std::function<void(const std::uint8_t* data, std::size_t size)>;

    // A client of the JACK server that JACK_DEFAULT_SERVER names (or the
    // default one), called `name` or, when that is taken, what JACK makes of
    // it; none when no server can be reached. Never starts a server, and
    // says nothing on the terminal when there is none: that is an answer,
    // not an error.
    static std::unique_ptr<JackMidiClient> open(const std::string& name, EventHandler handler);
    ~JackMidiClient();
    JackMidiClient(const JackMidiClient&) = delete;
    JackMidiClient& operator=(const JackMidiClient&) = delete;

    // Whether the server has gone away since; the client is then of no use.
    bool serverGone() const { return serverGone_; }
    // Whether a port came, went or was renamed on the server since the last
    // call (true the first time).
    bool takePortsChanged() { return portsChanged_.exchange(false); }

    // The full names ("client:port") of the other clients' MIDI ports that
    // send (sources, for the input) and that receive (destinations, for the
    // output), in the server's order. This client's own are left out.
    std::vector<std::string> sources() const;
    std::vector<std::string> destinations() const;

    // Makes the port "in" and connects `source` to it, and nothing else;
    // with an empty source the port waits for others to connect to it.
    MidiError openInput(const std::string& source);
    // Removes the port; once this returns the handler is not called again.
    void closeInput();

    // Makes the port "out" and connects it to `destination`; with an empty
    // destination others connect to it and sends go out at once.
    MidiError openOutput(const std::string& destination);
    // Returns once the message is in the ring, after the first connection
    // has reached the graph; a message longer than one period's buffer
    // holds is refused.
    MidiError send(const std::uint8_t* data, std::size_t size);
    // Lets what was sent leave (bounded), then removes the port.
    void closeOutput();

    // The full names of the ports, as other clients list them.
    std::string inputPortName() const { return clientName_ + ":in"; }
    std::string outputPortName() const { return clientName_ + ":out"; }

private:
    explicit JackMidiClient(EventHandler handler) : handler_(std::move(handler)) {}
    std::vector<std::string> others(unsigned long flags) const;
    // Waits until `done` holds, a period at a time, for at most `limit` ms.
    template <typename Done>
    bool waitFor(Done done, int limitMs) const;

    static int process(std::uint32_t frames, void* self);
    static void onPortRegistered(std::uint32_t, int, void* self);
    static void onPortRenamed(std::uint32_t, const char*, const char*, void* self);
    static void onServerGone(void* self);

    EventHandler handler_;
    jack_client_t* client_ = nullptr;
    std::string clientName_;
    std::atomic<bool> serverGone_{false};
    std::atomic<bool> portsChanged_{true};

    // Guards the port pointers against the process thread.
    std::mutex portMutex_;
    jack_port_t* in_ = nullptr;
    jack_port_t* out_ = nullptr;

    // Output: length-prefixed messages from send() to the process thread.
    jack_ringbuffer_t* ring_ = nullptr;
    std::string destination_;
    // Set by the process thread once the output may be written.
    std::atomic<bool> outputLive_{false};
    // The periods the output's connection has been in the graph so far, and
    // the time before which the output does not send after its connection.
    std::atomic<std::uint32_t> connectedCycles_{0};
    std::atomic<std::chrono::steady_clock::time_point> settledAt_{};
    // The largest event an empty port buffer takes; 0 until known.
    std::atomic<std::size_t> largestEvent_{0};
    // Process cycles run so far.
    std::atomic<std::uint64_t> cycles_{0};
};

} // namespace morvane
