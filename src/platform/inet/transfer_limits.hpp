#pragma once

#include <chrono>

// How long a transfer may take to connect (name look-up included) and how long it may go
// without receiving data. The defaults are the platform's; tests shorten them.
namespace xingfan::platform::inet {

struct TransferLimits {
    std::chrono::milliseconds connect{60'000};
    std::chrono::milliseconds idle{30'000};
};

TransferLimits transferLimits();
void setTransferLimits(TransferLimits limits);

// curl_global_init, once per process, whichever thread asks first.
void ensureCurlInitialised();

}  // namespace xingfan::platform::inet
