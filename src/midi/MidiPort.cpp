#include "MidiPort.h"

#include "SysEx.h"
#include "VoiceData.h"

#include <algorithm>

namespace morvane {

namespace {

// However much waits, close() never holds the program longer than this.
constexpr auto kLongestFinish = std::chrono::seconds(5);

} // namespace

MidiPort::MidiPort(std::unique_ptr<MidiBackend> backend, ErrorReporter reporter)
    : backend_(std::move(backend)), reporter_(std::move(reporter))
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

bool MidiPort::requestVoice(int model, int midiChannel, VoiceData& voiceData)
{
    {
        // Armed before the request goes out, so even an instant reply counts.
        std::lock_guard lock(mutex_);
        waiting_ = true;
        received_ = false;
        replySize_ = 0;
    }

    // A request that cannot be sent simply gets no reply. It goes out after
    // any dump that waits, so the instrument answers with the latest voice.
    if (outputOpen_) {
        const auto request = dumpRequest(model, midiChannel);
        std::unique_lock lock(sendMutex_);
        pacer_.offerMessage({request.begin(), request.end()});
        sendWake_.notify_one();
        waitUntilHandedOver(lock);
    }
    const auto deadline = std::chrono::steady_clock::now() + replyWait_;

    std::array<std::uint8_t, kTg33DumpSize> reply;
    std::size_t replySize = 0;
    {
        std::unique_lock lock(mutex_);
        if (replyArrived_.wait_until(lock, deadline, [this] { return received_; })) {
            std::copy(reply_.begin(), reply_.begin() + static_cast<std::ptrdiff_t>(replySize_), reply.begin());
            replySize = replySize_;
        }
        // From here on a dump that arrives is dropped as it comes in, so a
        // late reply can neither change this voice nor answer the next request.
        waiting_ = false;
        received_ = false;
    }
    return replySize != 0 && voiceData.decodeDump(reply.data(), replySize);
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
    }
    replyArrived_.notify_one();
}

} // namespace morvane
