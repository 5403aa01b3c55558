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

void SendPacer::offerMessage(Bytes message)
{
    queue_.push_back({std::move(message), false});
}

void SendPacer::offerShort(Bytes message)
{
    const auto after = std::find_if(queue_.begin(), queue_.end(), [](const Entry& e) { return !e.urgent; });
    queue_.insert(after, {std::move(message), false, true});
}

std::optional<SendPacer::Bytes> SendPacer::takeDue()
{
    if (queue_.empty())
        return std::nullopt;
    const Clock::time_point now = now_();
    const bool urgent = queue_.front().urgent;
    if (!urgent && baud_ != kAtOnce && now < busyUntil_)
        return std::nullopt;
    Bytes message = std::move(queue_.front().bytes);
    queue_.pop_front();
    // The cable starts on it now, or, for a short message handed over while
    // it is busy, once it is free.
    busyUntil_ = std::max(now, busyUntil_) + wireTime(message.size());
    return message;
}

std::optional<SendPacer::Clock::time_point> SendPacer::nextDue() const
{
    if (queue_.empty())
        return std::nullopt;
    return baud_ == kAtOnce || queue_.front().urgent ? Clock::time_point{} : busyUntil_;
}

} // namespace morvane
