#include "SendPacer.h"

#include <algorithm>

namespace morvane {

SendPacer::SendPacer(Now now, int baud) : now_(std::move(now))
{
    setRate(baud);
}

SendPacer::Clock::duration SendPacer::wireTime(std::size_t size) const
{
    if (baud_ == kAtOnce)
        return Clock::duration::zero();
    // 10 bits a byte (start, 8 data, stop), and 1% more.
    const double seconds = static_cast<double>(size) * 10.0 * 1.01 / baud_;
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

void SendPacer::offerVoice(Bytes message)
{
    const auto waiting = std::find_if(queue_.begin(), queue_.end(), [](const Entry& e) { return e.voice; });
    if (waiting != queue_.end())
        waiting->bytes = std::move(message);
    else
        queue_.push_back({std::move(message), true});
}

void SendPacer::offerMulti(Bytes message)
{
    const auto waiting = std::find_if(queue_.begin(), queue_.end(), [](const Entry& e) { return e.multi; });
    if (waiting != queue_.end())
        waiting->bytes = std::move(message);
    else
        queue_.push_back({std::move(message), false, false, false, false, {}, true});
}

void SendPacer::offerMessage(Bytes message)
{
    queue_.push_back({std::move(message), false});
}

void SendPacer::offerShort(Bytes message)
{
    const auto after = std::find_if(queue_.begin(), queue_.end(), [](const Entry& e) { return !e.urgent; });
    queue_.insert(after, {std::move(message), false, true});
}

void SendPacer::offerBank(std::vector<Bytes> pieces, Clock::duration pause)
{
    bankTotal_ = static_cast<int>(pieces.size());
    bankSent_ = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const bool last = i + 1 == pieces.size();
        queue_.push_back({std::move(pieces[i]), false, false, true, last, last ? Clock::duration{} : pause});
    }
}

int SendPacer::dropBank()
{
    const auto before = queue_.size();
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(), [](const Entry& e) { return e.bank; }), queue_.end());
    const int dropped = static_cast<int>(before - queue_.size());
    if (dropped > 0 && bankOpen_)
        queue_.push_front({Bytes{0xF7}, false, false, true, true, {}});
    return dropped;
}

bool SendPacer::bankPending() const
{
    return bankOpen_ || std::any_of(queue_.begin(), queue_.end(), [](const Entry& e) { return e.bank; });
}

std::deque<SendPacer::Entry>::iterator SendPacer::next()
{
    if (!bankOpen_)
        return queue_.begin();
    return std::find_if(queue_.begin(), queue_.end(), [](const Entry& e) { return e.bank; });
}

std::optional<SendPacer::Bytes> SendPacer::takeDue()
{
    const auto entry = next();
    if (entry == queue_.end())
        return std::nullopt;
    const Clock::time_point now = now_();
    const bool urgent = entry->urgent;
    if (!urgent && ((baud_ != kAtOnce && now < busyUntil_) || now < holdUntil_))
        return std::nullopt;
    Entry taken = std::move(*entry);
    queue_.erase(entry);
    lastTaken_ = taken.bank    ? Carries::Bank
                 : taken.multi ? Carries::Multi
                 : taken.voice ? Carries::Voice
                               : Carries::Other;
    // The cable starts on it now, or, for a short message handed over while
    // it is busy, once it is free.
    busyUntil_ = std::max(now, busyUntil_) + wireTime(taken.bytes.size());
    if (taken.bank) {
        bankOpen_ = !taken.closesBank;
        if (taken.bytes.size() > 1 || taken.bytes.front() != 0xF7)
            ++bankSent_;
        // The instrument is at the end of a MIDI cable however fast the link
        // to the interface: its pause counts from when the cable has carried
        // the block.
        const auto cable = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(static_cast<double>(taken.bytes.size()) * 10.0 * 1.01 / kCableBaud));
        holdUntil_ = std::max(busyUntil_, now + cable) + taken.pauseAfter;
    }
    return std::move(taken.bytes);
}

std::optional<SendPacer::Clock::time_point> SendPacer::nextDue() const
{
    auto entry = queue_.begin();
    if (bankOpen_)
        entry = std::find_if(queue_.begin(), queue_.end(), [](const Entry& e) { return e.bank; });
    if (entry == queue_.end())
        return std::nullopt;
    if (entry->urgent)
        return Clock::time_point{};
    return std::max(baud_ == kAtOnce ? Clock::time_point{} : busyUntil_, holdUntil_);
}

} // namespace morvane
