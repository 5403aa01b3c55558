#include "MidiPort.h"

#include "SysEx.h"
#include "VoiceData.h"

#include <algorithm>
#include <condition_variable>

namespace morvane {

namespace {

// However much waits, close() never holds the program longer than this.
constexpr auto kLongestFinish = std::chrono::seconds(5);

// Blocks the waiting thread until woken or until the deadline.
class BlockingWaiter : public ReplyWaiter {
public:
    void waitUntil(std::chrono::steady_clock::time_point deadline, const std::function<bool()>& done) override
    {
        // done() takes the port's lock, which wake() is called under: it is
        // never called while this waiter's own lock is held.
        while (!done()) {
            std::unique_lock lock(mutex_);
            if (!woken_.wait_until(lock, deadline, [this] { return wake_; }))
                return;
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
    std::mutex mutex_;
    std::condition_variable woken_;
    bool wake_ = false;
};

} // namespace

MidiPort::MidiPort(std::unique_ptr<MidiBackend> backend, ErrorReporter reporter)
    : backend_(std::move(backend)), reporter_(std::move(reporter)), waiter_(std::make_unique<BlockingWaiter>())
{
    inputs_ = backend_->inputNames();
    outputs_ = backend_->outputNames();
    sender_ = std::thread([this] { sendLoop(); });
}

MidiPort::~MidiPort()
{
    // The backend must not call onSysEx once this object starts to go away.
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
            inFlight_ = true;
            lock.unlock();
            {
                // A failed send has nothing new to tell: a port that failed
                // to open was reported when it was opened.
                std::lock_guard output(outputMutex_);
                if (outputOpen_)
                    backend_->send(message->data(), message->size());
            }
            lock.lock();
            inFlight_ = false;
            if (!pacer_.waiting())
                handedOver_.notify_all();
            continue;
        }
        if (const auto due = pacer_.nextDue())
            sendWake_.wait_until(lock, *due);
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
    if (std::chrono::steady_clock::now() < carried)
        std::this_thread::sleep_until(carried);
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

void MidiPort::open(int inDevice, int outDevice)
{
    MidiError inError = backend_->openInput(
        inDevice, [this](const std::uint8_t* data, std::size_t size) { onSysEx(data, size); });
    inputOpen_ = !inError;
    // Reported before the output is tried, so the user sees the failures in
    // the order the ports are opened.
    if (inError && reporter_)
        reporter_(*inError);

    MidiError outError;
    {
        std::lock_guard output(outputMutex_);
        outError = backend_->openOutput(outDevice);
        outputOpen_ = !outError;
    }
    if (outError && reporter_)
        reporter_(*outError);
}

void MidiPort::close()
{
    // The last state of the voice reaches the instrument before the ports go.
    finishSending();
    backend_->closeInput();
    std::lock_guard output(outputMutex_);
    backend_->closeOutput();
    inputOpen_ = false;
    outputOpen_ = false;
}

bool MidiPort::sendVoice(const VoiceData& voiceData, int midiChannel)
{
    if (!outputOpen_)
        return false;
    const VoiceDump dump = voiceData.encodeDump();
    SendPacer::Bytes message(dump.begin(), dump.end());
    message[kDeviceByte] = static_cast<std::uint8_t>(message[kDeviceByte] | (midiChannel & 0x0F));
    {
        std::lock_guard lock(sendMutex_);
        pacer_.offerVoice(std::move(message));
    }
    sendWake_.notify_one();
    return true;
}

void MidiPort::setWaiter(std::unique_ptr<ReplyWaiter> waiter)
{
    std::lock_guard lock(mutex_);
    waiter_ = waiter ? std::move(waiter) : std::make_unique<BlockingWaiter>();
}

VoiceRequest MidiPort::requestVoice(int model, int midiChannel, VoiceData& voiceData)
{
    // A reply to the last unanswered request may still be on its way; it is
    // dropped as it comes in, since nothing waits.
    if (std::chrono::steady_clock::now() < graceEnds_)
        waiter_->waitUntil(graceEnds_, [] { return false; });

    {
        // Armed before the request goes out, so even an instant reply counts.
        std::lock_guard lock(mutex_);
        waiting_ = true;
        received_ = false;
        replySize_ = 0;
    }

    // The request goes out after any dump that waits, once the cable has
    // carried it, so the instrument answers with the latest voice; the reply
    // wait starts when the request has gone out. A request that cannot be
    // sent is reported at once.
    finishSending();
    const auto request = dumpRequest(model, midiChannel);
    MidiError error;
    {
        std::lock_guard output(outputMutex_);
        error = backend_->send(request.data(), request.size());
    }
    if (error) {
        std::lock_guard lock(mutex_);
        waiting_ = false;
        return {VoiceRequest::Outcome::NotSent, *error};
    }
    const auto deadline = std::chrono::steady_clock::now() + replyWait_;
    waiter_->waitUntil(deadline, [this] {
        std::lock_guard lock(mutex_);
        return received_;
    });

    std::array<std::uint8_t, kTg33DumpSize> reply;
    std::size_t replySize = 0;
    {
        std::lock_guard lock(mutex_);
        if (received_) {
            std::copy(reply_.begin(), reply_.begin() + static_cast<std::ptrdiff_t>(replySize_), reply.begin());
            replySize = replySize_;
        }
        // From here on a dump that arrives is dropped as it comes in.
        waiting_ = false;
        received_ = false;
    }
    if (replySize == 0) {
        graceEnds_ = std::chrono::steady_clock::now() + lateReplyGrace_;
        return {VoiceRequest::Outcome::NoReply, {}};
    }
    if (!voiceData.decodeDump(reply.data(), replySize))
        return {VoiceRequest::Outcome::NoReply, {}};
    return {VoiceRequest::Outcome::Received, {}};
}

void MidiPort::onSysEx(const std::uint8_t* data, std::size_t size)
{
    if (!voiceDumpLayout(data, size))
        return;
    {
        std::lock_guard lock(mutex_);
        if (!waiting_ || received_)
            return;
        std::copy(data, data + size, reply_.begin());
        replySize_ = size;
        received_ = true;
        // Under the lock, so that no wake comes once the wait has ended.
        waiter_->wake();
    }
}

} // namespace morvane
