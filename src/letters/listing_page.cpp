#include "letters/listing_page.hpp"

#include <boost/regex.hpp>

#include <array>
#include <optional>
#include <stdexcept>

namespace xingfan::letters {
namespace {

constexpr std::string_view kLazyGap = ".*?";
constexpr std::size_t kMarkerCount = 5;
using Markers = std::array<std::string_view, kMarkerCount>;

// The pattern's literal markers, in order.
Markers splitPattern()
{
    Markers markers{};
    std::string_view rest = kListingPattern;
    for (std::size_t i = 0; i + 1 < kMarkerCount; ++i) {
        const std::size_t gap = rest.find(kLazyGap);
        markers[i] = rest.substr(0, gap);
        rest.remove_prefix(gap + kLazyGap.size());
    }
    markers[kMarkerCount - 1] = rest;
    return markers;
}

const Markers& runMarkers()
{
    static const Markers markers = splitPattern();
    return markers;
}

// Byte ranges [begin, end) of the text.
struct Stretch {
    std::size_t begin;
    std::size_t end;
};

// The leftmost match at or after `from` starts at the first marker's first occurrence, and each
// lazy gap stops at the first occurrence of the marker after it: a later start or a later
// occurrence only pushes every following marker further right. So when that chain of first
// occurrences breaks off, nothing at or after `from` matches at all.
std::optional<Stretch> nextStretch(std::string_view text, std::size_t from)
{
    const Markers& markers = runMarkers();
    const std::size_t begin = text.find(markers[0], from);
    if (begin == std::string_view::npos)
        return std::nullopt;
    std::size_t end = begin + markers[0].size();
    for (std::size_t i = 1; i < kMarkerCount; ++i) {
        const std::size_t at = text.find(markers[i], end);
        if (at == std::string_view::npos)
            return std::nullopt;
        end = at + markers[i].size();
    }
    return Stretch{begin, end};
}

}  // namespace

std::vector<std::string_view> findListingRuns(std::string_view text)
{
    static const boost::regex pattern(kListingPattern.begin(), kListingPattern.end(),
                                      boost::regex::perl | boost::regex::mod_s);
    std::vector<std::string_view> runs;
    std::size_t from = 0;
    while (const std::optional<Stretch> stretch = nextStretch(text, from)) {
        // The engine still decides the match; it only never sees more than this stretch.
        const char* const first = text.data() + stretch->begin;
        const char* const last = text.data() + stretch->end;
        boost::cmatch match;
        try {
            if (!boost::regex_search(first, last, match, pattern, boost::match_default | boost::match_continuous))
                break;
        } catch (const std::runtime_error&) {
            break;
        }
        runs.emplace_back(match[0].first, static_cast<std::size_t>(match[0].length()));
        from = static_cast<std::size_t>(match[0].second - text.data());
    }
    return runs;
}

LetterEntry entryFromRun(std::string_view run)
{
    constexpr std::string_view kBreak = "<br />";
    return LetterEntry{
        textBetween(run, "\xB1\xEA\xCC\xE2\xA3\xBA", kBreak),  // 标题：
        textBetween(run, "\xC4\xDA\xC8\xDD\xA3\xBA", kBreak),  // 内容：
        textBetween(run, "\xCB\xB3\xD0\xF2", kBreak),          // 顺序
    };
}

LetterList parseListingReply(std::string_view replyBytes)
{
    // The text ends at the first NUL; a view of it spares copying a page of megabytes.
    const std::string_view replyText = replyBytes.substr(0, replyBytes.find('\0'));
    const std::vector<std::string_view> runs = findListingRuns(replyText);
    LetterList letters;
    letters.reserve(runs.size());
    for (const std::string_view run : runs)
        letters.push_back(entryFromRun(run));
    return letters;
}

}  // namespace xingfan::letters
