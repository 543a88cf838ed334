#pragma once

#include <functional>

namespace xingfan::net {

// Runs `job` at once on a thread other than the caller's. A thread whose job has ended stays on
// standby for the next job, so that a run of requests does not pay for starting and ending a
// thread each time (on a virtual machine that alone can cost a third of a whole loopback
// exchange). A job that finds no thread on standby, one started while an earlier job is still
// running down for instance, gets a new thread. Threads on standby hold nothing of their last
// job and end with the process.
// Returns false, and drops the job, when no thread can be started.
bool runOnWorkerThread(std::function<void()> job);

}  // namespace xingfan::net
