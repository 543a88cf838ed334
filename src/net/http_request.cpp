#include "net/http_request.hpp"

#include "net/http_worker.hpp"
#include "net/request_handoff.hpp"
#include "net/worker_threads.hpp"
#include "platform/wait/completion_wait.hpp"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <memory>

namespace xingfan::net {
namespace {

namespace wait = platform::wait;

// What the caller and its worker share. The worker holds its own reference, so a worker that is
// still running down after a time-out never outlives what it touches.
struct Exchange {
    RequestHandoff record;
    wait::CompletionSignal ended;
};

std::chrono::milliseconds waitPeriod(std::int32_t timeoutSeconds)
{
    const std::int64_t seconds = timeoutSeconds == 0 ? kDefaultTimeoutSeconds : timeoutSeconds;
    // The period is a 32-bit unsigned count of milliseconds.
    const auto milliseconds = static_cast<std::uint32_t>(seconds * 1000);
    // The event loop's timers take at most INT_MAX milliseconds (about 24 days).
    const auto bounded = std::min<std::int64_t>(milliseconds, std::numeric_limits<int>::max());
    return std::chrono::milliseconds(bounded);
}

}  // namespace

std::string httpRequest(const std::string& url, const HttpRequestOptions& options, std::string* responseHeaders)
{
    const auto exchange = std::make_shared<Exchange>();
    {
        RequestHandoff& record = exchange->record;
        auto lock = record.lock();
        record.writeText(RequestHandoff::kRequestMarker);
        record.writeText(url);
        record.writeText(options.method);
        record.writeText(options.proxy);
        record.writeText(options.user);
        record.writeText(options.password);
        record.writeText(options.headers);
        record.writeText(options.body);
    }

    const bool started = runOnWorkerThread([exchange] {
        httpWorker(&exchange->record);
        exchange->ended.notify();
    });
    if (!started) {
        if (responseHeaders != nullptr)
            responseHeaders->clear();
        return {};
    }

    const auto outcome = wait::waitForCompletionOrEvents(exchange->ended, waitPeriod(options.timeoutSeconds));

    std::string marker;
    std::string headerText;
    std::string body;
    {
        RequestHandoff& record = exchange->record;
        auto lock = record.lock();
        if (outcome == wait::WaitOutcome::TimedOut) {
            // Never killed: cancelled, it closes its connection and ends on its own reference.
            // Cancelled under the record's lock, so that the reply it writes as it runs down
            // comes after this read: the caller sees the record as the time-out found it.
            record.cancellation()->cancel();
        }
        record.rewind();
        marker = record.readText();
        headerText = record.readText();
        body = record.readBytes();
    }

    const bool replied = marker == RequestHandoff::kReplyMarker;
    if (responseHeaders != nullptr)
        *responseHeaders = replied ? headerText : std::string();
    if (!replied || outcome == wait::WaitOutcome::TimedOut)
        return {};
    return body;
}

}  // namespace xingfan::net
