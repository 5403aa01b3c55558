// Waits for the instrument's reply on the window thread without freezing the
// windows: a local event loop runs until the reply or the deadline. It skips
// key presses and mouse clicks, so the user still cannot act during the
// wait, but windows repaint and timers run. The MIDI thread wakes it through
// a queued call.
#pragma once

#include "MidiPort.h"

#include <QObject>

class QEventLoop;

namespace morvane {

class EventLoopWaiter : public QObject, public ReplyWaiter {
public:
    // The deadlines are times of `now`, the port's clock.
    explicit EventLoopWaiter(Now now = SteadyClock::now) : now_(std::move(now)) {}

    void waitUntil(SteadyClock::time_point deadline, const std::function<bool()>& done) override;
    void wake() override;

private:
    void runLoop(std::chrono::milliseconds left, const std::function<bool()>& done);

    Now now_;
    // Set only on the window thread, while a wait runs.
    QEventLoop* loop_ = nullptr;
    const std::function<bool()>* done_ = nullptr;
};

} // namespace morvane
