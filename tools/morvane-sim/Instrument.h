// What the simulated instrument does with each System Exclusive message it
// receives, apart from any MIDI system: answers dump requests with its edit
// voice and takes every voice dump it is sent.
#pragma once

#include "VoiceData.h"
#include "VoiceFile.h"
#include "VoiceParameters.h"

#include "DumpFormat.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morvane {

class Instrument {
public:
    struct Options {
        bool silent = false;        // never answer a request
        bool sendForeign = false;   // send messages that are not voice dumps before answering
        int device = -1;            // 0-15: answer only requests for this device number; -1 any
        // Answer only this layout's request, as one model does; none: both.
        std::optional<DumpLayout> layout = std::nullopt;
    };

    // What to do about one received message.
    struct Response {
        std::string log;                                   // one line describing what came in
        std::vector<std::vector<std::uint8_t>> foreign;    // to send first
        std::vector<std::uint8_t> reply;                   // the voice dump; empty for none
        std::string replyLog;                              // one line describing the reply
        bool tookVoice = false;                            // a voice dump became the edit voice
    };

    explicit Instrument(Options options);

    // Starts from the reset voice; this loads a voice file instead.
    VoiceFileResult loadVoiceFile(const std::string& path);

    Response handle(const std::uint8_t* data, std::size_t size);

    VoiceParameters& voice() { return voice_; }
    VoiceData& voiceData() { return voiceData_; }

    // The messages that --send-foreign sends: a voice-sized message from
    // another maker, a truncated voice dump and an overlong one, all carrying
    // a voice named "FOREIGN!" that must never reach the editor.
    static std::vector<std::vector<std::uint8_t>> foreignMessages();

private:
    Options options_;
    VoiceParameters voice_{};
    VoiceData voiceData_{voice_};
};

} // namespace morvane
