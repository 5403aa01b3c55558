// The state of editing one voice, apart from any window: the undo history,
// compare with the voice as last loaded, whether the voice differs from the
// one last loaded or saved, and the sound-design transformations. It works
// on the current voice it is given and says what changed; showing the
// voice and sending it are left to the caller.
#pragma once

#include "VoiceHistory.h"
#include "VoiceParameters.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace morvane {

class EditSession {
public:
    using Clock = VoiceHistory::Clock;
    using Now = std::function<Clock::time_point()>;
    // A run of edits under one key joins one step when it comes within the
    // history's pause, measured on `now`.
    explicit EditSession(VoiceParameters& voice, Now now = Clock::now);

    // The history starts with the voice as it stands when first asked for;
    // until a voice is loaded, compare shows that voice too.
    void begin();
    const VoiceHistory* history() const { return history_ ? &*history_ : nullptr; }

    // The voice now stands after the step `name`: an edit of the field
    // `key`, or a step of its own with no key.
    void record(const std::string& name, const std::string& key);
    // A voice came in from elsewhere (a file, the library, the instrument):
    // compare shows it from now on, compare ends, and it is the step
    // "Load voice" (the start of the history when none has begun).
    void loaded();
    // The voice was written out: it is no longer edited.
    void saved();
    // The voice differs from the one last loaded or saved.
    bool edited() const;

    // Compare puts the loaded voice in place of the edited one and back; it
    // is no step. False when it was already so.
    bool comparing() const { return comparing_; }
    bool setComparing(bool on);

    // Undo and redo end compare and move one step; false when there was no
    // step to move to (compare ends all the same).
    bool undo();
    bool redo();

    // Sound design: the result replaces the voice as one step of its own
    // name, after compare ends. See randomiseVoice and blendVoices.
    void randomise(int amount, unsigned parts, std::uint32_t seed);
    void blend(const VoiceParameters& other, int mix);
    // A voice made elsewhere (the morph pad, a variation) becomes the
    // edited voice as one step of the name given.
    void take(const VoiceParameters& result, const std::string& name);

private:
    VoiceParameters& voice_;
    Now now_;
    std::optional<VoiceHistory> history_;
    std::optional<VoiceParameters> loaded_;
    std::optional<VoiceParameters> clean_;
    bool comparing_ = false;

    void apply(const VoiceParameters& result, const std::string& name);
};

} // namespace morvane
