// A clock that moves only when a test moves it, and a reply wait on it that
// takes no time: whatever comes during the wait comes, then the clock jumps
// to the deadline unless the wait is over.
#pragma once

#include "Clock.h"
#include "MidiPort.h"

#include <functional>
#include <mutex>
#include <vector>

namespace morvane::test {

class ManualClock {
public:
    // Any start will do; not the clock's epoch, which the pacer treats as
    // "long ago".
    explicit ManualClock(SteadyClock::time_point start = SteadyClock::time_point{} + std::chrono::hours(1))
        : time_(start)
    {
    }

    Now now()
    {
        return [this] { return time(); };
    }
    SteadyClock::time_point time() const
    {
        std::lock_guard lock(mutex_);
        return time_;
    }
    void advance(SteadyClock::duration by)
    {
        std::lock_guard lock(mutex_);
        time_ += by;
    }
    void advanceTo(SteadyClock::time_point to)
    {
        std::lock_guard lock(mutex_);
        if (to > time_)
            time_ = to;
    }

private:
    mutable std::mutex mutex_;
    SteadyClock::time_point time_;
};

class ManualWaiter : public ReplyWaiter {
public:
    // `meanwhile` runs at the start of each wait: what the instrument does
    // while the port waits.
    explicit ManualWaiter(ManualClock& clock, std::vector<SteadyClock::duration>& waits,
                          std::function<void()> meanwhile = {})
        : clock_(clock), waits_(waits), meanwhile_(std::move(meanwhile))
    {
    }

    void waitUntil(SteadyClock::time_point deadline, const std::function<bool()>& done) override
    {
        waits_.push_back(deadline - clock_.time());
        if (meanwhile_)
            meanwhile_();
        if (!done())
            clock_.advanceTo(deadline);
    }
    void wake() override {}

private:
    ManualClock& clock_;
    std::vector<SteadyClock::duration>& waits_;
    std::function<void()> meanwhile_;
};

} // namespace morvane::test
