#pragma once

#include "net/request_handoff.hpp"

namespace xingfan::net {

// Performs one HTTP exchange on the calling thread: takes the request out of `record` (which
// must start with the request marker), completes its headers with browser-like defaults, sends
// it, reads the whole body, and writes the reply (reply marker, raw header text, body) back.
// Cookies that the response sets are stored for the request's host. Ends without a reply when
// the exchange cannot even be opened or the method is neither GET nor POST.
void httpWorker(RequestHandoff* record);

}  // namespace xingfan::net
