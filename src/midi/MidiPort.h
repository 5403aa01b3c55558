// The program's one MIDI input and one MIDI output: opening them, sending
// the voice, and asking the instrument for its edit voice.
//
// Everything sent goes through one paced queue (SendPacer) that a thread of
// this object empties at the cable's pace: callers never wait for the cable.
// While a voice dump waits, a newer voice replaces it; a dump request goes
// out after a dump that waits; close() sends whatever waits before the ports
// close.
#pragma once

#include "MidiBackend.h"
#include "SendPacer.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
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
    // Sends what waits (finishSending), then closes both directions.
    void close();
    bool inputIsOpen() const { return inputOpen_; }
    bool outputIsOpen() const { return outputOpen_; }

    // Encodes the voice on the calling thread as one bulk dump with the
    // channel (0-15) in its device byte and queues it to be sent at the
    // cable's pace, replacing a dump that still waits. Returns at once: false
    // when no output is open (nothing is reported), true when queued.
    bool sendVoice(const VoiceData& voiceData, int midiChannel);

    // The pace of sending: the cable's bits per second (31,250 for MIDI), or
    // SendPacer::kAtOnce for an interface that paces itself or a fast link.
    void setWireRate(int baud);
    int wireRate() const;

    // Waits until everything queued has been handed to the MIDI system and,
    // when paced, the cable has carried it.
    void finishSending();

    // Sends the dump request of `model` (2 TG-33, anything else SY-22/SY-35)
    // on the channel, after any dump that waits, and waits for the
    // instrument's voice dump; the wait starts when the request goes out. Only a
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
    void sendLoop();
    // Waits until the queue is empty and no message is being handed over.
    void waitUntilHandedOver(std::unique_lock<std::mutex>& lock);

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

    // The send queue, shared with the sending thread.
    mutable std::mutex sendMutex_;
    std::condition_variable sendWake_;      // something queued, or stop
    std::condition_variable handedOver_;    // the queue ran empty
    SendPacer pacer_;
    bool inFlight_ = false;
    bool stopSending_ = false;
    // The sending thread and the caller's thread both use the backend's output.
    std::mutex outputMutex_;
    std::thread sender_;   // last: it starts once everything above exists
};

} // namespace morvane
