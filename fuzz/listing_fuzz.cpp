// The bounded listing search against the plain one (the pattern searched over the whole rest of
// the page again and again): the same runs whenever the plain search completes, and its runs
// as they stand when the engine gives up. Every run reads as a letter, each field a stretch of
// its run, and the parse of the reply stops at its first NUL.
#include "letters/listing_page.hpp"
#include "plain_listing_search.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace xingfan::letters;

void require(bool holds)
{
    if (!holds)
        std::abort();
}

constexpr std::string_view kFirstMarker = "\xB1\xEA\xCC\xE2\xA3\xBA";  // 标题：
constexpr std::string_view kLastMarker = "<br /></b>";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const std::string_view text = reply.substr(0, reply.find('\0'));

    const std::vector<std::string_view> runs = findListingRuns(text);
    const testing::PlainSearchResult plain = testing::plainListingSearch(text);
    if (plain.refused)
        require(runs.size() >= plain.runs.size() && std::equal(plain.runs.begin(), plain.runs.end(), runs.begin()));
    else
        require(runs == plain.runs);

    const LetterList letters = parseListingReply(reply);
    require(letters.size() == runs.size());
    const char* previousEnd = text.data();
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const std::string_view run = runs[i];
        require(run.data() >= previousEnd && run.data() + run.size() <= text.data() + text.size());
        require(run.starts_with(kFirstMarker) && run.ends_with(kLastMarker));
        previousEnd = run.data() + run.size();

        const LetterEntry& letter = letters[i];
        require(letter == entryFromRun(run));
        for (const std::string* field : {&letter.title, &letter.content, &letter.sequence})
            require(run.find(*field) != std::string_view::npos);
    }
    return 0;
}
