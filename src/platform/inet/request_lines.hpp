#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The header lines of a request, in the order they go on the wire.
namespace xingfan::platform::inet {

struct RequestLineParts {
    std::vector<std::string> leading;   // lines before Host (the single-call read's Accept)
    std::string host;                   // the Host line's value
    std::string method;                 // as it goes out; empty means GET
    std::optional<std::size_t> bodySize;  // set when a body goes out
    std::string agent;
    std::string_view callerHeaders;     // the caller's lines, each ended by CR LF
    bool keepCallerHost = true;         // false on a hop to another server
    bool keepCallerContentLength = true;  // false once a redirect has dropped the body
    std::string cookie;                 // the Cookie line's value; empty: no line
};

// True for the methods that never carry a body: empty and GET (ASCII case ignored).
bool isGetMethod(std::string_view method);

// The caller's header text as lines: split at LF, a CR before it dropped, empty lines skipped.
std::vector<std::string> splitHeaderLines(std::string_view text);

// Host, Content-Length (a body's length, or 0 for a method other than GET without one),
// User-Agent, the caller's lines, Cookie. Of the caller's lines named Host, User-Agent or
// Content-Length the last of each name replaces the built-in line at its own place and the
// others are dropped, so no request carries two of them.
std::vector<std::string> requestHeaderLines(const RequestLineParts& parts);

}  // namespace xingfan::platform::inet
