// The program's link with the instrument: the voice sent as a bulk dump,
// the instrument's edit voice fetched, the pace of sends and the test note.
// It knows no window and no settings: the caller says which channel, model
// and note. The port may be absent (no MIDI system) or replaced while the
// program runs, so the link looks at the program's port each time.
#pragma once

#include "Clock.h"
#include "MidiPort.h"
#include "VoiceParameters.h"

#include <memory>

namespace morvane {

class TestNote;
class VoiceData;

class InstrumentLink {
public:
    // `port` is the program's slot for the open port; `voice` the current
    // voice that is sent and that a fetched voice replaces. The test note's
    // length is measured on `now`.
    InstrumentLink(MidiPort* const& port, VoiceData& voice, Now now = SteadyClock::now);
    ~InstrumentLink();

    // The whole voice as one bulk dump on `channel`, through the paced send
    // path: it returns at once, and a state that waits for the cable is
    // replaced by a newer one. The outcome reaches the port's listener.
    void sendVoice(int channel);
    // Another voice the same way, for the instrument to play while the
    // current voice stays as it is (the morph pad, a variation heard).
    void sendVoice(const VoiceParameters& voice, int channel);
    // The pace of sends.
    void setWireRate(int baud);
    // The instrument's edit voice in the layout of `model`, asked for on
    // `channel`: on arrival it is the current voice; otherwise the voice is
    // untouched and the result says why.
    VoiceRequest requestVoice(int model, int channel);

    // The test note: started held, then released; stopTestNote ends one that
    // sounds. Nothing is sent while no port is open.
    // With `afterVoice` the note-on goes behind the voice that waits for the
    // cable, so the note sounds with it (the note's length still counts
    // from now).
    void startTestNote(int channel, int key, int velocity, int lengthMs, bool afterVoice = false);
    void releaseTestNote();
    void stopTestNote();
    bool testNoteSounding() const;
    TestNote& testNote() { return *testNote_; }

private:
    MidiPort* const& port_;
    VoiceData& voice_;
    std::unique_ptr<TestNote> testNote_;
    bool afterVoice_ = false;  // while a note starts behind the voice
};

} // namespace morvane
