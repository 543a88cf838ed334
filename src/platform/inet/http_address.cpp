#include "platform/inet/http_address.hpp"

#include "text/gbk_search.hpp"

#include <algorithm>
#include <vector>

namespace xingfan::platform::inet {
namespace {

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// RFC 3986 5.2.4 on a path without query.
std::string removeDotSegments(std::string_view path)
{
    std::vector<std::string_view> kept;
    const bool trailingSlash = path.ends_with("/.") || path.ends_with("/..") || path == "." || path == "..";
    std::size_t start = path.starts_with('/') ? 1 : 0;
    for (;;) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view segment = path.substr(start, end - start);
        if (segment == "..") {
            if (!kept.empty())
                kept.pop_back();
        }
        else if (segment != ".") {
            kept.push_back(segment);
        }
        if (end == path.size())
            break;
        start = end + 1;
    }
    std::string result;
    for (const std::string_view segment : kept)
        result.append("/").append(segment);
    if (trailingSlash || result.empty())
        result += '/';
    return result;
}

// Resolves the dot segments of the path part and keeps the query as it is.
std::string normalise(std::string_view target)
{
    const std::size_t query = std::min(target.find('?'), target.size());
    return removeDotSegments(target.substr(0, query)) + std::string(target.substr(query));
}

}  // namespace

std::string HttpAddress::hostAndPort() const
{
    return port == 80 ? host : host + ":" + std::to_string(port);
}

std::string HttpAddress::absolute() const
{
    return "http://" + hostAndPort() + path;
}

std::optional<HttpAddress> parseHttpAddress(std::string_view url)
{
    constexpr std::string_view scheme = "http://";
    if (url.size() < scheme.size() || text::asciiLower(url.substr(0, scheme.size())) != scheme)
        return std::nullopt;
    url.remove_prefix(scheme.size());
    url = url.substr(0, url.find('#'));

    const std::size_t authorityEnd = std::min(url.find_first_of("/?"), url.size());
    std::string_view authority = url.substr(0, authorityEnd);
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);

    HttpAddress address;
    // A bracketed IPv6 literal keeps its colons.
    const std::size_t hostEnd = authority.starts_with('[') ? authority.find(']') : 0;
    const std::size_t colon = authority.find(':', hostEnd == std::string_view::npos ? 0 : hostEnd);
    address.host = text::asciiLower(authority.substr(0, colon));
    if (address.host.empty())
        return std::nullopt;
    if (colon != std::string_view::npos && colon + 1 < authority.size()) {
        const std::string_view digits = authority.substr(colon + 1);
        if (digits.size() > 5 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        address.port = std::stoi(std::string(digits));
        if (address.port < 1 || address.port > 65535)
            return std::nullopt;
    }

    const std::string_view target = url.substr(authorityEnd);
    if (target.empty())
        address.path = "/";
    else if (target.starts_with('?'))
        address.path = "/" + std::string(target);
    else
        address.path = target;
    return address;
}

std::string escapeRequestTarget(std::string_view target)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(target.size());
    for (const char c : target) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F) {
            escaped += '%';
            escaped += hex[byte >> 4];
            escaped += hex[byte & 0x0F];
        }
        else {
            escaped += c;
        }
    }
    return escaped;
}

std::optional<HttpAddress> resolveLocation(const HttpAddress& base, std::string_view location)
{
    while (!location.empty() && (location.front() == ' ' || location.front() == '\t'))
        location.remove_prefix(1);
    while (!location.empty() && (location.back() == ' ' || location.back() == '\t'))
        location.remove_suffix(1);
    location = location.substr(0, location.find('#'));
    if (location.empty())
        return std::nullopt;

    // A scheme: letters (then letters, digits, "+", "-", ".") up to a ":" before any "/", "?".
    const std::size_t colon = location.find(':');
    if (colon != std::string_view::npos && colon < location.find_first_of("/?") && isAsciiLetter(location.front())) {
        const std::string_view scheme = location.substr(0, colon);
        if (std::all_of(scheme.begin(), scheme.end(), [](char c) {
                return isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
            }))
            return parseHttpAddress(location);
    }
    if (location.starts_with("//"))
        return parseHttpAddress("http:" + std::string(location));

    HttpAddress next = base;
    if (location.starts_with('/')) {
        next.path = normalise(location);
    }
    else if (location.starts_with('?')) {
        next.path = base.path.substr(0, base.path.find('?')) + std::string(location);
    }
    else {
        const std::string_view basePath = std::string_view(base.path).substr(0, base.path.find('?'));
        const std::size_t lastSlash = basePath.rfind('/');
        const std::string directory(lastSlash == std::string_view::npos ? "/" : basePath.substr(0, lastSlash + 1));
        next.path = normalise(directory + std::string(location));
    }
    return next;
}

}  // namespace xingfan::platform::inet
