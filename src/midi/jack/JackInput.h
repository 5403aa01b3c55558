// A MIDI input on JACK, read event by event. The MIDI library hands a System
// Exclusive message over only once its F7 has come, so a voice bank's blocks
// could not be seen arriving through it; this input hands over every event
// as JACK delivers it, and the blocks of a bank come as events of their own.
//
// Threads: the member functions are called from one thread at a time; the
// handler runs on JACK's process thread.
#pragma once

#include "MidiBackend.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

namespace morvane {

class JackInput {
public:
    // Receives the bytes of one MIDI event: a whole channel message, or a
    // System Exclusive message or a piece of one.
    using EventHandler = std::function<void(const std::uint8_t* data, std::size_t size)>;

    // A client of that name on the running JACK server (never starts one);
    // when the name is taken, JACK makes it unique. Its port "in" exists
    // only while open.
    JackInput(const std::string& clientName, EventHandler handler);
    ~JackInput();
    JackInput(const JackInput&) = delete;
    JackInput& operator=(const JackInput&) = delete;

    // Whether the client could be made and its server is still there.
    bool usable() const { return client_ != nullptr && !serverGone_; }

    // Makes the port "in" and connects `source` (a JACK port's full name) to
    // it, and nothing else; with an empty source the port waits for others
    // to connect to it.
    MidiError open(const std::string& source);
    // Removes the port; once this returns the handler is not called again.
    void close();

private:
    static int process(unsigned frames, void* self);
    static void onServerGone(void* self);

    EventHandler handler_;
    jack_client_t* client_ = nullptr;
    std::atomic<bool> serverGone_{false};
    // Guards port_ against the process thread.
    std::mutex mutex_;
    jack_port_t* port_ = nullptr;
};

} // namespace morvane
