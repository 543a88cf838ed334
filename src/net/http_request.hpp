#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace xingfan::net {

// The optional arguments of httpRequest; a blank value (nothing but ASCII and full-width
// spaces) counts as none.
struct HttpRequestOptions {
    std::string method;        // "GET", "POST" or empty (GET), ASCII case ignored
    std::string proxy;         // HTTP proxy server; blank: a direct connection
    std::string user;          // the server's user name
    std::string password;      // the server's password
    std::string headers;       // extra header lines, each ended by CR LF
    std::string body;          // the body of a POST
    std::int32_t timeoutSeconds = 0;  // 0: 90 seconds
};

inline constexpr std::int32_t kDefaultTimeoutSeconds = 90;

// One HTTP exchange on a worker thread while the calling (GUI) thread keeps processing its
// events. Returns the response body byte for byte, or an empty buffer on any failure or when
// the time-out passed with neither the worker ending nor an event arriving. When given,
// `responseHeaders` receives the raw response header block.
std::string httpRequest(const std::string& url, const HttpRequestOptions& options = {},
                        std::string* responseHeaders = nullptr);

}  // namespace xingfan::net
