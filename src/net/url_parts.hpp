#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Splitting an "http://host[:port]/path" address into what the connection needs. Whatever the
// address looks like, each function returns a piece; addresses of another form simply give
// pieces that the connection then uses as they are.
namespace xingfan::net {

// The host in lower case; with `keepPort` the ":" and port stay attached.
std::string urlHost(std::string_view url, bool keepPort = false);

// The object path from the first "/" after the host to the end, unchanged; "/" when none.
std::string urlPath(std::string_view url);

// The port after the host's ":"; 80 when the host names none, 0 when no number follows it.
std::int32_t urlPort(std::string_view url);

}  // namespace xingfan::net
