#include "platform/inet/request_lines.hpp"

#include "text/gbk_search.hpp"

#include <algorithm>
#include <array>

namespace xingfan::platform::inet {
namespace {

// The lower-case name of a header line, without the spaces after it; empty without a colon.
std::string headerName(std::string_view line)
{
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return {};
    std::string_view name = line.substr(0, colon);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
        name.remove_suffix(1);
    return text::asciiLower(name);
}

}  // namespace

bool isGetMethod(std::string_view method)
{
    return method.empty() || text::asciiUpper(method) == "GET";
}

std::vector<std::string> splitHeaderLines(std::string_view text)
{
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.find_first_not_of(" \t") != std::string_view::npos)
            lines.emplace_back(line);
    }
    return lines;
}

std::vector<std::string> requestHeaderLines(const RequestLineParts& parts)
{
    static constexpr std::array<std::string_view, 3> replaceable = {"host", "content-length", "user-agent"};
    std::vector<std::string> callerLines = splitHeaderLines(parts.callerHeaders);
    std::erase_if(callerLines, [&](const std::string& line) {
        const std::string name = headerName(line);
        return (name == "host" && !parts.keepCallerHost)
            || (name == "content-length" && !parts.keepCallerContentLength);
    });

    // Only the last caller line of each replaceable name stays.
    std::array<bool, replaceable.size()> given{};
    for (auto line = callerLines.rbegin(); line != callerLines.rend();) {
        const auto which = std::find(replaceable.begin(), replaceable.end(), headerName(*line));
        if (which == replaceable.end()) {
            ++line;
            continue;
        }
        bool& seen = given[static_cast<std::size_t>(which - replaceable.begin())];
        if (seen) {
            line = decltype(line)(callerLines.erase(std::next(line).base()));
            continue;
        }
        seen = true;
        ++line;
    }

    std::vector<std::string> lines = parts.leading;
    if (!given[0])
        lines.push_back("Host: " + parts.host);
    if (!given[1]) {
        if (parts.bodySize)
            lines.push_back("Content-Length: " + std::to_string(*parts.bodySize));
        else if (!isGetMethod(parts.method))
            lines.emplace_back("Content-Length: 0");
    }
    if (!given[2])
        lines.push_back("User-Agent: " + parts.agent);
    lines.insert(lines.end(), callerLines.begin(), callerLines.end());
    if (!parts.cookie.empty())
        lines.push_back("Cookie: " + parts.cookie);
    return lines;
}

}  // namespace xingfan::platform::inet
