#include "RtMidiBackend.h"

#include "JackInput.h"
#include "SysEx.h"

#include <RtMidi.h>
#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>

#include <unistd.h>

namespace morvane {

namespace {

void quiet(const char*) {}
void toStderr(const char* text) { std::fprintf(stderr, "JACK: %s\n", text); }

// JACK delivers queued output once per processing period; closing the port
// sooner would drop the last message.
constexpr auto kOutputDrainTime = std::chrono::milliseconds(100);
// JACK makes a new connection part of its graph a few process cycles after
// the port is connected; a message sent before then is dropped. The first
// message after opening an output waits this long from the opening.
constexpr auto kJackConnectTime = std::chrono::milliseconds(150);
// Listing both directions looks for a missing MIDI system once, not twice.
constexpr auto kLookAgainEvery = std::chrono::milliseconds(200);

} // namespace

namespace {

// A client of the JACK server (the one JACK_DEFAULT_SERVER names, or the
// default one), or none when no server can be reached. Never starts one.
jack_client_t* openJackClient(const std::string& name)
{
    // Without a server libjack explains at length on stderr why it cannot
    // connect; that is the expected answer here, not an error.
    jack_set_error_function(quiet);
    jack_set_info_function(quiet);
    jack_status_t status{};
    jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
    jack_set_error_function(toStderr);
    jack_set_info_function(quiet);
    return client;
}

} // namespace

bool jackServerRunning()
{
    jack_client_t* client = openJackClient("morvane-jack-check");
    if (client != nullptr)
        jack_client_close(client);
    return client != nullptr;
}

namespace {

// Where RtMidi reports the errors of one direction. RtMidi calls an
// object's error callback on whichever thread met the error; each direction
// has its own RtMidi object and so its own context, and one direction is used
// from one thread at a time (see MidiBackend.h).
class ErrorContext {
public:
    static void onError(RtMidiError::Type type, const std::string& text, void* self)
    {
        if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING)
            return;
        auto* context = static_cast<ErrorContext*>(self);
        std::lock_guard lock(context->mutex_);
        context->last_ = text;
    }

    void clear()
    {
        std::lock_guard lock(mutex_);
        last_.clear();
    }

    // The error met since clear(); else `fallback`, which may be null.
    MidiError take(const char* fallback)
    {
        std::lock_guard lock(mutex_);
        if (last_.empty())
            return fallback ? MidiError(fallback) : std::nullopt;
        MidiError error(std::move(last_));
        last_.clear();
        return error;
    }

private:
    std::mutex mutex_;
    std::string last_;
};

} // namespace

std::string systemName(std::optional<RtMidiBackend::System> system)
{
    if (!system)
        return "none";
    switch (*system) {
    case RtMidiBackend::System::Jack:
        return "JACK";
    case RtMidiBackend::System::Alsa:
        return "ALSA";
    case RtMidiBackend::System::Automatic:
        break;
    }
    return "none";
}

struct RtMidiBackend::Impl {
    std::string clientName;
    std::optional<System> system;   // the system reached; none when none was
    RtMidi::Api connectedApi = RtMidi::UNSPECIFIED;
    System wanted = System::Automatic;
    std::chrono::steady_clock::time_point lastLook{};
    std::string unavailable;   // why there is no MIDI system, when there is none
    std::unique_ptr<RtMidiIn> in;
    std::unique_ptr<RtMidiOut> out;
    std::vector<std::string> inputSnapshot;
    std::vector<std::string> outputSnapshot;
    bool inputOpen = false;
    bool outputOpen = false;
    std::chrono::steady_clock::time_point lastSend{};
    std::chrono::steady_clock::time_point outputReady{};

    ErrorContext inErrors;
    ErrorContext outErrors;

    // On JACK, a client without ports that the server tells of every port
    // that comes, goes or is renamed; the port watch lists the ports again
    // only then. The same client first tells whether a server is there, so
    // it costs start-up nothing over that check.
    jack_client_t* watcher = nullptr;
    std::atomic<bool> watching{false};
    std::atomic<bool> portsChanged{true};

    static void onPortRegistered(jack_port_id_t, int, void* self) { static_cast<Impl*>(self)->portsChanged = true; }
    static void onPortRenamed(jack_port_id_t, const char*, const char*, void* self)
    {
        static_cast<Impl*>(self)->portsChanged = true;
    }
    static void onServerGone(void* self)
    {
        // Without a server there is nobody to tell us: the ports are listed
        // every time again.
        auto* impl = static_cast<Impl*>(self);
        impl->watching = false;
        impl->portsChanged = true;
    }

    // Takes `client` and has the server tell it of port changes; a client
    // that cannot be activated is closed and the ports are listed each time.
    void watchJack(jack_client_t* client)
    {
        stopWatching();
        jack_set_port_registration_callback(client, &Impl::onPortRegistered, this);
        jack_set_port_rename_callback(client, &Impl::onPortRenamed, this);
        jack_on_shutdown(client, &Impl::onServerGone, this);
        if (jack_activate(client) != 0) {
            jack_client_close(client);
            return;
        }
        watcher = client;
        watching = true;
    }

    // Reaches JACK through `client`, which found the server, and keeps it
    // to hear of port changes; without JACK the client is closed.
    bool connectJack(jack_client_t* client)
    {
        if (!connect(RtMidi::UNIX_JACK)) {
            jack_client_close(client);
            return false;
        }
        watchJack(client);
        return true;
    }

    void stopWatching()
    {
        if (watcher != nullptr)
            jack_client_close(watcher);
        watcher = nullptr;
        watching = false;
        portsChanged = true;
    }

    ~Impl()
    {
        jackIn.reset();
        stopWatching();
    }

    // Guards the handler against the MIDI thread.
    std::mutex handlerMutex;
    SysExHandler handler;
    SysExHandler channelHandler;
    SysExHandler progressHandler;
    SysExAssembler assembler{[this](const std::uint8_t* data, std::size_t size) {
        if (handler)
            handler(data, size);
    }};

    // On JACK the input is read event by event (JackInput), so that the
    // progress handler sees a long message arrive; RtMidi's own input is
    // used where that is not available.
    std::unique_ptr<JackInput> jackIn;

    // A message, or a piece of a System Exclusive message, as it came.
    void onBytes(const std::uint8_t* data, std::size_t size)
    {
        std::lock_guard lock(handlerMutex);
        if (handler && size > 0) {
            if (channelHandler && data[0] >= 0x80 && data[0] < 0xF0)
                channelHandler(data, size);
            assembler.feed(data, size);
        }
    }

    static void onMessage(double, std::vector<unsigned char>* message, void* self)
    {
        if (message != nullptr)
            static_cast<Impl*>(self)->onBytes(message->data(), message->size());
    }

    void setHandler(SysExHandler h)
    {
        std::lock_guard lock(handlerMutex);
        handler = std::move(h);
        assembler.reset();
    }

    std::string noSystemText(const char* direction) const
    {
        return std::string("No MIDI ") + direction + " can be opened: " + unavailable
               + " Morvane keeps looking and uses one started later.";
    }

    // Reaches the MIDI system `api`; on failure says why in `unavailable`.
    bool connect(RtMidi::Api api)
    {
        // Our own input takes the input's client name first; RtMidi's
        // client, which then only lists the ports, gets another one.
        jackIn.reset();
        if (api == RtMidi::UNIX_JACK) {
            jackIn = std::make_unique<JackInput>(
                clientName + "-in", [this](const std::uint8_t* data, std::size_t size) { onBytes(data, size); });
            if (!jackIn->usable())
                jackIn.reset();
        }
        try {
            in = std::make_unique<RtMidiIn>(api, clientName + "-in");
            out.reset();
        } catch (const RtMidiError& e) {
            jackIn.reset();
            in.reset();
            out.reset();
            const std::string why = api == RtMidi::UNIX_JACK ? "the JACK server cannot be reached"
                                    : wanted == System::Alsa ? "the ALSA sequencer is not available"
                                                             : "no JACK server is running and the ALSA sequencer is not available";
            unavailable = why + " (" + e.getMessage() + ").";
            return false;
        }
        system = api == RtMidi::UNIX_JACK ? System::Jack : System::Alsa;
        connectedApi = api;
        unavailable.clear();
        in->setErrorCallback(&ErrorContext::onError, &inErrors);
        // Only System Exclusive matters here; clock and sensing bytes stay out.
        in->ignoreTypes(false, true, true);
        in->setCallback(&Impl::onMessage, this);
        return true;
    }

    // The output side, made on first use: a backend that only listens (one
    // of many, while the instrument is looked for) costs the MIDI system one
    // client, not two. None without a MIDI system.
    RtMidiOut* output()
    {
        if (!out && in) {
            try {
                out = std::make_unique<RtMidiOut>(connectedApi, clientName + "-out");
            } catch (const RtMidiError& e) {
                ErrorContext::onError(RtMidiError::DRIVER_ERROR, e.getMessage(), &outErrors);
                return nullptr;
            }
            out->setErrorCallback(&ErrorContext::onError, &outErrors);
        }
        return out.get();
    }

    // Without a MIDI system, looks again whether one has started since: a
    // JACK server (unless ALSA was asked for), else the ALSA sequencer (unless
    // JACK was). Only a system that is there is tried, so a machine without
    // one stays quiet, and at most once per kLookAgainEvery.
    void lookAgain()
    {
        if (in)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (lastLook != std::chrono::steady_clock::time_point{} && now - lastLook < kLookAgainEvery)
            return;
        lastLook = now;
        if (jack_client_t* client = wanted != System::Alsa ? openJackClient(clientName + "-watch") : nullptr)
            connectJack(client);
        else if (wanted != System::Jack && ::access("/dev/snd/seq", R_OK | W_OK) == 0)
            connect(RtMidi::LINUX_ALSA);
    }

    // The port number that the name at `index` of the last listing has now;
    // JACK and ALSA renumber ports as other programs come and go.
    template <typename Port>
    MidiError resolve(Port& port, std::vector<std::string>& snapshot, int index, const char* direction,
                      unsigned& number)
    {
        if (snapshot.empty())
            snapshot = listPorts(port);
        if (index < 0 || static_cast<std::size_t>(index) >= snapshot.size())
            return "There is no MIDI " + std::string(direction) + " device number " + std::to_string(index + 1)
                   + " (" + std::to_string(snapshot.size()) + " found).";
        const std::string& name = snapshot[static_cast<std::size_t>(index)];
        const unsigned count = port.getPortCount();
        for (unsigned i = 0; i < count; ++i) {
            if (port.getPortName(i) == name) {
                number = i;
                return std::nullopt;
            }
        }
        return "The MIDI " + std::string(direction) + " device \"" + name + "\" is no longer available.";
    }

    template <typename Port>
    static std::vector<std::string> listPorts(Port& port)
    {
        std::vector<std::string> names;
        const unsigned count = port.getPortCount();
        for (unsigned i = 0; i < count; ++i)
            names.push_back(port.getPortName(i));
        return names;
    }

    template <typename Port>
    static std::string findPort(Port& port, const std::string& prefix)
    {
        for (const std::string& name : listPorts(port))
            if (name.rfind(prefix, 0) == 0)
                return name;
        return prefix;
    }
};

RtMidiBackend::RtMidiBackend(const std::string& clientName, System system) : impl_(std::make_unique<Impl>())
{
    impl_->clientName = clientName;
    impl_->wanted = system;
    impl_->lastLook = std::chrono::steady_clock::now();
    jack_client_t* watcher = system != System::Alsa ? openJackClient(clientName + "-watch") : nullptr;
    if (system == System::Jack && watcher == nullptr) {
        // RtMidi would make JACK ports that try to reach the server on
        // every listing, loudly; the server is looked for again instead.
        impl_->unavailable = "the JACK server cannot be reached (no JACK server is running).";
        return;
    }
    if (watcher == nullptr)
        impl_->connect(RtMidi::LINUX_ALSA);
    else
        impl_->connectJack(watcher);
}

bool RtMidiBackend::portsMayHaveChanged()
{
    return !impl_->watching || impl_->portsChanged.exchange(false);
}

RtMidiBackend::~RtMidiBackend()
{
    closeInput();
    closeOutput();
}

std::optional<RtMidiBackend::System> RtMidiBackend::system() const
{
    return impl_->system;
}

std::string RtMidiBackend::systemName() const
{
    return morvane::systemName(impl_->system);
}

namespace {

// The program's own ports ("<client>-in:in", "<client>-out:out", with the
// ALSA numbers after them) are no device to choose.
std::vector<std::string> withoutOwnPorts(std::vector<std::string> names, const std::string& clientName)
{
    std::erase_if(names, [&clientName](const std::string& name) {
        return name.rfind(clientName + "-in:", 0) == 0 || name.rfind(clientName + "-out:", 0) == 0;
    });
    return names;
}

} // namespace

std::vector<std::string> RtMidiBackend::inputNames()
{
    impl_->lookAgain();
    if (!impl_->in)
        return {};
    impl_->inputSnapshot = withoutOwnPorts(Impl::listPorts(*impl_->in), impl_->clientName);
    return impl_->inputSnapshot;
}

std::vector<std::string> RtMidiBackend::outputNames()
{
    impl_->lookAgain();
    if (!impl_->output())
        return {};
    impl_->outputSnapshot = withoutOwnPorts(Impl::listPorts(*impl_->out), impl_->clientName);
    return impl_->outputSnapshot;
}

MidiError RtMidiBackend::openInput(int index, SysExHandler handler)
{
    closeInput();
    if (!impl_->in)
        return impl_->noSystemText("input");
    unsigned number = 0;
    if (MidiError error = impl_->resolve(*impl_->in, impl_->inputSnapshot, index, "input", number))
        return error;
    impl_->setHandler(std::move(handler));
    if (impl_->jackIn) {
        if (MidiError error = impl_->jackIn->open(impl_->in->getPortName(number))) {
            impl_->setHandler(nullptr);
            return error;
        }
        impl_->inputOpen = true;
        return std::nullopt;
    }
    impl_->inErrors.clear();
    impl_->in->openPort(number, "in");
    if (MidiError error = impl_->inErrors.take(impl_->in->isPortOpen() ? nullptr : "The MIDI input could not be opened.")) {
        impl_->in->closePort();
        impl_->setHandler(nullptr);
        return error;
    }
    impl_->inputOpen = true;
    return std::nullopt;
}

MidiError RtMidiBackend::openOutput(int index)
{
    closeOutput();
    if (!impl_->output())
        return impl_->in ? impl_->outErrors.take("The MIDI output could not be made.") : impl_->noSystemText("output");
    unsigned number = 0;
    if (MidiError error = impl_->resolve(*impl_->out, impl_->outputSnapshot, index, "output", number))
        return error;
    impl_->outErrors.clear();
    impl_->out->openPort(number, "out");
    if (MidiError error = impl_->outErrors.take(impl_->out->isPortOpen() ? nullptr : "The MIDI output could not be opened.")) {
        impl_->out->closePort();
        return error;
    }
    impl_->outputOpen = true;
    impl_->outputReady = std::chrono::steady_clock::now()
                         + (impl_->system == System::Jack ? kJackConnectTime : std::chrono::milliseconds(0));
    return std::nullopt;
}

MidiError RtMidiBackend::openVirtualInput(SysExHandler handler)
{
    closeInput();
    if (!impl_->in)
        return impl_->noSystemText("input");
    impl_->setHandler(std::move(handler));
    if (impl_->jackIn) {
        if (MidiError error = impl_->jackIn->open({})) {
            impl_->setHandler(nullptr);
            return error;
        }
        impl_->inputOpen = true;
        return std::nullopt;
    }
    impl_->inErrors.clear();
    impl_->in->openVirtualPort("in");
    if (MidiError error = impl_->inErrors.take(nullptr)) {
        impl_->in->closePort();
        impl_->setHandler(nullptr);
        return error;
    }
    impl_->inputOpen = true;
    return std::nullopt;
}

MidiError RtMidiBackend::openVirtualOutput()
{
    closeOutput();
    if (!impl_->output())
        return impl_->in ? impl_->outErrors.take("The MIDI output could not be made.") : impl_->noSystemText("output");
    impl_->outErrors.clear();
    impl_->out->openVirtualPort("out");
    if (MidiError error = impl_->outErrors.take(nullptr)) {
        impl_->out->closePort();
        return error;
    }
    impl_->outputOpen = true;
    return std::nullopt;
}

std::string RtMidiBackend::virtualInputName() const
{
    const std::string prefix = impl_->clientName + "-in:in";
    RtMidiOut* out = impl_->output();
    return out ? Impl::findPort(*out, prefix) : prefix;
}

std::string RtMidiBackend::virtualOutputName() const
{
    const std::string prefix = impl_->clientName + "-out:out";
    return impl_->in ? Impl::findPort(*impl_->in, prefix) : prefix;
}

MidiError RtMidiBackend::send(const std::uint8_t* data, std::size_t size)
{
    if (!impl_->outputOpen)
        return "No MIDI output is open.";
    if (std::chrono::steady_clock::now() < impl_->outputReady)
        std::this_thread::sleep_until(impl_->outputReady);
    impl_->outErrors.clear();
    impl_->out->sendMessage(data, size);
    impl_->lastSend = std::chrono::steady_clock::now();
    return impl_->outErrors.take(nullptr);
}

void RtMidiBackend::setProgressHandler(SysExHandler handler)
{
    std::lock_guard lock(impl_->handlerMutex);
    impl_->progressHandler = std::move(handler);
    if (impl_->progressHandler)
        impl_->assembler.setProgress([impl = impl_.get()](const std::uint8_t* data, std::size_t size) {
            if (impl->progressHandler)
                impl->progressHandler(data, size);
        });
    else
        impl_->assembler.setProgress(nullptr);
}

void RtMidiBackend::setChannelHandler(SysExHandler handler)
{
    std::lock_guard lock(impl_->handlerMutex);
    impl_->channelHandler = std::move(handler);
}

void RtMidiBackend::closeInput()
{
    if (impl_->jackIn)
        impl_->jackIn->close();
    else if (impl_->in && impl_->inputOpen)
        impl_->in->closePort();
    impl_->inputOpen = false;
    // Waits for a handler call in progress on the MIDI thread to finish.
    impl_->setHandler(nullptr);
}

void RtMidiBackend::closeOutput()
{
    if (!impl_->out || !impl_->outputOpen)
        return;
    const auto drained = impl_->lastSend + kOutputDrainTime;
    if (std::chrono::steady_clock::now() < drained)
        std::this_thread::sleep_until(drained);
    impl_->out->closePort();
    impl_->outputOpen = false;
}

std::unique_ptr<MidiBackend> makeSystemMidiBackend()
{
    return std::make_unique<RtMidiBackend>();
}

} // namespace morvane
