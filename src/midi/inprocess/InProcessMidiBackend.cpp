#include "InProcessMidiBackend.h"

namespace morvane {

InProcessMidiBackend::InProcessMidiBackend(std::vector<std::string> inputs, std::vector<std::string> outputs)
    : inputs_(std::move(inputs)), outputs_(std::move(outputs))
{
}

void InProcessMidiBackend::setDevices(std::vector<std::string> inputs, std::vector<std::string> outputs)
{
    std::lock_guard lock(mutex_);
    inputs_ = std::move(inputs);
    outputs_ = std::move(outputs);
}

void InProcessMidiBackend::failSends(std::optional<std::string> text)
{
    std::lock_guard lock(mutex_);
    sendFailure_ = std::move(text);
}

void InProcessMidiBackend::failInput(int index, std::string text)
{
    inputFailures_[index] = std::move(text);
}

void InProcessMidiBackend::failOutput(int index, std::string text)
{
    outputFailures_[index] = std::move(text);
}

void InProcessMidiBackend::deliver(const std::vector<std::uint8_t>& message)
{
    std::lock_guard lock(deliverMutex_);
    if (handler_ && channelHandler_ && !message.empty() && message[0] >= 0x80 && message[0] < 0xF0)
        channelHandler_(message.data(), message.size());
    if (handler_)
        handler_(message.data(), message.size());
}

void InProcessMidiBackend::deliverPiece(const std::vector<std::uint8_t>& piece)
{
    std::lock_guard lock(deliverMutex_);
    if (handler_)
        assembler_.feed(piece.data(), piece.size());
}

void InProcessMidiBackend::setProgressHandler(SysExHandler handler)
{
    std::lock_guard lock(deliverMutex_);
    progressHandler_ = std::move(handler);
    assembler_.setProgress([this](const std::uint8_t* data, std::size_t size) {
        if (progressHandler_)
            progressHandler_(data, size);
    });
}

void InProcessMidiBackend::setChannelHandler(SysExHandler handler)
{
    std::lock_guard lock(deliverMutex_);
    channelHandler_ = std::move(handler);
}

void InProcessMidiBackend::setOnSend(std::function<void(const std::vector<std::uint8_t>&)> onSend)
{
    onSend_ = std::move(onSend);
}

std::vector<InProcessMidiBackend::Call> InProcessMidiBackend::calls() const
{
    std::lock_guard lock(mutex_);
    return calls_;
}

void InProcessMidiBackend::clearCalls()
{
    std::lock_guard lock(mutex_);
    calls_.clear();
}

std::vector<std::vector<std::uint8_t>> InProcessMidiBackend::sent() const
{
    std::lock_guard lock(mutex_);
    return sent_;
}

int InProcessMidiBackend::openInputIndex() const
{
    std::lock_guard lock(mutex_);
    return inputIndex_;
}

int InProcessMidiBackend::openOutputIndex() const
{
    std::lock_guard lock(mutex_);
    return outputIndex_;
}

std::vector<std::string> InProcessMidiBackend::inputNames()
{
    std::lock_guard lock(mutex_);
    return inputs_;
}

std::vector<std::string> InProcessMidiBackend::outputNames()
{
    std::lock_guard lock(mutex_);
    return outputs_;
}

namespace {

MidiError openFailure(const std::map<int, std::string>& failures, int index, std::size_t count,
                      const char* direction)
{
    if (auto it = failures.find(index); it != failures.end())
        return it->second;
    if (index < 0 || static_cast<std::size_t>(index) >= count)
        return "There is no MIDI " + std::string(direction) + " device number " + std::to_string(index + 1) + ".";
    return std::nullopt;
}

} // namespace

MidiError InProcessMidiBackend::openInput(int index, SysExHandler handler)
{
    closeInput();
    {
        std::lock_guard lock(mutex_);
        calls_.push_back({Action::OpenInput, index});
    }
    if (MidiError error = openFailure(inputFailures_, index, inputs_.size(), "input"))
        return error;
    std::lock_guard deliverLock(deliverMutex_);
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
    inputIndex_ = index;
    return std::nullopt;
}

MidiError InProcessMidiBackend::openOutput(int index)
{
    closeOutput();
    std::lock_guard lock(mutex_);
    calls_.push_back({Action::OpenOutput, index});
    if (MidiError error = openFailure(outputFailures_, index, outputs_.size(), "output"))
        return error;
    outputIndex_ = index;
    return std::nullopt;
}

MidiError InProcessMidiBackend::send(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> message(data, data + size);
    {
        std::lock_guard lock(mutex_);
        if (outputIndex_ < 0)
            return "No MIDI output is open.";
        if (sendFailure_)
            return sendFailure_;
        sent_.push_back(message);
    }
    if (onSend_)
        onSend_(message);
    return std::nullopt;
}

void InProcessMidiBackend::closeInput()
{
    std::lock_guard deliverLock(deliverMutex_);
    std::lock_guard lock(mutex_);
    if (inputIndex_ >= 0 || handler_) {
        calls_.push_back({Action::CloseInput, -1});
        inputIndex_ = -1;
        handler_ = nullptr;
        assembler_.reset();
    }
}

void InProcessMidiBackend::closeOutput()
{
    std::lock_guard lock(mutex_);
    if (outputIndex_ >= 0) {
        calls_.push_back({Action::CloseOutput, -1});
        outputIndex_ = -1;
    }
}

} // namespace morvane
