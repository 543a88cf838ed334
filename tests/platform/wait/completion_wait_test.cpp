#include "platform/wait/completion_wait.hpp"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>

using namespace xingfan::platform::wait;
using namespace std::chrono_literals;

TEST(CompletionWait, ReturnsWhenTheWorkerEnds)
{
    CompletionSignal signal;
    std::thread worker([&] {
        std::this_thread::sleep_for(50ms);
        signal.notify();
    });
    EXPECT_EQ(waitForCompletionOrEvents(signal, 60s), WaitOutcome::Completed);
    worker.join();
}

TEST(CompletionWait, TimesOutAfterAWholeQuietPeriod)
{
    CompletionSignal signal;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(waitForCompletionOrEvents(signal, 200ms), WaitOutcome::TimedOut);
    EXPECT_GE(clock.elapsed(), 200 - 1);
}

TEST(CompletionWait, ProcessesPendingEventsWhileWaiting)
{
    CompletionSignal signal;
    bool handled = false;
    QTimer::singleShot(0, qApp, [&] { handled = true; });
    std::thread worker([&] {
        std::this_thread::sleep_for(100ms);
        signal.notify();
    });
    EXPECT_EQ(waitForCompletionOrEvents(signal, 60s), WaitOutcome::Completed);
    worker.join();
    EXPECT_TRUE(handled);
}

TEST(CompletionWait, EveryEventStartsThePeriodAgain)
{
    // Ticks every 100 ms for 1 s keep a 300 ms wait going until they stop; it ends a whole
    // period after the last of them.
    CompletionSignal signal;
    QElapsedTimer clock;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    int ticks = 0;
    qint64 lastTickAt = 0;
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
        lastTickAt = clock.elapsed();
        if (++ticks == 10)
            ticker.stop();
    });
    clock.start();
    ticker.start(100);
    EXPECT_EQ(waitForCompletionOrEvents(signal, 300ms), WaitOutcome::TimedOut);
    EXPECT_EQ(ticks, 10);
    // One millisecond of slack for the clock's rounding.
    EXPECT_GE(clock.elapsed(), lastTickAt + 300 - 1);
}

TEST(CompletionWait, AnEndedWorkerStillLetsPendingEventsRun)
{
    CompletionSignal signal;
    signal.notify();
    bool handled = false;
    QTimer::singleShot(0, qApp, [&] { handled = true; });
    EXPECT_EQ(waitForCompletionOrEvents(signal, 60s), WaitOutcome::Completed);
    EXPECT_TRUE(handled);
}

TEST(CompletionWait, WithoutAnEventLoopWaitsForTheSignalAlone)
{
    WaitOutcome outcome = WaitOutcome::TimedOut;
    std::thread waiter([&] {
        CompletionSignal signal;
        std::thread worker([&] { signal.notify(); });
        outcome = waitForCompletionOrEvents(signal, 60s);
        worker.join();
    });
    waiter.join();
    EXPECT_EQ(outcome, WaitOutcome::Completed);
}
