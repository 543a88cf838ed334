#include "net/worker_threads.hpp"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace xingfan::net {
namespace {

class WorkerThreads {
public:
    bool run(std::function<void()> job)
    {
        std::unique_lock lock(mutex_);
        if (standby_ > 0) {
            --standby_;
            jobs_.push_back(std::move(job));
            lock.unlock();
            jobArrived_.notify_one();
            return true;
        }
        lock.unlock();
        try {
            std::thread(&WorkerThreads::serve, this, std::move(job)).detach();
        } catch (const std::system_error&) {
            return false;
        }
        return true;
    }

private:
    [[noreturn]] void serve(std::function<void()> job)
    {
        for (;;) {
            job();
            job = nullptr;  // what the job holds is released before the thread waits
            std::unique_lock lock(mutex_);
            ++standby_;
            jobArrived_.wait(lock, [this] { return !jobs_.empty(); });
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
    }

    std::mutex mutex_;
    std::condition_variable jobArrived_;
    // Every queued job has been counted off `standby_`, so each one has a waiting thread to take it.
    std::deque<std::function<void()>> jobs_;
    std::size_t standby_ = 0;  // waiting threads that no queued job is meant for
};

}  // namespace

bool runOnWorkerThread(std::function<void()> job)
{
    // Never destroyed: threads on standby wait on it until the process ends.
    static auto* const threads = new WorkerThreads;
    return threads->run(std::move(job));
}

}  // namespace xingfan::net
