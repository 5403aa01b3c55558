#include "JackInput.h"

#include <jack/jack.h>
#include <jack/midiport.h>

namespace morvane {

JackInput::JackInput(const std::string& clientName, EventHandler handler) : handler_(std::move(handler))
{
    jack_status_t status{};
    client_ = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
    if (client_ == nullptr)
        return;
    jack_set_process_callback(client_, &JackInput::process, this);
    jack_on_shutdown(client_, &JackInput::onServerGone, this);
    if (jack_activate(client_) != 0) {
        jack_client_close(client_);
        client_ = nullptr;
    }
}

JackInput::~JackInput()
{
    if (client_ == nullptr)
        return;
    close();
    jack_deactivate(client_);
    jack_client_close(client_);
}

MidiError JackInput::open(const std::string& source)
{
    close();
    if (!usable())
        return std::string("The JACK server cannot be reached.");
    jack_port_t* port = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (port == nullptr)
        return std::string("The JACK MIDI input port could not be made.");
    if (!source.empty() && jack_connect(client_, source.c_str(), jack_port_name(port)) != 0) {
        jack_port_unregister(client_, port);
        return "The MIDI input device \"" + source + "\" could not be connected.";
    }
    std::lock_guard lock(mutex_);
    port_ = port;
    return std::nullopt;
}

void JackInput::close()
{
    jack_port_t* port = nullptr;
    {
        // Waits for a process cycle that reads the port to end.
        std::lock_guard lock(mutex_);
        port = port_;
        port_ = nullptr;
    }
    if (port != nullptr && !serverGone_)
        jack_port_unregister(client_, port);
}

int JackInput::process(unsigned frames, void* self)
{
    auto* input = static_cast<JackInput*>(self);
    std::lock_guard lock(input->mutex_);
    if (input->port_ == nullptr)
        return 0;
    void* buffer = jack_port_get_buffer(input->port_, frames);
    const std::uint32_t count = jack_midi_get_event_count(buffer);
    for (std::uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) == 0 && event.size > 0)
            input->handler_(event.buffer, event.size);
    }
    return 0;
}

void JackInput::onServerGone(void* self)
{
    static_cast<JackInput*>(self)->serverGone_ = true;
}

} // namespace morvane
