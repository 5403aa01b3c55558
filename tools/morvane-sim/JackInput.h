// The simulator's MIDI input on JACK, read event by event. The MIDI library
// hands a System Exclusive message over only once its F7 has come, so a
// bank's blocks could not be seen arriving through it; this input sees every
// piece as JACK delivers it.
#pragma once

#include "MidiBackend.h"
#include "SysEx.h"

#include <functional>
#include <mutex>
#include <string>

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

namespace morvane {

class JackInput {
public:
    using Handler = MidiBackend::SysExHandler;

    // A JACK client of that name with one MIDI input port "in". Call the
    // handlers' setters before open().
    explicit JackInput(std::string clientName);
    ~JackInput();
    JackInput(const JackInput&) = delete;
    JackInput& operator=(const JackInput&) = delete;

    // Whole System Exclusive messages; the part of one so far whenever more
    // of it comes; every channel message as it comes.
    MidiError open(Handler whole, Handler progress, Handler channel);

private:
    static int process(unsigned frames, void* self);

    std::string clientName_;
    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    Handler channel_;
    SysExAssembler assembler_{nullptr};
};

} // namespace morvane
