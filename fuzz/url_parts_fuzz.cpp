// Any address splits into a host, a path and a port without failing, and the pieces keep the
// properties that the connection relies on.
#include "net/url_parts.hpp"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view url(reinterpret_cast<const char*>(data), size);
    const std::string host = xingfan::net::urlHost(url);
    const std::string hostWithPort = xingfan::net::urlHost(url, true);
    const std::string path = xingfan::net::urlPath(url);
    xingfan::net::urlPort(url);

    if (path.empty() || path.front() != '/')
        std::abort();
    if (hostWithPort.compare(0, host.size(), host) != 0)
        std::abort();
    for (const char c : host) {
        if (c >= 'A' && c <= 'Z')
            std::abort();
    }
    return 0;
}
