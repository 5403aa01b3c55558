// MIDI inside the process, for tests of everything above the MIDI system:
// fixed device lists, chosen failures, a record of what was sent, and
// messages delivered on demand as if an instrument had sent them.
#pragma once

#include "MidiBackend.h"
#include "SysEx.h"

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace morvane {

class InProcessMidiBackend : public MidiBackend {
public:
    enum class Action { OpenInput, OpenOutput, CloseInput, CloseOutput };
    struct Call {
        Action action;
        int index;   // the device, for the opens; -1 for the closes
        bool operator==(const Call&) const = default;
    };

    InProcessMidiBackend(std::vector<std::string> inputs, std::vector<std::string> outputs);

    // The machine's devices change, as when an instrument is plugged in or
    // a program starts; an open port stays open.
    void setDevices(std::vector<std::string> inputs, std::vector<std::string> outputs);

    // Every send fails with `text` from now on; none clears it.
    void failSends(std::optional<std::string> text);

    // Opening that device fails with `text`. Indices outside the lists fail
    // anyway.
    void failInput(int index, std::string text);
    void failOutput(int index, std::string text);

    // Hands a message to the open input's handler on the calling thread, as
    // the MIDI thread would; ignored while no input is open.
    void deliver(const std::vector<std::uint8_t>& message);

    // Hands a piece of the input's bytes over as a MIDI system that reads
    // its input piece by piece does: the whole System Exclusive messages the
    // pieces make go to the handler, and after each piece that leaves one
    // unfinished, the part so far goes to the progress handler.
    void deliverPiece(const std::vector<std::uint8_t>& piece);

    // Called with every message sent, after it is recorded; the place where
    // a test plays the instrument.
    void setOnSend(std::function<void(const std::vector<std::uint8_t>&)> onSend);

    std::vector<Call> calls() const;
    void clearCalls();
    std::vector<std::vector<std::uint8_t>> sent() const;
    int openInputIndex() const;    // -1 when closed
    int openOutputIndex() const;   // -1 when closed

    std::vector<std::string> inputNames() override;
    std::vector<std::string> outputNames() override;
    MidiError openInput(int index, SysExHandler handler) override;
    void setChannelHandler(SysExHandler handler) override;
    MidiError openOutput(int index) override;
    MidiError send(const std::uint8_t* data, std::size_t size) override;
    void setProgressHandler(SysExHandler handler) override;
    void closeInput() override;
    void closeOutput() override;

private:
    std::vector<std::string> inputs_;
    std::vector<std::string> outputs_;
    std::map<int, std::string> inputFailures_;
    std::map<int, std::string> outputFailures_;
    std::function<void(const std::vector<std::uint8_t>&)> onSend_;
    std::optional<std::string> sendFailure_;

    mutable std::mutex mutex_;           // the records
    std::mutex deliverMutex_;          // the handler against deliveries from other threads
    SysExHandler handler_;
    SysExHandler progressHandler_;
    SysExAssembler assembler_{[this](const std::uint8_t* data, std::size_t size) {
        if (handler_)
            handler_(data, size);
    }};
    SysExHandler channelHandler_;
    int inputIndex_ = -1;
    int outputIndex_ = -1;
    std::vector<Call> calls_;
    std::vector<std::vector<std::uint8_t>> sent_;
};

} // namespace morvane
