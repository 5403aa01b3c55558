#include "VoiceHistory.h"

#include <cstring>

namespace morvane {

namespace {

bool same(const VoiceParameters& a, const VoiceParameters& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

const std::string kNone;

} // namespace

VoiceHistory::VoiceHistory(const VoiceParameters& start, std::size_t steps) : capacity_(steps)
{
    states_.push_back({start, {}, {}, {}});
}

void VoiceHistory::record(const VoiceParameters& now, const std::string& name, const std::string& key,
                          Clock::time_point at)
{
    if (same(now, states_[index_].voice))
        return;
    states_.erase(states_.begin() + static_cast<std::ptrdiff_t>(index_) + 1, states_.end());
    State& last = states_[index_];
    if (index_ > 0 && !key.empty() && key == last.key && at - last.at <= kPause) {
        last.voice = now;
        last.at = at;
        return;
    }
    states_.push_back({now, name, key, at});
    ++index_;
    while (states_.size() > capacity_ + 1) {
        states_.pop_front();
        --index_;
    }
}

const std::string& VoiceHistory::undoName() const
{
    return canUndo() ? states_[index_].name : kNone;
}

const std::string& VoiceHistory::redoName() const
{
    return canRedo() ? states_[index_ + 1].name : kNone;
}

const VoiceParameters& VoiceHistory::undo()
{
    if (canUndo())
        --index_;
    return current();
}

const VoiceParameters& VoiceHistory::redo()
{
    if (canRedo())
        ++index_;
    return current();
}

} // namespace morvane
