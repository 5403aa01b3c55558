#include "EventLoopWaiter.h"

#include <QEventLoop>
#include <QTimer>

namespace morvane {

void EventLoopWaiter::waitUntil(std::chrono::steady_clock::time_point deadline, const std::function<bool()>& done)
{
    if (done())
        return;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
        return;
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
