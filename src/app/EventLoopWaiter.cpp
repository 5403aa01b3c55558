#include "EventLoopWaiter.h"

#include <QEventLoop>
#include <QTimer>

namespace morvane {

void EventLoopWaiter::waitUntil(SteadyClock::time_point deadline, const std::function<bool()>& done)
{
    // The time left is read from the clock again after each wait: a clock
    // other than the machine's may have moved more or less.
    while (!done()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now_());
        if (left.count() <= 0)
            return;
        runLoop(left, done);
    }
}

void EventLoopWaiter::runLoop(std::chrono::milliseconds left, const std::function<bool()>& done)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(left);
    loop_ = &loop;
    done_ = &done;
    // A wake posted before the loop runs is delivered inside it.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    loop_ = nullptr;
    done_ = nullptr;
}

void EventLoopWaiter::wake()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (loop_ != nullptr && (*done_)())
                loop_->quit();
        },
        Qt::QueuedConnection);
}

} // namespace morvane
