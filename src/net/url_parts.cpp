#include "net/url_parts.hpp"

#include "text/gbk_search.hpp"

#include <cmath>
#include <limits>

namespace xingfan::net {
namespace {

// The leading numeric part of a text, as a decimal number with an optional sign and fraction,
// truncated toward zero; 0 when the text starts with no number.
std::int32_t leadingNumber(std::string_view digits)
{
    std::size_t pos = 0;
    while (pos < digits.size() && digits[pos] == ' ')
        ++pos;
    bool negative = false;
    if (pos < digits.size() && (digits[pos] == '+' || digits[pos] == '-')) {
        negative = digits[pos] == '-';
        ++pos;
    }
    double value = 0;
    while (pos < digits.size() && digits[pos] >= '0' && digits[pos] <= '9') {
        value = value * 10 + (digits[pos] - '0');
        ++pos;
    }
    // Digits after a decimal point cannot change the truncated value, so they are not read.
    value = std::trunc(negative ? -value : value);
    constexpr auto lowest = std::numeric_limits<std::int32_t>::min();
    constexpr auto highest = std::numeric_limits<std::int32_t>::max();
    if (value <= lowest)
        return lowest;
    if (value >= highest)
        return highest;
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::string urlHost(std::string_view url, bool keepPort)
{
    const int scheme = text::findText(url, "http://");
    const int hostStart = scheme > 0 ? scheme + 7 : 1;
    const int slash = text::findText(url, "/", hostStart);

    std::string_view host;
    if (static_cast<std::size_t>(hostStart) <= url.size()) {
        const std::size_t first = static_cast<std::size_t>(hostStart) - 1;
        host = slash > 0 ? url.substr(first, static_cast<std::size_t>(slash - hostStart)) : url.substr(first);
    }
    if (!keepPort) {
        const int colon = text::findText(host, ":");
        if (colon > 0)
            host = host.substr(0, static_cast<std::size_t>(colon) - 1);
    }
    return text::asciiLower(host);
}

std::string urlPath(std::string_view url)
{
    const int hostAt = text::findTextIgnoreCase(url, urlHost(url));
    const int slash = text::findText(url, "/", hostAt);
    if (slash < 1)
        return "/";
    return std::string(url.substr(static_cast<std::size_t>(slash) - 1));
}

std::int32_t urlPort(std::string_view url)
{
    const std::string host = urlHost(url, true);
    const int colon = text::findText(host, ":");
    if (colon < 1)
        return 80;
    return leadingNumber(std::string_view(host).substr(static_cast<std::size_t>(colon)));
}

}  // namespace xingfan::net
