#include "MidiPort.h"

#include "SysEx.h"
#include "VoiceData.h"

#include <algorithm>

namespace morvane {

MidiPort::MidiPort(std::unique_ptr<MidiBackend> backend, ErrorReporter reporter)
    : backend_(std::move(backend)), reporter_(std::move(reporter))
{
    inputs_ = backend_->inputNames();
    outputs_ = backend_->outputNames();
}

MidiPort::~MidiPort()
{
    // The backend must not call onSysEx once this object starts to go away.
    close();
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

    MidiError outError = backend_->openOutput(outDevice);
    outputOpen_ = !outError;
    if (outError && reporter_)
        reporter_(*outError);
}

void MidiPort::close()
{
    backend_->closeInput();
    backend_->closeOutput();
    inputOpen_ = false;
    outputOpen_ = false;
}

bool MidiPort::sendVoice(const VoiceData& voiceData, int midiChannel)
{
    VoiceDump message = voiceData.encodeDump();
    message[kDeviceByte] = static_cast<std::uint8_t>(message[kDeviceByte] | (midiChannel & 0x0F));
    return !backend_->send(message.data(), message.size());
}

bool MidiPort::requestVoice(int model, int midiChannel, VoiceData& voiceData)
{
    const auto deadline = std::chrono::steady_clock::now() + replyWait_;
    {
        // Armed before the request goes out, so even an instant reply counts.
        std::lock_guard lock(mutex_);
        waiting_ = true;
        received_ = false;
        replySize_ = 0;
    }

    const auto request = dumpRequest(model, midiChannel);
    // A request that cannot be sent simply gets no reply.
    backend_->send(request.data(), request.size());

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
