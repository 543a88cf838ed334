#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

class QAbstractEventDispatcher;

// Waiting on the GUI thread for a worker thread without freezing the windows.
namespace xingfan::platform::wait {

// Shared by a worker thread, which signals its end, and the thread that waits for it. Either
// side may outlive the other.
class CompletionSignal {
public:
    // Called by the worker as its last act.
    void notify();
    bool notified() const;
    // Blocks for at most `limit`; true when notified by then.
    bool waitFor(std::chrono::milliseconds limit);

private:
    friend class WaitScope;

    mutable std::mutex mutex_;
    std::condition_variable ended_;
    bool notified_ = false;
    QAbstractEventDispatcher* waiter_ = nullptr;  // the waiting thread's dispatcher, while it waits
};

enum class WaitOutcome { Completed, TimedOut };

// Waits until `signal` is notified, or until a whole `period` passes in which neither that
// happens nor any event of the calling thread arrives. After every wake-up all pending events
// of the calling thread are processed, and the period starts again; a steady flow of events
// therefore postpones the time-out without limit. On a thread without an event dispatcher it
// simply waits for the signal for at most `period`.
WaitOutcome waitForCompletionOrEvents(CompletionSignal& signal, std::chrono::milliseconds period);

}  // namespace xingfan::platform::wait
