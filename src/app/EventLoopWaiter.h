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
    void waitUntil(std::chrono::steady_clock::time_point deadline, const std::function<bool()>& done) override;
    void wake() override;

private:
    // Set only on the window thread, while a wait runs.
    QEventLoop* loop_ = nullptr;
    const std::function<bool()>* done_ = nullptr;
};

} // namespace morvane
