// The undo history of the edit voice: every step the user takes is kept as
// the whole voice after it, so undoing and redoing only move along the list.
// A run of changes under one key (one control held or dragged) within a
// short pause is one step. The oldest steps go when the list is full.
#pragma once

#include "VoiceParameters.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <string>

namespace morvane {

class VoiceHistory {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t kDefaultSteps = 1000;
    static constexpr std::chrono::milliseconds kPause{800};

    explicit VoiceHistory(const VoiceParameters& start, std::size_t steps = kDefaultSteps);

    // The voice now stands as `now` after a step named `name`. Nothing is
    // kept when it did not change. A change under the same non-empty key as
    // the last step, within the pause, joins that step. Redo is cleared.
    void record(const VoiceParameters& now, const std::string& name, const std::string& key, Clock::time_point at);

    bool canUndo() const { return index_ > 0; }
    bool canRedo() const { return index_ + 1 < states_.size(); }
    // The names of the steps that undo and redo would take back or again.
    const std::string& undoName() const;
    const std::string& redoName() const;

    // Move one step and return the voice as it stands there.
    const VoiceParameters& undo();
    const VoiceParameters& redo();
    const VoiceParameters& current() const { return states_[index_].voice; }
    std::size_t steps() const { return states_.size() - 1; }

private:
    struct State {
        VoiceParameters voice;
        std::string name;  // the step that led here
        std::string key;
        Clock::time_point at;
    };
    std::deque<State> states_;
    std::size_t index_ = 0;
    std::size_t capacity_;
};

} // namespace morvane
