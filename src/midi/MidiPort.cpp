#include "MidiPort.h"

#include "DumpCheck.h"
#include "Multi.h"
#include "SysEx.h"
#include "VoiceData.h"

#include <algorithm>
#include <condition_variable>
#include <string_view>

namespace morvane {

namespace {

// However much waits, close() never holds the program longer than this.
constexpr auto kLongestFinish = std::chrono::seconds(5);

// Blocks the waiting thread until woken or until the clock reaches the
// deadline.
class BlockingWaiter : public ReplyWaiter {
public:
    explicit BlockingWaiter(Now now) : now_(std::move(now)) {}

    void waitUntil(SteadyClock::time_point deadline, const std::function<bool()>& done) override
    {
        // done() takes the port's lock, which wake() is called under: it is
        // never called while this waiter's own lock is held.
        while (!done()) {
            const SteadyClock::time_point now = now_();
            if (now >= deadline)
                return;
            std::unique_lock lock(mutex_);
            // Whatever the clock, no longer than the time left by it; then it
            // is read again.
            if (woken_.wait_for(lock, deadline - now, [this] { return wake_; }))
                wake_ = false;
        }
    }
    void wake() override
    {
        {
            std::lock_guard lock(mutex_);
            wake_ = true;
        }
        woken_.notify_one();
    }

private:
    Now now_;
    std::mutex mutex_;
    std::condition_variable woken_;
    bool wake_ = false;
};

// The name without the " 130:0" the ALSA sequencer puts after every port's
// name; other names are returned whole.
std::string_view withoutAddress(std::string_view name)
{
    const std::size_t space = name.rfind(' ');
    if (space == std::string_view::npos)
        return name;
    const std::string_view address = name.substr(space + 1);
    const std::size_t colon = address.find(':');
    const auto digits = [](std::string_view text) {
        return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (colon == std::string_view::npos || !digits(address.substr(0, colon)) || !digits(address.substr(colon + 1)))
        return name;
    return name.substr(0, space);
}

std::string notFoundText(const std::vector<std::string>& missing)
{
    std::string text;
    for (std::size_t i = 0; i < missing.size(); ++i)
        text += (i == 0 ? "The " : " and the ") + missing[i];
    text += missing.size() == 1 ? " was not found. It is opened as soon as it appears."
                                : " were not found. They are opened as soon as they appear.";
    return text;
}

} // namespace

int findDevice(const std::vector<std::string>& names, const PortChoice& choice)
{
    const int count = static_cast<int>(names.size());
    if (choice.name.empty())
        return choice.place >= 0 && choice.place < count ? choice.place : -1;
    for (int i = 0; i < count; ++i)
        if (names[static_cast<std::size_t>(i)] == choice.name)
            return i;
    const std::string_view wanted = withoutAddress(choice.name);
    int found = -1;
    for (int i = 0; i < count; ++i) {
        if (withoutAddress(names[static_cast<std::size_t>(i)]) == wanted && (found < 0 || i == choice.place))
            found = i;
    }
    return found;
}

MidiPort::MidiPort(std::unique_ptr<MidiBackend> backend, ErrorReporter reporter, Now now)
    : backend_(std::move(backend)),
      reporter_(std::move(reporter)),
      now_(std::move(now)),
      waiter_(std::make_unique<BlockingWaiter>(now_)),
      pacer_(now_)
{
    refreshDevices();
    backend_->setProgressHandler([this](const std::uint8_t* data, std::size_t size) { onBank(data, size, false); });
    sender_ = std::thread([this] { sendLoop(); });
}

void MidiPort::refreshDevices()
{
    inputs_ = backend_->inputNames();
    // The output's calls never overlap a send (MidiBackend.h).
    std::lock_guard output(outputMutex_);
    outputs_ = backend_->outputNames();
}

MidiPort::~MidiPort()
{
    // The backend must not call onSysEx once this object starts to go away;
    // whoever listened may be gone already.
    linkListener_ = nullptr;
    setSendListener(nullptr);
    close();
    {
        std::lock_guard lock(sendMutex_);
        stopSending_ = true;
    }
    sendWake_.notify_all();
    sender_.join();
}

void MidiPort::sendLoop()
{
    std::unique_lock lock(sendMutex_);
    while (!stopSending_) {
        if (std::optional<SendPacer::Bytes> message = pacer_.takeDue()) {
            const SendPacer::Carries what = pacer_.lastTaken();
            inFlight_ = true;
            lock.unlock();
            MidiError error;
            {
                // The output may have gone since the message was queued.
                std::lock_guard output(outputMutex_);
                error = output_.link == Link::Open ? backend_->send(message->data(), message->size())
                                                   : MidiError("The MIDI output is not connected.");
            }
            const std::string outcome = error.value_or(std::string{});
            lock.lock();
            sendError_ = outcome;
            if (!earlyQueued_.empty() && *message == earlyQueued_) {
                earlyQueued_.clear();
                earlySendError_ = outcome;
            }
            // Told before the message counts as handed over, so that whoever
            // waits for that (finishSending) finds the listener told.
            lock.unlock();
            tellSendOutcome(outcome, what);
            lock.lock();
            inFlight_ = false;
            if (!pacer_.waiting())
                handedOver_.notify_all();
            continue;
        }
        // The time left by the port's clock; then the pacer is asked again.
        if (const auto due = pacer_.nextDue())
            sendWake_.wait_for(lock, *due - now_());
        else
            sendWake_.wait(lock);
    }
}

void MidiPort::waitUntilHandedOver(std::unique_lock<std::mutex>& lock)
{
    handedOver_.wait_for(lock, kLongestFinish, [this] { return !pacer_.waiting() && !inFlight_; });
}

void MidiPort::finishSending()
{
    std::unique_lock lock(sendMutex_);
    waitUntilHandedOver(lock);
    const auto carried = pacer_.cableFreeAt();
    lock.unlock();
    if (const auto left = carried - now_(); left > SteadyClock::duration::zero())
        std::this_thread::sleep_for(left);
}

void MidiPort::setWireRate(int baud)
{
    {
        std::lock_guard lock(sendMutex_);
        pacer_.setRate(baud);
    }
    sendWake_.notify_all();
}

int MidiPort::wireRate() const
{
    std::lock_guard lock(sendMutex_);
    return pacer_.rate();
}

std::string MidiPort::inputDeviceName(int index) const
{
    return index >= 0 && index < inputCount() ? inputs_[static_cast<std::size_t>(index)] : std::string{};
}

std::string MidiPort::outputDeviceName(int index) const
{
    return index >= 0 && index < outputCount() ? outputs_[static_cast<std::size_t>(index)] : std::string{};
}

MidiError MidiPort::openInputAt(int index)
{
    MidiError error = backend_->openInput(
        index, [this](const std::uint8_t* data, std::size_t size) { onSysEx(data, size); });
    input_.link = error ? Link::Closed : Link::Open;
    return error;
}

MidiError MidiPort::openOutputAt(int index)
{
    std::lock_guard output(outputMutex_);
    MidiError error = backend_->openOutput(index);
    output_.link = error ? Link::Closed : Link::Open;
    return error;
}

void MidiPort::closeInput()
{
    backend_->closeInput();
    input_.link = Link::Closed;
}

void MidiPort::closeOutput()
{
    std::lock_guard output(outputMutex_);
    backend_->closeOutput();
    output_.link = Link::Closed;
}

std::string MidiPort::sendError() const
{
    std::lock_guard lock(sendMutex_);
    return sendError_;
}

void MidiPort::setSendListener(SendListener listener)
{
    std::lock_guard lock(listenerMutex_);
    sendListener_ = std::move(listener);
}

void MidiPort::tellSendOutcome(const std::string& error, SendPacer::Carries what)
{
    std::lock_guard lock(listenerMutex_);
    if (sendListener_)
        sendListener_(error, what);
}

void MidiPort::linkChanged()
{
    if (linkListener_)
        linkListener_();
}

void MidiPort::open(int inDevice, int outDevice)
{
    // A request asked early went to the devices open until now.
    forgetEarlyRequest();
    input_.chosen = inputDeviceName(inDevice);
    output_.chosen = outputDeviceName(outDevice);
    // Reported before the output is tried, so the user sees the failures in
    // the order the ports are opened.
    if (MidiError error = openInputAt(inDevice); error && reporter_)
        reporter_(*error);
    if (MidiError error = openOutputAt(outDevice); error && reporter_)
        reporter_(*error);
    linkChanged();
}

void MidiPort::open(PortChoice& in, PortChoice& out)
{
    forgetEarlyRequest();
    refreshDevices();
    std::vector<std::string> missing;
    // Returns false when the device is Missing and must not be opened.
    const auto resolve = [&missing](PortChoice& choice, const std::vector<std::string>& names, Direction& direction,
                                    const char* what) {
        const int found = findDevice(names, choice);
        if (found >= 0) {
            choice.name = names[static_cast<std::size_t>(found)];
            choice.place = found;
        } else if (!choice.name.empty()) {
            missing.push_back(std::string("MIDI ") + what + " device \"" + choice.name + "\"");
            direction.chosen = choice.name;
            return false;
        }
        // Without a name the place is tried, so that a place outside the
        // list is reported in the MIDI system's words.
        direction.chosen = found >= 0 ? choice.name : std::string{};
        return true;
    };
    const bool openIn = resolve(in, inputs_, input_, "input");
    const bool openOut = resolve(out, outputs_, output_, "output");
    if (!openIn) {
        closeInput();
        input_.link = Link::Missing;
    } else if (MidiError error = openInputAt(in.place); error && reporter_) {
        reporter_(*error);
    }
    if (!openOut) {
        closeOutput();
        output_.link = Link::Missing;
    } else if (MidiError error = openOutputAt(out.place); error && reporter_) {
        reporter_(*error);
    }
    if (!missing.empty() && reporter_)
        reporter_(notFoundText(missing));
    linkChanged();
}

bool MidiPort::forgetEarlyRequest()
{
    if (earlyRequest_.empty())
        return false;
    earlyRequest_.clear();
    std::lock_guard lock(mutex_);
    const bool answered = received_;
    waiting_ = false;
    received_ = false;
    return answered;
}

void MidiPort::close()
{
    forgetEarlyRequest();
    // The last state of the voice reaches the instrument before the ports go.
    finishSending();
    closeInput();
    closeOutput();
    input_.chosen.clear();
    output_.chosen.clear();
    linkChanged();
}

bool MidiPort::watchDevices()
{
    dropStaleEarlyRequest();
    {
        // A port reopened now could swallow the reply being waited for.
        std::lock_guard lock(mutex_);
        if (waiting_)
            return false;
    }
    if (!backend_->portsMayHaveChanged())
        return false;
    refreshDevices();
    bool changed = false;
    const auto watch = [&changed](Direction& direction, const std::vector<std::string>& names, auto close,
                                  auto open) {
        if (direction.chosen.empty())
            return;
        const int found = findDevice(names, PortChoice{direction.chosen, -1});
        if (found < 0) {
            if (direction.link == Link::Missing)
                return;
            if (direction.link == Link::Open)
                close();
            direction.link = Link::Missing;
            changed = true;
        } else if (direction.link == Link::Missing) {
            // A device that is back but cannot be opened stays closed until
            // it goes and comes back again, or the user picks it again.
            if (!open(found))
                direction.chosen = names[static_cast<std::size_t>(found)];
            changed = true;
        }
    };
    watch(input_, inputs_, [this] { closeInput(); }, [this](int index) { return openInputAt(index); });
    watch(output_, outputs_, [this] { closeOutput(); }, [this](int index) { return openOutputAt(index); });
    if (changed)
        linkChanged();
    return changed;
}

bool MidiPort::sendVoice(const VoiceData& voiceData, int midiChannel)
{
    // A voice that cannot be queued is told at once, on this thread.
    const auto refuse = [this](const std::string& error) {
        {
            std::lock_guard lock(sendMutex_);
            sendError_ = error;
        }
        tellSendOutcome(error, SendPacer::Carries::Voice);
        return false;
    };
    if (output_.link != Link::Open)
        return refuse(output_.link == Link::Missing
                          ? "The MIDI output device \"" + output_.chosen + "\" is not connected."
                          : std::string("No MIDI output is open."));
    const CheckedDump checked = encodeCheckedDump(voiceData.parameters());
    if (!checked.sound())
        return refuse("The voice was not sent: " + checked.fault + ".");
    SendPacer::Bytes message(checked.dump.begin(), checked.dump.end());
    message[kDeviceByte] = deviceByte(DeviceKind::Dump, MidiChannel::lowNibble(midiChannel));
    {
        std::lock_guard lock(sendMutex_);
        pacer_.offerVoice(std::move(message));
    }
    sendWake_.notify_one();
    return true;
}

bool MidiPort::sendShort(std::vector<std::uint8_t> message, bool afterWaiting)
{
    if (!outputIsOpen())
        return false;
    {
        std::lock_guard lock(sendMutex_);
        if (afterWaiting)
            pacer_.offerMessage(std::move(message));
        else
            pacer_.offerShort(std::move(message));
    }
    sendWake_.notify_one();
    return true;
}

void MidiPort::setWaiter(std::unique_ptr<ReplyWaiter> waiter)
{
    std::lock_guard lock(mutex_);
    waiter_ = waiter ? std::move(waiter) : std::make_unique<BlockingWaiter>(now_);
}

VoiceRequest MidiPort::requestVoice(int model, int midiChannel, VoiceData& voiceData)
{
    const auto request = dumpRequest(model, midiChannel);
    std::vector<std::uint8_t> reply;
    VoiceRequest result = awaitReply(request.data(), request.size(), Awaited::Voice, reply);
    if (result && !voiceData.decodeDump(reply.data(), reply.size()))
        return {VoiceRequest::Outcome::NoReply, {}};
    return result;
}

VoiceRequest MidiPort::requestMulti(int midiChannel, Multi& multi)
{
    const auto request = multiRequest(MidiChannel::lowNibble(midiChannel));
    std::vector<std::uint8_t> reply;
    VoiceRequest result = awaitReply(request.data(), request.size(), Awaited::Multi, reply);
    if (!result)
        return result;
    if (std::string fault = decodeMulti(reply.data(), reply.size(), multi); !fault.empty())
        return {VoiceRequest::Outcome::NoReply, std::move(fault)};
    return result;
}

bool MidiPort::sendMulti(const Multi& multi, int midiChannel)
{
    if (output_.link != Link::Open) {
        const std::string error = output_.link == Link::Missing
                                      ? "The MIDI output device \"" + output_.chosen + "\" is not connected."
                                      : std::string("No MIDI output is open.");
        {
            std::lock_guard lock(sendMutex_);
            sendError_ = error;
        }
        tellSendOutcome(error, SendPacer::Carries::Multi);
        return false;
    }
    const MultiDump dump = encodeMulti(multi, MidiChannel::lowNibble(midiChannel));
    {
        std::lock_guard lock(sendMutex_);
        pacer_.offerMulti(SendPacer::Bytes(dump.begin(), dump.end()));
    }
    sendWake_.notify_one();
    return true;
}

void MidiPort::armReply(Awaited awaited)
{
    // Armed before the request goes out, so even an instant reply counts.
    std::lock_guard lock(mutex_);
    waiting_ = true;
    awaited_ = awaited;
    received_ = false;
    replySize_ = 0;
}

MidiError MidiPort::sendRequest(const std::uint8_t* request, std::size_t size, Awaited awaited)
{
    armReply(awaited);

    // The request goes out after any dump that waits, once the cable has
    // carried it, so the instrument answers with the latest state; the reply
    // wait starts when the request has gone out.
    finishSending();
    MidiError error;
    {
        std::lock_guard output(outputMutex_);
        error = backend_->send(request, size);
    }
    if (error) {
        std::lock_guard lock(mutex_);
        waiting_ = false;
    }
    return error;
}

MidiError MidiPort::askVoiceEarly(int model, int midiChannel)
{
    dropStaleEarlyRequest();
    if (!inputIsOpen() || !outputIsOpen())
        return std::string("The instrument's ports are not open.");
    if (!earlyRequest_.empty() || now_() < graceEnds_)
        return std::nullopt;
    const auto request = dumpRequest(model, midiChannel);
    armReply(Awaited::Voice);
    earlyRequest_.assign(request.begin(), request.end());
    earlySentAt_ = now_();
    {
        // A new output takes messages only once it is connected (on JACK a
        // few periods after): the sending thread waits for that, not the
        // caller.
        std::lock_guard lock(sendMutex_);
        earlyQueued_ = earlyRequest_;
        earlySendError_.clear();
        pacer_.offerMessage(SendPacer::Bytes(request.begin(), request.end()));
    }
    sendWake_.notify_one();
    return std::nullopt;
}

void MidiPort::dropStaleEarlyRequest()
{
    if (earlyRequest_.empty() || now_() < earlySentAt_ + replyWait_)
        return;
    // As after any request without a reply, a late one must not answer the
    // next request.
    if (!forgetEarlyRequest())
        graceEnds_ = now_() + lateReplyGrace_;
}

VoiceRequest MidiPort::awaitReply(const std::uint8_t* request, std::size_t size, Awaited awaited,
                                  std::vector<std::uint8_t>& reply)
{
    dropStaleEarlyRequest();
    SteadyClock::time_point deadline;
    bool askedEarly = awaited == Awaited::Voice && earlyRequest_ == std::vector<std::uint8_t>(request, request + size);
    earlyRequest_.clear();
    if (askedEarly) {
        // Asked already: only the rest of its wait, once it has gone out. One
        // that could not be sent is asked again, and its failure reported.
        finishSending();
        std::lock_guard lock(sendMutex_);
        askedEarly = earlySendError_.empty();
        deadline = earlySentAt_ + replyWait_;
    }
    if (!askedEarly) {
        // A reply to the last unanswered request may still be on its way; it
        // is dropped as it comes in, since nothing waits.
        if (now_() < graceEnds_)
            waiter_->waitUntil(graceEnds_, [] { return false; });
        // A request that cannot be sent is reported at once.
        if (MidiError error = sendRequest(request, size, awaited))
            return {VoiceRequest::Outcome::NotSent, *error};
        deadline = now_() + replyWait_;
    }
    waiter_->waitUntil(deadline, [this] {
        std::lock_guard lock(mutex_);
        return received_;
    });

    {
        std::lock_guard lock(mutex_);
        if (received_)
            reply.assign(reply_.begin(), reply_.begin() + static_cast<std::ptrdiff_t>(replySize_));
        // From here on a dump that arrives is dropped as it comes in.
        waiting_ = false;
        received_ = false;
    }
    if (reply.empty()) {
        graceEnds_ = now_() + lateReplyGrace_;
        return {VoiceRequest::Outcome::NoReply, {}};
    }
    return {VoiceRequest::Outcome::Received, {}};
}

void MidiPort::onSysEx(const std::uint8_t* data, std::size_t size)
{
    if (onBank(data, size, true))
        return;
    const bool voice = voiceDumpLayout(data, size).has_value();
    // A multi is taken whatever its length (up to the buffer's), so that a
    // damaged one is reported rather than waited out.
    const bool multi = !voice && size <= reply_.size() && isMultiDump(data, size);
    if (!voice && !multi)
        return;
    {
        std::lock_guard lock(mutex_);
        if (!waiting_ || received_ || (awaited_ == Awaited::Multi) != multi)
            return;
        std::copy(data, data + size, reply_.begin());
        replySize_ = size;
        received_ = true;
        // Under the lock, so that no wake comes once the wait has ended.
        waiter_->wake();
    }
}

} // namespace morvane
