#include "net/worker_threads.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include <sys/syscall.h>
#include <unistd.h>

using xingfan::net::runOnWorkerThread;
using namespace std::chrono_literals;

namespace {

// The kernel's thread id: unlike std::thread::id, it is not handed to the next thread that
// happens to get the same stack.
pid_t currentThread()
{
    return static_cast<pid_t>(::syscall(SYS_gettid));
}

// Runs a job that reports the thread it ran on, and waits until the job has ended and let go of
// what it held.
pid_t threadOfOneJob()
{
    auto held = std::make_shared<int>(0);
    const std::weak_ptr<int> watched = held;
    std::promise<pid_t> ranOn;
    auto reported = ranOn.get_future();
    EXPECT_TRUE(runOnWorkerThread([&ranOn, held = std::move(held)] { ranOn.set_value(currentThread()); }));
    EXPECT_EQ(reported.wait_for(10s), std::future_status::ready);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!watched.expired() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(watched.expired()) << "a finished job's captures must not stay alive on a waiting thread";
    return reported.get();
}

TEST(WorkerThreadsTest, AJobRunsOnAnotherThreadWhichTakesTheNextJobOnceFree)
{
    const pid_t first = threadOfOneJob();
    EXPECT_NE(first, currentThread());
    // The thread counts itself free just after letting go of the job, so a job started in that
    // moment may still get a new thread; a later one finds the first thread waiting. Kernel thread
    // ids are not reused this soon, so a thread started per job never matches.
    bool reused = false;
    for (int attempt = 0; attempt < 100 && !reused; ++attempt) {
        std::this_thread::sleep_for(10ms);
        reused = threadOfOneJob() == first;
    }
    EXPECT_TRUE(reused);
}

// A job must start at once even while every earlier thread is busy: the first job here ends only
// after the second has run, so queueing the second behind it would never finish.
TEST(WorkerThreadsTest, AJobStartedWhileAnotherRunsGetsAThreadOfItsOwn)
{
    std::promise<void> secondRan;
    auto secondDone = secondRan.get_future().share();
    std::promise<bool> firstSawSecond;
    auto firstResult = firstSawSecond.get_future();

    ASSERT_TRUE(runOnWorkerThread([&firstSawSecond, secondDone] {
        firstSawSecond.set_value(secondDone.wait_for(10s) == std::future_status::ready);
    }));
    ASSERT_TRUE(runOnWorkerThread([&secondRan] { secondRan.set_value(); }));

    ASSERT_EQ(firstResult.wait_for(20s), std::future_status::ready);
    EXPECT_TRUE(firstResult.get());
}

}  // namespace
