// The few MIDI operations the program needs, whatever system provides them.
//
// Threads. A backend is used from up to three threads at once:
// - the input direction (inputNames, openInput, closeInput) from one thread
//   at a time, the program's own;
// - the output direction (outputNames, openOutput, send, closeOutput) from
//   one thread at a time: the caller serialises them (MidiPort opens and
//   closes on the program's thread and sends on its sending thread, both under
//   one lock);
// - the SysEx handler on the MIDI system's thread.
// The two directions may be used at the same moment from different threads,
// so a backend keeps what each direction needs apart: an error met while
// opening the input is never reported by a send, nor the other way round.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace morvane {

// Why an operation failed, in words for the user; empty optional = success.
using MidiError = std::optional<std::string>;

class MidiBackend {
public:
    // Receives one complete System Exclusive message, F0 to F7, on the MIDI
    // system's own thread. It must return quickly and must not call back into
    // the backend.
    using SysExHandler = std::function<void(const std::uint8_t* data, std::size_t size)>;

    virtual ~MidiBackend() = default;

    // The names of the machine's MIDI inputs and outputs right now. The
    // indices that openInput and openOutput take refer to the latest list.
    virtual std::vector<std::string> inputNames() = 0;
    virtual std::vector<std::string> outputNames() = 0;

    // Opens and starts input `index`. Closes any input already open first.
    virtual MidiError openInput(int index, SysExHandler handler) = 0;
    // Opens output `index`. Closes any output already open first.
    virtual MidiError openOutput(int index) = 0;

    // Sends one complete message; returns when the MIDI system has taken the
    // bytes, so the caller may reuse its buffer at once.
    virtual MidiError send(const std::uint8_t* data, std::size_t size) = 0;

    // Also receives, on the MIDI system's own thread, the part of a System
    // Exclusive message that has come so far whenever more of it comes
    // without its end, for a caller that shows a long message arriving. A
    // MIDI system that hands over only whole messages never calls it.
    virtual void setProgressHandler(SysExHandler handler) { (void)handler; }

    // Also receives every channel message (status 80-EF) the open input
    // gets, one whole message a call, on the MIDI system's thread: the
    // controller input's knobs. Set before opening.
    virtual void setChannelHandler(SysExHandler handler) { (void)handler; }

    // Whether the lists of inputs and outputs may differ from the last time
    // this was asked. A MIDI system that tells of new, gone and renamed
    // ports answers from what it was told; one that cannot be told always
    // says yes, and the caller lists the ports again to see. Called from the
    // user-interface thread.
    virtual bool portsMayHaveChanged() { return true; }

    // After closeInput returns the handler is never called again.
    virtual void closeInput() = 0;
    virtual void closeOutput() = 0;
};

} // namespace morvane
