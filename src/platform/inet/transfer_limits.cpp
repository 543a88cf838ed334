#include "platform/inet/transfer_limits.hpp"

#include <atomic>

#include <curl/curl.h>

namespace xingfan::platform::inet {
namespace {

std::atomic<long long> connectMs{TransferLimits{}.connect.count()};
std::atomic<long long> idleMs{TransferLimits{}.idle.count()};

}  // namespace

TransferLimits transferLimits()
{
    return {.connect = std::chrono::milliseconds(connectMs.load()), .idle = std::chrono::milliseconds(idleMs.load())};
}

void setTransferLimits(TransferLimits limits)
{
    connectMs.store(limits.connect.count());
    idleMs.store(limits.idle.count());
}

void ensureCurlInitialised()
{
    // A function-local static is initialised exactly once, and other threads wait for it.
    [[maybe_unused]] static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
}

namespace {

// Initialised as the program loads, on the main thread: curl_global_init sets up the TLS library,
// whose per-thread state would otherwise belong to whichever worker asked first and be freed
// twice at exit, once by the library's exit handler and once as that thread ends.
[[maybe_unused]] const bool curlInitialisedAtLoad = (ensureCurlInitialised(), true);

}  // namespace

}  // namespace xingfan::platform::inet
