// The machine's MIDI system: JACK when a JACK server is running, otherwise
// the ALSA sequencer. A machine with neither has no devices until one of them
// starts: listing the devices looks for the system again, and so does it
// when the JACK server in use stops. On JACK one client of our own
// (JackMidiClient) does everything, and the input is read event by event, so
// that the progress handler sees a long System Exclusive message arrive; on
// ALSA (and on the other platforms RtMidi serves) RtMidi does.
#pragma once

#include "MidiBackend.h"

#include <memory>
#include <optional>
#include <string>

namespace morvane {

class SystemMidiBackend : public MidiBackend {
public:
    // Which MIDI system to use; Automatic: JACK when a server is running,
    // otherwise ALSA.
    enum class System { Automatic, Jack, Alsa };

    // `clientName` is how the program appears to other MIDI programs; its
    // input and output show up as "<clientName>:in" and "<clientName>:out"
    // (on ALSA with the client and port numbers after them).
    explicit SystemMidiBackend(const std::string& clientName = "morvane", System system = System::Automatic);
    ~SystemMidiBackend() override;

    // The MIDI system reached (Jack or Alsa); none when none could be (yet:
    // inputNames and outputNames look again, within the choice made here).
    std::optional<System> system() const;
    // Its name for the user: "JACK", "ALSA", or "none".
    std::string systemName() const;

    std::vector<std::string> inputNames() override;
    std::vector<std::string> outputNames() override;
    MidiError openInput(int index, SysExHandler handler) override;
    MidiError openOutput(int index) override;
    MidiError send(const std::uint8_t* data, std::size_t size) override;
    void setProgressHandler(SysExHandler handler) override;
    void closeInput() override;
    void closeOutput() override;

    // Ports of its own that other programs connect to, for a program that
    // plays the instrument's part.
    MidiError openVirtualInput(SysExHandler handler);
    // Also receives every channel message (status 80-EF) the input gets, one
    // whole message a call, on the MIDI system's thread. Set before opening.
    void setChannelHandler(SysExHandler handler) override;
    MidiError openVirtualOutput();

    // On JACK, from the server's own notices of ports that came, went or
    // were renamed; on ALSA, from the sequencer's announcements of clients
    // and ports that started, exited or changed, read by a client of our
    // own ("<clientName> watch", which offers other programs no port) without
    // waiting. True the first time, and always where there are no such
    // notices: without a MIDI system, on other platforms, and when the
    // announcements cannot be had or some were lost.
    bool portsMayHaveChanged() override;

    // The full names the virtual ports get, as other programs list them.
    std::string virtualInputName() const;
    std::string virtualOutputName() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Whether a JACK server can be reached (the one JACK_DEFAULT_SERVER names,
// or the default one), through a client opened for only that. Never starts
// a server. For tests and tools: the backend needs no such check.
bool jackServerRunning();

// "JACK", "ALSA", or "none" for no system.
std::string systemName(std::optional<SystemMidiBackend::System> system);

// The backend the program uses.
std::unique_ptr<MidiBackend> makeSystemMidiBackend();

} // namespace morvane
