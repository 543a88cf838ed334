#include "platform/wait/completion_wait.hpp"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace xingfan::platform::wait {

// Registers the waiting thread's dispatcher with the signal for the length of one wait, so that
// the worker's notify() wakes it, and never touches it once the wait is over.
class WaitScope {
public:
    WaitScope(CompletionSignal& signal, QAbstractEventDispatcher* dispatcher) : signal_(signal)
    {
        std::lock_guard guard(signal_.mutex_);
        previous_ = signal_.waiter_;
        signal_.waiter_ = dispatcher;
    }
    ~WaitScope()
    {
        std::lock_guard guard(signal_.mutex_);
        signal_.waiter_ = previous_;
    }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

private:
    CompletionSignal& signal_;
    QAbstractEventDispatcher* previous_ = nullptr;
};

void CompletionSignal::notify()
{
    std::lock_guard guard(mutex_);
    notified_ = true;
    ended_.notify_all();
    if (waiter_ != nullptr)
        waiter_->wakeUp();
}

bool CompletionSignal::notified() const
{
    std::lock_guard guard(mutex_);
    return notified_;
}

bool CompletionSignal::waitFor(std::chrono::milliseconds limit)
{
    std::unique_lock lock(mutex_);
    return ended_.wait_for(lock, limit, [this] { return notified_; });
}

WaitOutcome waitForCompletionOrEvents(CompletionSignal& signal, std::chrono::milliseconds period)
{
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (dispatcher == nullptr)
        return signal.waitFor(period) ? WaitOutcome::Completed : WaitOutcome::TimedOut;

    WaitScope scope(signal, dispatcher);
    bool periodOver = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &deadline, [&periodOver] { periodOver = true; });

    for (;;) {
        const bool ended = signal.notified();
        deadline.start(period);
        // Sleeps until anything arrives for this thread (input, timer, paint, a posted event, or
        // the worker's wake-up), then handles everything that is pending. Once the worker has
        // ended, only what is already pending is handled.
        dispatcher->processEvents(ended ? QEventLoop::AllEvents
                                        : QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        if (ended || signal.notified())
            return WaitOutcome::Completed;
        if (periodOver)
            return WaitOutcome::TimedOut;
    }
}

}  // namespace xingfan::platform::wait
