#include "SystemMidiBackend.h"

#include "JackMidiClient.h"
#ifdef MORVANE_ALSA_ANNOUNCEMENTS
#include "AlsaPortAnnouncements.h"
#endif
#include "SysEx.h"

#include <RtMidi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>

#include <unistd.h>

namespace morvane {

namespace {

// RtMidi gives no word of when the ALSA sequencer has passed a message on;
// an output closed within this time of its last send waits for the rest.
constexpr auto kAlsaDrainTime = std::chrono::milliseconds(100);
// Listing both directions looks for a missing MIDI system once, not twice.
constexpr auto kLookAgainEvery = std::chrono::milliseconds(200);

} // namespace

bool jackServerRunning()
{
    return JackMidiClient::open("morvane-jack-check", nullptr) != nullptr;
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

std::string systemName(std::optional<SystemMidiBackend::System> system)
{
    if (!system)
        return "none";
    switch (*system) {
    case SystemMidiBackend::System::Jack:
        return "JACK";
    case SystemMidiBackend::System::Alsa:
        return "ALSA";
    case SystemMidiBackend::System::Automatic:
        break;
    }
    return "none";
}

struct SystemMidiBackend::Impl {
    std::string clientName;
    System wanted = System::Automatic;

    // Guards the handlers against the MIDI thread.
    std::mutex handlerMutex;
    SysExHandler handler;
    SysExHandler channelHandler;
    SysExHandler progressHandler;
    SysExAssembler assembler{[this](const std::uint8_t* data, std::size_t size) {
        if (handler)
            handler(data, size);
    }};

    // The system reached, looked for from either direction's thread: one
    // look at a time (lookMutex), and what it found under systemMutex.
    std::mutex lookMutex;
    std::chrono::steady_clock::time_point lastLook{};
    mutable std::mutex systemMutex;
    std::optional<System> system;     // none when none was reached
    std::string unavailable;          // why there is none
    // On JACK: our one client. Each call holds it while using it, so a
    // client replaced after its server stopped goes when the last call ends.
    std::shared_ptr<JackMidiClient> jack;
#ifdef MORVANE_ALSA_ANNOUNCEMENTS
    // On ALSA: the sequencer's announcements of ports that came, went or
    // changed, listened to from the port watch's first look on (a backend
    // that is never asked, one of a search's, costs the sequencer nothing).
    std::unique_ptr<AlsaPortAnnouncements> announcements;
#endif

    // On ALSA (and where RtMidi serves otherwise): one RtMidi object for
    // each direction.
    std::unique_ptr<RtMidiIn> in;
    std::unique_ptr<RtMidiOut> out;
    bool inputOpen = false;
    bool outputOpen = false;
    std::chrono::steady_clock::time_point lastSend{};
    ErrorContext inErrors;
    ErrorContext outErrors;

    // The names of each direction's last listing; an index refers to it.
    std::vector<std::string> inputSnapshot;
    std::vector<std::string> outputSnapshot;

    ~Impl()
    {
        // Before the handlers it calls go.
        jack.reset();
    }

    std::shared_ptr<JackMidiClient> jackClient() const
    {
        std::lock_guard lock(systemMutex);
        return jack;
    }

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
        std::lock_guard lock(systemMutex);
        return std::string("No MIDI ") + direction + " can be opened: " + unavailable
               + " Morvane keeps looking and uses one started later.";
    }

    // Reaches a JACK server with our client; false when none is there.
    bool connectJack()
    {
        std::shared_ptr<JackMidiClient> client = JackMidiClient::open(
            clientName, [this](const std::uint8_t* data, std::size_t size) { onBytes(data, size); });
        if (!client)
            return false;
        std::lock_guard lock(systemMutex);
        jack = std::move(client);
        system = System::Jack;
        unavailable.clear();
        return true;
    }

    // Reaches the ALSA sequencer through RtMidi; on failure says why.
    bool connectAlsa()
    {
        try {
            in = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, clientName);
            out.reset();
        } catch (const RtMidiError& e) {
            in.reset();
            out.reset();
            std::lock_guard lock(systemMutex);
            const std::string why = wanted == System::Alsa ? "the ALSA sequencer is not available"
                                                           : "no JACK server is running and the ALSA sequencer is not available";
            unavailable = why + " (" + e.getMessage() + ").";
            return false;
        }
        in->setErrorCallback(&ErrorContext::onError, &inErrors);
        // Only System Exclusive matters here; clock and sensing bytes stay out.
        in->ignoreTypes(false, true, true);
        in->setCallback(&Impl::onMessage, this);
        std::lock_guard lock(systemMutex);
        system = System::Alsa;
        unavailable.clear();
        return true;
    }

    // The ALSA output side, made on first use: a backend that only listens
    // (one of many, while the instrument is looked for) costs the sequencer
    // one client, not two.
    RtMidiOut* alsaOutput()
    {
        if (!out && in) {
            try {
                out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, clientName);
            } catch (const RtMidiError& e) {
                ErrorContext::onError(RtMidiError::DRIVER_ERROR, e.getMessage(), &outErrors);
                return nullptr;
            }
            out->setErrorCallback(&ErrorContext::onError, &outErrors);
        }
        return out.get();
    }

    // Looks for a MIDI system when there is none, or when the JACK server in
    // use has stopped: a JACK server (unless ALSA was asked for), else the
    // ALSA sequencer (unless JACK was). Only a system that is there is
    // tried, so a machine without one stays quiet, and at most once per
    // kLookAgainEvery.
    void lookAgain()
    {
        std::lock_guard look(lookMutex);
        {
            std::lock_guard lock(systemMutex);
            if (jack && jack->serverGone()) {
                jack.reset();
                system.reset();
#ifdef MORVANE_ALSA_ANNOUNCEMENTS
                announcements.reset();
#endif
                unavailable = "the JACK server has stopped.";
            }
            if (system)
                return;
        }
        const auto now = std::chrono::steady_clock::now();
        if (lastLook != std::chrono::steady_clock::time_point{} && now - lastLook < kLookAgainEvery)
            return;
        lastLook = now;
        if (wanted != System::Alsa && connectJack())
            return;
        if (wanted != System::Jack && ::access("/dev/snd/seq", R_OK | W_OK) == 0)
            connectAlsa();
    }

    // The name at `index` of the last listing of a direction, as long as a
    // port of that name is still there.
    static MidiError resolve(std::vector<std::string>& snapshot, const std::vector<std::string>& now, int index,
                             const char* direction, std::string& name)
    {
        if (snapshot.empty())
            snapshot = now;
        if (index < 0 || static_cast<std::size_t>(index) >= snapshot.size())
            return "There is no MIDI " + std::string(direction) + " device number " + std::to_string(index + 1)
                   + " (" + std::to_string(snapshot.size()) + " found).";
        name = snapshot[static_cast<std::size_t>(index)];
        if (std::find(now.begin(), now.end(), name) == now.end())
            return "The MIDI " + std::string(direction) + " device \"" + name + "\" is no longer available.";
        return std::nullopt;
    }

    // RtMidi renumbers ports as other programs come and go: the number the
    // port called `name` has now.
    template <typename Port>
    static unsigned numberOf(Port& port, const std::string& name)
    {
        const unsigned count = port.getPortCount();
        for (unsigned i = 0; i < count; ++i)
            if (port.getPortName(i) == name)
                return i;
        return count;
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

namespace {

// The program's own ALSA ports ("<client>:in", "<client>:out", with the
// numbers after them) are no device to choose.
std::vector<std::string> withoutOwnPorts(std::vector<std::string> names, const std::string& clientName)
{
    std::erase_if(names, [&clientName](const std::string& name) {
        return name.rfind(clientName + ":in", 0) == 0 || name.rfind(clientName + ":out", 0) == 0;
    });
    return names;
}

} // namespace

SystemMidiBackend::SystemMidiBackend(const std::string& clientName, System system) : impl_(std::make_unique<Impl>())
{
    impl_->clientName = clientName;
    impl_->wanted = system;
    impl_->lastLook = std::chrono::steady_clock::now();
    // Opening our JACK client is the test for a server.
    if (system != System::Alsa && impl_->connectJack())
        return;
    if (system == System::Jack) {
        // The server is looked for again on every listing.
        impl_->unavailable = "the JACK server cannot be reached (no JACK server is running).";
        return;
    }
    impl_->connectAlsa();
}

SystemMidiBackend::~SystemMidiBackend()
{
    closeInput();
    closeOutput();
}

bool SystemMidiBackend::portsMayHaveChanged()
{
    if (const std::shared_ptr<JackMidiClient> jack = impl_->jackClient())
        return jack->serverGone() || jack->takePortsChanged();
#ifdef MORVANE_ALSA_ANNOUNCEMENTS
    std::lock_guard lock(impl_->systemMutex);
    if (impl_->system == System::Alsa) {
        if (!impl_->announcements)
            impl_->announcements = std::make_unique<AlsaPortAnnouncements>(impl_->clientName);
        return impl_->announcements->portsMayHaveChanged();
    }
#endif
    return true;
}

std::optional<SystemMidiBackend::System> SystemMidiBackend::system() const
{
    std::lock_guard lock(impl_->systemMutex);
    return impl_->system;
}

std::string SystemMidiBackend::systemName() const
{
    return morvane::systemName(system());
}

std::vector<std::string> SystemMidiBackend::inputNames()
{
    impl_->lookAgain();
    if (const std::shared_ptr<JackMidiClient> jack = impl_->jackClient())
        impl_->inputSnapshot = jack->sources();
    else if (impl_->in)
        impl_->inputSnapshot = withoutOwnPorts(Impl::listPorts(*impl_->in), impl_->clientName);
    else
        impl_->inputSnapshot.clear();
    return impl_->inputSnapshot;
}

std::vector<std::string> SystemMidiBackend::outputNames()
{
    impl_->lookAgain();
    if (const std::shared_ptr<JackMidiClient> jack = impl_->jackClient())
        impl_->outputSnapshot = jack->destinations();
    else if (RtMidiOut* out = impl_->alsaOutput())
        impl_->outputSnapshot = withoutOwnPorts(Impl::listPorts(*out), impl_->clientName);
    else
        impl_->outputSnapshot.clear();
    return impl_->outputSnapshot;
}

MidiError SystemMidiBackend::openInput(int index, SysExHandler handler)
{
    closeInput();
    std::string name;
    if (const std::shared_ptr<JackMidiClient> jack = impl_->jackClient()) {
        if (MidiError error = Impl::resolve(impl_->inputSnapshot, jack->sources(), index, "input", name))
            return error;
        impl_->setHandler(std::move(handler));
        MidiError error = jack->openInput(name);
        if (error)
            impl_->setHandler(nullptr);
        return error;
    }
    if (!impl_->in)
        return impl_->noSystemText("input");
    const std::vector<std::string> now = Impl::listPorts(*impl_->in);
    if (MidiError error = Impl::resolve(impl_->inputSnapshot, now, index, "input", name))
        return error;
    impl_->setHandler(std::move(handler));
    impl_->inErrors.clear();
    impl_->in->openPort(Impl::numberOf(*impl_->in, name), "in");
    if (MidiError error = impl_->inErrors.take(impl_->in->isPortOpen() ? nullptr : "The MIDI input could not be opened.")) {
        impl_->in->closePort();
        impl_->setHandler(nullptr);
        return error;
    }
    impl_->inputOpen = true;
    return std::nullopt;
}

MidiError SystemMidiBackend::openOutput(int index)
{
    closeOutput();
    std::string name;
    if (const std::shared_ptr<JackMidiClient> jack = impl_->jackClient()) {
        if (MidiError error = Impl::resolve(impl_->outputSnapshot, jack->destinations(), index, "output", name))
            return error;
        return jack->openOutput(name);
    }
    RtMidiOut* out = impl_->alsaOutput();
    if (!out)
        return impl_->in ? impl_->outErrors.take("The MIDI output could not be made.") : impl_->noSystemText("output");
    const std::vector<std::string> now = Impl::listPorts(*out);
    if (MidiError error = Impl::resolve(impl_->outputSnapshot, now, index, "output", name))
        return error;
    impl_->outErrors.clear();
    out->openPort(Impl::numberOf(*out, name), "out");
    if (MidiError error = impl_->outErrors.take(out->isPortOpen() ? nullptr : "The MIDI output could not be opened.")) {
        out->closePort();
        return error;
    }
    impl_->outputOpen = true;
    return std::nullopt;
}

MidiError SystemMidiBackend::openVirtualInput(SysExHandler handler)
{
    closeInput();
    if (const std::shared_ptr<JackMidiClient> jack = impl_->jackClient()) {
        impl_->setHandler(std::move(handler));
        MidiError error = jack->openInput({});
        if (error)
            impl_->setHandler(nullptr);
        return error;
    }
    if (!impl_->in)
        return impl_->noSystemText("input");
    impl_->setHandler(std::move(handler));
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

MidiError SystemMidiBackend::openVirtualOutput()
{
    closeOutput();
    if (const std::shared_ptr<JackMidiClient> jack = impl_->jackClient())
        return jack->openOutput({});
    RtMidiOut* out = impl_->alsaOutput();
    if (!out)
        return impl_->in ? impl_->outErrors.take("The MIDI output could not be made.") : impl_->noSystemText("output");
    impl_->outErrors.clear();
    out->openVirtualPort("out");
    if (MidiError error = impl_->outErrors.take(nullptr)) {
        out->closePort();
        return error;
    }
    impl_->outputOpen = true;
    return std::nullopt;
}

std::string SystemMidiBackend::virtualInputName() const
{
    if (const std::shared_ptr<JackMidiClient> jack = impl_->jackClient())
        return jack->inputPortName();
    const std::string prefix = impl_->clientName + ":in";
    RtMidiOut* out = impl_->alsaOutput();
    return out ? Impl::findPort(*out, prefix) : prefix;
}

std::string SystemMidiBackend::virtualOutputName() const
{
    if (const std::shared_ptr<JackMidiClient> jack = impl_->jackClient())
        return jack->outputPortName();
    const std::string prefix = impl_->clientName + ":out";
    return impl_->in ? Impl::findPort(*impl_->in, prefix) : prefix;
}

MidiError SystemMidiBackend::send(const std::uint8_t* data, std::size_t size)
{
    if (const std::shared_ptr<JackMidiClient> jack = impl_->jackClient())
        return jack->send(data, size);
    if (!impl_->outputOpen)
        return "No MIDI output is open.";
    impl_->outErrors.clear();
    impl_->out->sendMessage(data, size);
    impl_->lastSend = std::chrono::steady_clock::now();
    return impl_->outErrors.take(nullptr);
}

void SystemMidiBackend::setProgressHandler(SysExHandler handler)
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

void SystemMidiBackend::setChannelHandler(SysExHandler handler)
{
    std::lock_guard lock(impl_->handlerMutex);
    impl_->channelHandler = std::move(handler);
}

void SystemMidiBackend::closeInput()
{
    if (const std::shared_ptr<JackMidiClient> jack = impl_->jackClient())
        jack->closeInput();
    else if (impl_->in && impl_->inputOpen)
        impl_->in->closePort();
    impl_->inputOpen = false;
    // Waits for a handler call in progress on the MIDI thread to finish.
    impl_->setHandler(nullptr);
}

void SystemMidiBackend::closeOutput()
{
    if (const std::shared_ptr<JackMidiClient> jack = impl_->jackClient()) {
        jack->closeOutput();
        return;
    }
    if (!impl_->out || !impl_->outputOpen)
        return;
    const auto drained = impl_->lastSend + kAlsaDrainTime;
    if (std::chrono::steady_clock::now() < drained)
        std::this_thread::sleep_until(drained);
    impl_->out->closePort();
    impl_->outputOpen = false;
}

std::unique_ptr<MidiBackend> makeSystemMidiBackend()
{
    return std::make_unique<SystemMidiBackend>();
}

} // namespace morvane
