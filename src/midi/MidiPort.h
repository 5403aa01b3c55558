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

class MidiPort {
public:
    // Shows an open failure to the user; called on the caller's thread, once
    // per failing direction, with the MIDI system's own text.
    using ErrorReporter = std::function<void(const std::string& text)>;

    // How long requestVoice waits when nothing comes: more than 2 and at most
    // 3 seconds.
    static constexpr std::chrono::milliseconds kReplyWait{2500};

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
    // the voice and true is returned. When none comes within the wait the
    // voice is untouched and false is returned. The calling thread blocks,
    // without using the processor, for the whole wait.
    bool requestVoice(int model, int midiChannel, VoiceData& voiceData);

    // For tests that cannot afford the full wait.
    void setReplyWait(std::chrono::milliseconds wait) { replyWait_ = wait; }

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

    // Shared with the MIDI thread, which only hands a dump over.
    std::mutex mutex_;
    std::condition_variable replyArrived_;
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
