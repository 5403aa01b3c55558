#include "EditSession.h"

#include "VoiceTransforms.h"

#include <cstring>

namespace morvane {

EditSession::EditSession(VoiceParameters& voice, Now now) : voice_(voice), now_(std::move(now)) {}

void EditSession::begin()
{
    if (history_)
        return;
    history_.emplace(voice_);
    if (!loaded_)
        loaded_ = voice_;
    if (!clean_)
        clean_ = voice_;
}

void EditSession::record(const std::string& name, const std::string& key)
{
    begin();
    history_->record(voice_, name, key, now_());
}

void EditSession::loaded()
{
    loaded_ = voice_;
    clean_ = voice_;
    // The loaded voice replaced the one compare showed; the edited voice is
    // the history's latest state, and the load becomes a step after it.
    comparing_ = false;
    if (history_)
        record("Load voice", {});
    else
        begin();
}

void EditSession::saved()
{
    clean_ = voice_;
}

bool EditSession::edited() const
{
    return clean_ && std::memcmp(&*clean_, &voice_, sizeof(VoiceParameters)) != 0;
}

bool EditSession::setComparing(bool on)
{
    if (on == comparing_)
        return false;
    begin();
    comparing_ = on;
    // Every edit is in the history at once, so its latest state is the
    // edited voice: nothing needs keeping aside while comparing.
    voice_ = on ? *loaded_ : history_->current();
    return true;
}

bool EditSession::undo()
{
    setComparing(false);
    if (!history_ || !history_->canUndo())
        return false;
    voice_ = history_->undo();
    return true;
}

bool EditSession::redo()
{
    setComparing(false);
    if (!history_ || !history_->canRedo())
        return false;
    voice_ = history_->redo();
    return true;
}

void EditSession::apply(const VoiceParameters& result, const std::string& name)
{
    begin();
    voice_ = result;
    record(name, {});
}

void EditSession::randomise(int amount, unsigned parts, std::uint32_t seed)
{
    setComparing(false);
    VoiceParameters result = voice_;
    randomiseVoice(result, amount, parts, seed);
    apply(result, "Randomise");
}

void EditSession::blend(const VoiceParameters& other, int mix)
{
    setComparing(false);
    apply(blendVoices(voice_, other, mix), "Blend");
}

void EditSession::take(const VoiceParameters& result, const std::string& name)
{
    setComparing(false);
    apply(result, name);
}

} // namespace morvane
