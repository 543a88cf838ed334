#include "letters/listing_page.hpp"

#include "plain_listing_search.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace xingfan::letters;
using namespace xingfan::letters::testing;

namespace {

// Pages put together at random from the pattern's markers, pieces of them, look-alikes, line
// breaks and stray double-byte characters, so that runs are complete, unfinished, swallowed,
// split by a NUL-free lead byte, or never start.
class PageGenerator {
public:
    explicit PageGenerator(unsigned seed) : random_(seed)
    {
        const std::string br = "<br />";
        pieces_ = {
            gbk("标题："), br + gbk("内容："), br + gbk("作者"), br + "<b>" + gbk("顺序"), br + "</b>",
            gbk("标题："), br + gbk("内容："), br + gbk("作者"), br + "<b>" + gbk("顺序"), br + "</b>",
            br, "<b>", "</b>", "<BR />", gbk("标题"), gbk("："), gbk("内容"), gbk("作者"), gbk("顺序"),
            "\r\n", "\n", "x", "12", " ", "\xB1", "\xA3",
            gbk("标题：T") + br + gbk("内容：C") + br + gbk("作者：A") + br + "<b>" + gbk("顺序") + "9" + br + "</b>",
        };
    }

    std::string page(int maxPieces)
    {
        std::string text;
        const int pieces = std::uniform_int_distribution<int>(0, maxPieces)(random_);
        for (int i = 0; i < pieces; ++i) {
            if (std::uniform_int_distribution<int>(0, 9)(random_) == 0)
                text += doubleByteCharacter();
            else
                text += pieces_[std::uniform_int_distribution<std::size_t>(0, pieces_.size() - 1)(random_)];
        }
        return text;
    }

private:
    std::string doubleByteCharacter()
    {
        const auto lead = static_cast<char>(std::uniform_int_distribution<int>(0x81, 0xFE)(random_));
        const auto trail = static_cast<char>(std::uniform_int_distribution<int>(0x40, 0xFE)(random_));
        return {lead, trail};
    }

    std::mt19937 random_;
    std::vector<std::string> pieces_;
};

std::vector<std::pair<std::ptrdiff_t, std::size_t>> spans(const std::string& page,
                                                        const std::vector<std::string_view>& runs)
{
    std::vector<std::pair<std::ptrdiff_t, std::size_t>> out;
    for (const std::string_view run : runs)
        out.emplace_back(run.data() - page.data(), run.size());
    return out;
}

TEST(ListingEquivalence, BoundedSearchFindsWhatThePlainSearchFinds)
{
    constexpr unsigned kPages = 3000;
    int pagesWithSeveralRuns = 0;
    int refusedPages = 0;
    for (unsigned seed = 1; seed <= kPages; ++seed) {
        // Every tenth page is long: many runs, with unfinished ones among them.
        const std::string page = PageGenerator(seed).page(seed % 10 == 0 ? 2000 : 60);
        const PlainSearchResult plain = plainListingSearch(page);
        const std::vector<std::string_view> bounded = findListingRuns(page);
        ASSERT_EQ(spans(page, bounded), spans(page, plain.runs)) << "seed " << seed;
        pagesWithSeveralRuns += plain.runs.size() >= 2 ? 1 : 0;
        refusedPages += plain.refused ? 1 : 0;
    }
    // The generator must keep producing pages worth comparing.
    EXPECT_GT(pagesWithSeveralRuns, static_cast<int>(kPages) / 10);
    RecordProperty("pages_with_several_runs", pagesWithSeveralRuns);
    RecordProperty("pages_the_plain_search_refused", refusedPages);
}

}  // namespace
