#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Where one HTTP request goes: used for the single-call read's address and for following a
// redirect's Location.
namespace xingfan::platform::inet {

struct HttpAddress {
    std::string host;         // lower case, no port
    std::int32_t port = 80;
    std::string path = "/";   // request target: path and query, never the fragment

    // The Host line's value: ":<port>" only when the port is not 80.
    std::string hostAndPort() const;
    // "http://<host[:port]><path>", the absolute form a proxy is sent.
    std::string absolute() const;

    friend bool operator==(const HttpAddress&, const HttpAddress&) = default;
};

// An "http://host[:port][/path]" address (the scheme's letters in any case). Nullopt for another
// scheme, no host, or a port that is not a number from 1 to 65535.
std::optional<HttpAddress> parseHttpAddress(std::string_view url);

// The address a Location value leads to from `base`: absolute ("http://..."), scheme-relative
// ("//host/p"), absolute-path or relative references; dot segments of a relative reference are
// resolved. Nullopt when it is empty or leads to another scheme.
std::optional<HttpAddress> resolveLocation(const HttpAddress& base, std::string_view location);

// A request target as it may stand in a request line: spaces and control bytes, which would
// end the target or the line early, become %XX; every other byte stays as it is.
std::string escapeRequestTarget(std::string_view target);

}  // namespace xingfan::platform::inet
