// The program's one MIDI input and one MIDI output: opening them, sending
// the voice, and asking the instrument for its edit voice.
#pragma once

#include "MidiBackend.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "DumpFormat.h"

namespace morvane {

class VoiceData;

// How the thread that asked for the instrument's voice waits for it. The
// port's own way blocks the thread; the program waits in a way that keeps its
// windows painting.
class ReplyWaiter {
public:
    virtual ~ReplyWaiter() = default;
    // Returns once done() is true or at the deadline, whichever comes first.
    // done() is called on the waiting thread only.
    virtual void waitUntil(std::chrono::steady_clock::time_point deadline, const std::function<bool()>& done) = 0;
    // Called on the MIDI thread, only during a wait, when done() may have
    // become true.
    virtual void wake() = 0;
};

// What became of a request for the instrument's voice.
struct VoiceRequest {
    enum class Outcome { Received, NoReply, NotSent };
    Outcome outcome = Outcome::NoReply;
    std::string error;   // NotSent: why, in the MIDI system's words

    explicit operator bool() const { return outcome == Outcome::Received; }
};

class MidiPort {
public:
    // Shows an open failure to the user; called on the caller's thread, once
    // per failing direction, with the MIDI system's own text.
    using ErrorReporter = std::function<void(const std::string& text)>;

    // How long requestVoice waits when nothing comes: more than 2 and at most
    // 3 seconds.
    static constexpr std::chrono::milliseconds kReplyWait{2500};
    // After a request that got no reply, how long a reply that comes late
    // is still kept from answering the next request.
    static constexpr std::chrono::milliseconds kLateReplyGrace{1000};

    // Lists the devices once; the lists keep their order for the whole run.
    MidiPort(std::unique_ptr<MidiBackend> backend, ErrorReporter reporter);
    ~MidiPort();

    MidiPort(const MidiPort&) = delete;
    MidiPort& operator=(const MidiPort&) = delete;

    int inputCount() const { return static_cast<int>(inputs_.size()); }
    int outputCount() const { return static_cast<int>(outputs_.size()); }
    // Empty for an index outside the list.
    std::string inputDeviceName(int index) const;
    std::string outputDeviceName(int index) const;

    // Opens and starts the input, then opens the output. Each direction is
    // attempted whatever became of the other; each failure is reported.
    void open(int inDevice, int outDevice);
    void close();
    bool inputIsOpen() const { return inputOpen_; }
    bool outputIsOpen() const { return outputOpen_; }

    // Sends the voice as one bulk dump with the channel (0-15) in its device
    // byte. Returns once the MIDI system has the whole message; false when
    // it could not be sent (nothing is reported).
    bool sendVoice(VoiceData& voiceData, int midiChannel);

    // Sends the dump request of `model` (2 TG-33, anything else SY-22/SY-35)
    // on the channel and waits for the instrument's voice dump. Only a
    // complete voice dump, in either layout, ends the wait; it is decoded into
    // the voice and the outcome is Received. When none comes within the wait
    // the voice is untouched and the outcome is NoReply; when the request
    // cannot be sent, it is NotSent at once, with the MIDI system's reason.
    //
    // A dump is taken only while its request waits. A reply that comes after
    // its wait ended is dropped; so that it cannot answer the next request
    // instead, a request made within kLateReplyGrace of a wait that got no
    // reply first waits out the rest of that grace, dropping whatever comes,
    // and only then is sent. A reply later than that is not told apart from
    // the answer to the next request.
    VoiceRequest requestVoice(int model, int midiChannel, VoiceData& voiceData);

    // How requestVoice waits; by default the calling thread blocks, without
    // using the processor.
    void setWaiter(std::unique_ptr<ReplyWaiter> waiter);

    // For tests that cannot afford the full wait.
    void setReplyWait(std::chrono::milliseconds wait) { replyWait_ = wait; }
    void setLateReplyGrace(std::chrono::milliseconds grace) { lateReplyGrace_ = grace; }

private:
    void onSysEx(const std::uint8_t* data, std::size_t size);

    std::unique_ptr<MidiBackend> backend_;
    ErrorReporter reporter_;
    std::vector<std::string> inputs_;
    std::vector<std::string> outputs_;
    bool inputOpen_ = false;
    bool outputOpen_ = false;
    std::chrono::milliseconds replyWait_ = kReplyWait;
    std::chrono::milliseconds lateReplyGrace_ = kLateReplyGrace;
    // Until when a late reply to the last unanswered request may still come.
    std::chrono::steady_clock::time_point graceEnds_{};
    std::unique_ptr<ReplyWaiter> waiter_;

    // Shared with the MIDI thread, which only hands a dump over.
    std::mutex mutex_;
    bool waiting_ = false;
    bool received_ = false;
    std::array<std::uint8_t, kTg33DumpSize> reply_{};
    std::size_t replySize_ = 0;
};

} // namespace morvane
