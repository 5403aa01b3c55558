// The program's one MIDI input and one MIDI output: opening them, sending
// the voice, and asking the instrument for its edit voice.
//
// Voice dumps and test notes go through one paced queue (SendPacer) that a
// thread of this object, the sending thread, empties at the cable's pace:
// callers never wait for the cable. While a voice dump waits, a newer voice
// replaces it. A dump request is not queued: requestVoice waits until the
// queue has run empty and the cable has carried it (finishSending), then
// sends the request itself, so that the reply wait starts when the request
// has gone out. close() sends whatever waits before the ports close.
//
// Threads: every member function is called on one thread, the caller's (the
// program's main thread), except where it says otherwise. The sending thread
// only hands queued messages to the backend's output and tells the send
// listener; the MIDI system's thread only hands a voice dump over.
//
// Time: deadlines are read from the clock the port is given (Clock.h), the
// same one its pacer reads.
#pragma once

#include "Clock.h"
#include "MidiBackend.h"
#include "SendPacer.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "DumpFormat.h"

namespace morvane {

class VoiceData;
struct Multi;

// How the thread that asked for the instrument's voice waits for it. The
// port's own way blocks the thread; the program waits in a way that keeps its
// windows painting.
class ReplyWaiter {
public:
    virtual ~ReplyWaiter() = default;
    // Returns once done() is true or at the deadline, whichever comes first;
    // the deadline is a time of the port's clock. done() is called on the
    // waiting thread only.
    virtual void waitUntil(SteadyClock::time_point deadline, const std::function<bool()>& done) = 0;
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

// A device the user chose: the MIDI system's full name for it and its place
// in the list when it was chosen.
struct PortChoice {
    std::string name;   // empty in settings kept before names were
    int place = -1;
};

// Where `choice` is in `names`: at its name; else at a name that differs only
// in the client and port numbers the ALSA sequencer appends ("130:0"), which
// change whenever the other program restarts (the stored place wins a tie);
// by its place only when it has no name. -1 when it is not there.
int findDevice(const std::vector<std::string>& names, const PortChoice& choice);

class MidiPort {
public:
    // Shows an open failure to the user; called on the caller's thread, once
    // per failing direction, with the MIDI system's own text.
    using ErrorReporter = std::function<void(const std::string& text)>;
    // Told the outcome of a send: empty when the message was handed over,
    // else why not, in the MIDI system's words (what sendError() returns from
    // then on), and what the message carried.
    using SendListener = std::function<void(const std::string& error, SendPacer::Carries what)>;

    // How long requestVoice waits when nothing comes: more than 2 and at most
    // 3 seconds.
    static constexpr std::chrono::milliseconds kReplyWait{2500};
    // After a request that got no reply, how long a reply that comes late
    // is still kept from answering the next request.
    static constexpr std::chrono::milliseconds kLateReplyGrace{1000};

    // The state of one direction. Missing: a device was chosen by name and is
    // not there now; watchDevices opens it when it appears.
    enum class Link { Closed, Open, Missing };

    // Lists the devices; refreshDevices lists them again. Every deadline
    // and the pace of sending are read from `now`.
    MidiPort(std::unique_ptr<MidiBackend> backend, ErrorReporter reporter, Now now = SteadyClock::now);
    ~MidiPort();

    MidiPort(const MidiPort&) = delete;
    MidiPort& operator=(const MidiPort&) = delete;

    // Reads the device lists afresh. Indices refer to the latest lists.
    void refreshDevices();

    const std::vector<std::string>& inputDevices() const { return inputs_; }
    const std::vector<std::string>& outputDevices() const { return outputs_; }
    int inputCount() const { return static_cast<int>(inputs_.size()); }
    int outputCount() const { return static_cast<int>(outputs_.size()); }
    // Empty for an index outside the list.
    std::string inputDeviceName(int index) const;
    std::string outputDeviceName(int index) const;

    // Opens and starts the input, then opens the output. Each direction is
    // attempted whatever became of the other; each failure is reported. The
    // devices at those places become the chosen ones.
    void open(int inDevice, int outDevice);
    // The same for devices chosen by name (see findDevice), on fresh lists.
    // A named device that is not listed is not opened, nor is any other in
    // its place: one report names every such device, and the direction is
    // Missing. Each choice found gets the full name and place it has now.
    void open(PortChoice& in, PortChoice& out);
    // Sends what waits (finishSending), then closes both directions and
    // forgets the chosen devices.
    void close();
    bool inputIsOpen() const { return input_.link == Link::Open; }
    bool outputIsOpen() const { return output_.link == Link::Open; }
    Link inputLink() const { return input_.link; }
    Link outputLink() const { return output_.link; }
    // The chosen devices' names; empty when none is chosen.
    const std::string& chosenInput() const { return input_.chosen; }
    const std::string& chosenOutput() const { return output_.chosen; }

    // One look at the device lists, for a caller that polls: a chosen device
    // that has gone is closed (Missing), a Missing one that is back is
    // opened; nothing is reported. Does nothing while requestVoice waits.
    // True when a direction's state changed.
    bool watchDevices();

    // Called on the caller's thread whenever a direction's state may have
    // changed (open, close, watchDevices).
    void setLinkListener(std::function<void()> listener) { linkListener_ = std::move(listener); }

    // Encodes the voice on the calling thread as one bulk dump with the
    // channel (0-15) in its device byte and queues it to be sent at the
    // cable's pace, replacing a dump that still waits. Returns at once: false
    // when no output is open (nothing is reported; sendError tells why),
    // true when queued.
    bool sendVoice(const VoiceData& voiceData, int midiChannel);
    // Why the last send failed, in the MIDI system's words: the last message
    // handed over, or a voice that could not be queued. Empty after one that
    // succeeded.
    std::string sendError() const;

    // Called with the outcome of every message the sending thread hands over,
    // on that thread, and of a voice that cannot be queued, on the caller's
    // thread. It must return quickly and must not call the port; a window
    // passes the outcome on to its own thread. Once setSendListener returns,
    // the previous listener is no longer being called and never is again.
    void setSendListener(SendListener listener);

    // Queues a short channel message (a note-on or note-off) ahead of every
    // dump that waits (SendPacer::offerShort), or with `afterWaiting` behind
    // everything that waits now (a note that is to sound with the voice just
    // queued). Returns at once: false when no output is open.
    bool sendShort(std::vector<std::uint8_t> message, bool afterWaiting = false);

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

    // Queues the same request as requestVoice and keeps the reply that
    // comes for the next requestVoice of that model and channel, which then
    // sends nothing and waits only what is left of the reply wait, counted
    // from now: a program that fetches the voice as it starts asks while its
    // windows are being made, and the voice is there when they are. Never
    // waits: the sending thread sends it once the output takes messages.
    // Only while both directions are open, and not within a late reply's
    // grace (an error says the ports are not open). When the request could
    // not be sent, the next requestVoice asks again and reports that. A
    // request nobody awaits is forgotten at the end of its reply wait, as a
    // request without a reply is.
    MidiError askVoiceEarly(int model, int midiChannel);

    // The same for the TG-33's edit multi: its request goes out after
    // whatever waits, and only a multi dump ends the wait; it is decoded into
    // `multi`. A damaged one leaves `multi` untouched: the outcome is NoReply
    // and the error says what is wrong.
    VoiceRequest requestMulti(int midiChannel, Multi& multi);
    // Queues the multi's dump on the channel through the paced queue, where
    // a newer multi replaces one that waits (as sendVoice does the voice's).
    // False when no output is open.
    bool sendMulti(const Multi& multi, int midiChannel);

    // --- Voice banks ---------------------------------------------------
    // Taking a bank is polled by the caller, who keeps its windows going
    // meanwhile: start it, look at bankArrival() as often as it likes, stop
    // it when done.

    // How long a bank that has begun to arrive may go without a new block
    // before it counts as stopped; the instrument pauses about 100 ms.
    static constexpr std::chrono::milliseconds kBankBlockWait{2500};
    // A MIDI system that hands a System Exclusive message over only once its
    // F7 has come (RtMidi on ALSA) shows a bank only whole: Get bank waits the
    // reply wait, then the longest bank's time on a MIDI cable (38,306 bytes
    // at 31,250 baud and 16 pauses, 14 s), and half as long again. Where the
    // blocks are seen as they come (JACK), a bank that has begun is waited
    // for as long as its blocks keep coming.
    static constexpr std::chrono::milliseconds kBankReplyWait{2500 + 21000};
    // The time a bank of that layout takes on a MIDI cable, pauses included.
    static std::chrono::milliseconds bankCableTime(DumpLayout layout);

    struct BankArrival {
        enum class State { Waiting, Arriving, Complete, NoReply, Stopped };
        State state = State::Waiting;
        int blocks = 0;      // blocks that have come whole
        int of = 0;          // blocks in all, once the layout is known
        std::chrono::milliseconds waited{};  // since the request went out (or listening began)
        std::vector<std::uint8_t> message;   // Complete: the bank as it came (whole or damaged)
    };

    // From now on the first bank message that comes is kept (any earlier
    // one is forgotten). With a layout, its bank request goes out first on
    // the channel (after whatever waits to be sent) and the bank must begin
    // within the reply wait; without one, it waits until stopped, for a bank
    // sent from the instrument's panel. The error of a request that could
    // not be sent; nothing is kept then.
    MidiError startBankReceive(std::optional<DumpLayout> request, int midiChannel);
    BankArrival bankArrival();
    void stopBankReceive();

    // Queues the bank message to be sent in its blocks, with the
    // instrument's pause after each, through the paced queue; anything sent
    // meanwhile waits until the bank has gone. False when no output is open
    // or `message` is not a whole bank.
    bool sendBank(const std::vector<std::uint8_t>& message);
    // Stops a bank being sent between two blocks: the blocks not sent are
    // dropped and, when some had gone, the message is closed with F7.
    void cancelBank();
    struct BankSending {
        int blocksSent = 0;
        int blocks = 0;
        bool done = true;     // nothing of it waits any more
    };
    BankSending bankSending() const;

    // How requestVoice waits; by default the calling thread blocks, without
    // using the processor, until the port's clock reaches the deadline.
    void setWaiter(std::unique_ptr<ReplyWaiter> waiter);

    // For tests and tools that want another wait.
    void setReplyWait(std::chrono::milliseconds wait) { replyWait_ = wait; }
    void setLateReplyGrace(std::chrono::milliseconds grace) { lateReplyGrace_ = grace; }
    void setBankReplyWait(std::chrono::milliseconds wait) { bankReplyWait_ = wait; }

private:
    struct Direction {
        Link link = Link::Closed;
        std::string chosen;
    };

    void onSysEx(const std::uint8_t* data, std::size_t size);
    // What a request waits for.
    enum class Awaited { Voice, Multi };
    // Sends the request after whatever waits and waits for its reply.
    VoiceRequest awaitReply(const std::uint8_t* request, std::size_t size, Awaited awaited,
                            std::vector<std::uint8_t>& reply);
    // Arms the wait for `awaited` and sends the request after whatever
    // waits; the error of one that could not be sent (nothing is awaited).
    MidiError sendRequest(const std::uint8_t* request, std::size_t size, Awaited awaited);
    // Arms the wait for a reply of that kind (before its request goes out).
    void armReply(Awaited awaited);
    void tellSendOutcome(const std::string& error, SendPacer::Carries what);
    // A bank message, whole or the part so far; true when it was one.
    bool onBank(const std::uint8_t* data, std::size_t size, bool whole);
    void sendLoop();
    // Waits until the queue is empty and no message is being handed over.
    void waitUntilHandedOver(std::unique_lock<std::mutex>& lock);
    MidiError openInputAt(int index);
    MidiError openOutputAt(int index);
    void closeInput();
    void closeOutput();
    void linkChanged();

    std::unique_ptr<MidiBackend> backend_;
    ErrorReporter reporter_;
    Now now_;
    std::function<void()> linkListener_;
    std::vector<std::string> inputs_;
    std::vector<std::string> outputs_;
    Direction input_;
    // The caller's thread changes it under outputMutex_; the sending thread
    // reads it under outputMutex_.
    Direction output_;
    std::chrono::milliseconds replyWait_ = kReplyWait;
    std::chrono::milliseconds lateReplyGrace_ = kLateReplyGrace;
    // Until when a late reply to the last unanswered request may still come.
    SteadyClock::time_point graceEnds_{};
    std::unique_ptr<ReplyWaiter> waiter_;
    // A request askVoiceEarly sent that no requestVoice has awaited yet, and
    // when it went out.
    std::vector<std::uint8_t> earlyRequest_;
    SteadyClock::time_point earlySentAt_{};
    // Forgets an early request whose reply wait is over (waiting_ ends).
    void dropStaleEarlyRequest();
    // Forgets an early request at once (the ports change); true when its
    // reply had come.
    bool forgetEarlyRequest();

    // Shared with the MIDI thread, which only hands a dump over.
    std::mutex mutex_;
    bool waiting_ = false;
    bool received_ = false;
    Awaited awaited_ = Awaited::Voice;
    std::array<std::uint8_t, kTg33DumpSize> reply_{};
    std::size_t replySize_ = 0;
    // Taking a bank, under mutex_.
    bool bankListening_ = false;
    bool bankRequested_ = false;
    std::optional<DumpLayout> bankExpected_;
    std::vector<std::uint8_t> bankMessage_;
    int bankBlocks_ = 0;
    int bankBlocksOf_ = 0;
    std::chrono::steady_clock::time_point bankActivity_{};
    std::chrono::steady_clock::time_point bankStart_{};
    std::chrono::milliseconds bankReplyWait_ = kBankReplyWait;

    // The send queue, shared with the sending thread.
    mutable std::mutex sendMutex_;
    std::condition_variable sendWake_;      // something queued, or stop
    std::condition_variable handedOver_;    // the queue ran empty
    SendPacer pacer_;
    bool inFlight_ = false;
    bool stopSending_ = false;
    std::string sendError_;
    // The early request while the sending thread has yet to send it, and
    // the outcome of sending it (empty: sent, or not yet tried).
    std::vector<std::uint8_t> earlyQueued_;
    std::string earlySendError_;
    // Held while the send listener is called or replaced.
    std::mutex listenerMutex_;
    SendListener sendListener_;
    // The sending thread and the caller's thread both use the backend's output.
    std::mutex outputMutex_;
    std::thread sender_;   // last: it starts once everything above exists
};

} // namespace morvane
