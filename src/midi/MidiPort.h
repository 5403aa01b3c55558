// The program's one MIDI input and one MIDI output: opening them, sending
// the voice, and asking the instrument for its edit voice.
#pragma once

#include "MidiBackend.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
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
    void close();
    bool inputIsOpen() const { return inputOpen_; }
    bool outputIsOpen() const { return outputOpen_; }

    // Sends the voice as one bulk dump with the channel (0-15) in its device
    // byte. Returns once the MIDI system has the whole message; false when
    // it could not be sent (nothing is reported).
    bool sendVoice(const VoiceData& voiceData, int midiChannel);

    // Sends the dump request of `model` (2 TG-33, anything else SY-22/SY-35)
    // on the channel and waits for the instrument's voice dump. Only a
    // complete voice dump, in either layout, ends the wait; it is decoded into
    // the voice and true is returned. When none comes within the wait the
    // voice is untouched and false is returned. The calling thread blocks,
    // without using the processor, for the whole wait.
    bool requestVoice(int model, int midiChannel, VoiceData& voiceData);

    // For tests that cannot afford the full wait.
    void setReplyWait(std::chrono::milliseconds wait) { replyWait_ = wait; }

private:
    void onSysEx(const std::uint8_t* data, std::size_t size);

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
};

} // namespace morvane
