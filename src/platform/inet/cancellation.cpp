#include "platform/inet/inet.hpp"

#include <curl/curl.h>

namespace xingfan::platform::inet {

Cancellation::Cancellation() = default;
Cancellation::~Cancellation() = default;

void Cancellation::cancel()
{
    std::lock_guard guard(mutex_);
    cancelled_ = true;
    if (multi_ != nullptr)
        curl_multi_wakeup(static_cast<CURLM*>(multi_));
}

bool Cancellation::cancelled() const
{
    std::lock_guard guard(mutex_);
    return cancelled_;
}

void Cancellation::attach(void* curlMulti)
{
    std::lock_guard guard(mutex_);
    multi_ = curlMulti;
}

void Cancellation::detach()
{
    std::lock_guard guard(mutex_);
    multi_ = nullptr;
}

}  // namespace xingfan::platform::inet
