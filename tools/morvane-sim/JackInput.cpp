#include "JackInput.h"

#include <jack/jack.h>
#include <jack/midiport.h>
#include <cstdio>

namespace morvane {

JackInput::JackInput(std::string clientName) : clientName_(std::move(clientName)) {}

JackInput::~JackInput()
{
    if (client_ != nullptr) {
        jack_deactivate(client_);
        jack_client_close(client_);
    }
}

MidiError JackInput::open(Handler whole, Handler progress, Handler channel)
{
    assembler_ = SysExAssembler(std::move(whole));
    assembler_.setProgress(std::move(progress));
    channel_ = std::move(channel);
    jack_status_t status{};
    client_ = jack_client_open(clientName_.c_str(), static_cast<jack_options_t>(JackNoStartServer | JackUseExactName),
                               &status);
    if (client_ == nullptr)
        return "JACK client \"" + clientName_ + "\" cannot be opened (status " + std::to_string(status) + ").";
    port_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (port_ == nullptr)
        return std::string("JACK MIDI input port \"in\" cannot be made.");
    jack_set_process_callback(client_, &JackInput::process, this);
    if (jack_activate(client_) != 0)
        return std::string("JACK client cannot be activated.");
    return std::nullopt;
}

int JackInput::process(unsigned frames, void* self)
{
    auto* input = static_cast<JackInput*>(self);
    void* buffer = jack_port_get_buffer(input->port_, frames);
    const std::uint32_t count = jack_midi_get_event_count(buffer);
    for (std::uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) != 0 || event.size == 0)
            continue;
        if (input->channel_ && event.buffer[0] >= 0x80 && event.buffer[0] < 0xF0)
            input->channel_(event.buffer, event.size);
        input->assembler_.feed(event.buffer, event.size);
    }
    return 0;
}

} // namespace morvane
