#pragma once

#include "letters/listing_page.hpp"

#include <boost/regex.hpp>

#include <stdexcept>
#include <string_view>
#include <vector>

namespace xingfan::letters::testing {

// The reference: the pattern searched over the whole rest of the text again and again, each time
// from the end of the last match. `refused` tells that the engine gave up (complexity bound);
// `runs` then holds the matches found before.
struct PlainSearchResult {
    std::vector<std::string_view> runs;
    bool refused = false;
};

inline PlainSearchResult plainListingSearch(std::string_view text)
{
    const boost::regex pattern(kListingPattern.begin(), kListingPattern.end(), boost::regex::perl | boost::regex::mod_s);
    PlainSearchResult result;
    const char* from = text.data();
    const char* const end = text.data() + text.size();
    boost::cmatch match;
    try {
        while (boost::regex_search(from, end, match, pattern)) {
            result.runs.emplace_back(match[0].first, static_cast<std::size_t>(match[0].length()));
            from = match[0].second;
        }
    } catch (const std::runtime_error&) {
        result.refused = true;
    }
    return result;
}

}  // namespace xingfan::letters::testing
