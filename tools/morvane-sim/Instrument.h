// What the simulated instrument does with each System Exclusive message it
// receives, apart from any MIDI system: answers dump requests with its edit
// voice and takes every voice dump it is sent; answers bank requests with
// its internal memory (64 voices, and on the SY the multi data) and takes
// every whole bank it is sent into that memory. As a TG-33 it also answers
// the multi request with its edit multi and takes every multi dump it is sent.
#pragma once

#include "Multi.h"
#include "VoiceBank.h"
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
        std::vector<std::vector<std::uint8_t>> bankBlocks; // a bank to send, each piece followed by a pause
        std::vector<std::string> blockLog;                 // blocks of a bank that came whole with this message
    };

    explicit Instrument(Options options);

    // Starts from the reset voice; this loads a voice file instead.
    VoiceFileResult loadVoiceFile(const std::string& path);

    // Starts from 64 voices of its own ("SIM 01" to "SIM 64") and multi data
    // of its own; this puts a whole bank file (SY or TG-33) in their place.
    // An empty text when it did, otherwise why not.
    std::string loadBankFile(const std::string& path);

    Response handle(const std::uint8_t* data, std::size_t size);

    // The part of a message that has come so far: a line for each block of
    // a bank that has come whole since the last call.
    std::vector<std::string> progress(const std::uint8_t* data, std::size_t size);

    // The memory it answers a bank request of that layout with.
    const VoiceBank& bank(DumpLayout layout) const { return layout == DumpLayout::Tg33 ? tgBank_ : syBank_; }

    VoiceParameters& voice() { return voice_; }
    // The edit multi: "SIM MULT", each part playing its own voice at its own
    // volume, until a multi dump takes its place.
    const Multi& multi() const { return multi_; }
    VoiceData& voiceData() { return voiceData_; }

    // The messages that --send-foreign sends: a voice-sized message from
    // another maker, a truncated voice dump and an overlong one, all carrying
    // a voice named "FOREIGN!" that must never reach the editor.
    static std::vector<std::vector<std::uint8_t>> foreignMessages();

private:
    // A multi request or a multi dump; false for anything else.
    bool handleMulti(const std::uint8_t* data, std::size_t size, Response& response);

private:
    Options options_;
    VoiceParameters voice_{};
    VoiceData voiceData_{voice_};
    VoiceBank syBank_{DumpLayout::Sy};
    VoiceBank tgBank_{DumpLayout::Tg33};
    Multi multi_;
    int blocksSeen_ = 0;          // of the bank arriving now
    std::size_t seenSize_ = 0;
};

} // namespace morvane
