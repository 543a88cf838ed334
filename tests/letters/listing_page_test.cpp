#include "letters/listing_page.hpp"

#include "plain_listing_search.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using namespace xingfan::letters;
using namespace xingfan::letters::testing;

namespace xingfan::letters {
void PrintTo(const LetterEntry& entry, std::ostream* out)
{
    *out << "{title \"" << entry.title << "\", content \"" << entry.content << "\", sequence \"" << entry.sequence
         << "\"}";
}
}  // namespace xingfan::letters

namespace {

using xingfan::letters::testing::PrintTo;

const std::string kBr = "<br />";

// One letter's run as the service writes it.
std::string run(std::string_view title, std::string_view content, std::string_view sequence)
{
    return gbk("标题：") + gbk(title) + kBr + gbk("内容：") + gbk(content) + kBr + gbk("作者：星帆") + kBr +
           "<b>" + gbk("顺序") + gbk(sequence) + kBr + "</b>";
}

// A run that lacks its author line, so it cannot match by itself.
std::string unfinishedRun(std::string_view title, std::string_view content)
{
    return gbk("标题：") + gbk(title) + kBr + gbk("内容：") + gbk(content) + kBr;
}

LetterEntry entry(std::string_view title, std::string_view content, std::string_view sequence)
{
    return LetterEntry{gbk(title), gbk(content), gbk(sequence)};
}

struct ListingCase {
    const char* name;
    std::string reply;
    LetterList expected;
};

class ListingPageTest : public ::testing::TestWithParam<ListingCase> {};

TEST_P(ListingPageTest, GivesOneEntryPerRunInPageOrder)
{
    const ListingCase& c = GetParam();
    EXPECT_EQ(parseListingReply(c.reply), c.expected);
}

std::vector<ListingCase> listingCases()
{
    const std::string head = "<html><body><h1>" + gbk("收信") + "</h1>";
    const std::string tail = "</body></html>";
    std::string capitals = run("大写", "B", "2");
    capitals.replace(capitals.find(kBr), kBr.size(), "<BR />");
    return {
        {"two runs in page order", head + run("星帆导航V1.2", "公告", "12") + "<hr>" + run("旧版", "旧公告", "7") + tail,
         {entry("星帆导航V1.2", "公告", "12"), entry("旧版", "旧公告", "7")}},
        {"content over several lines keeps its line breaks", head + run("T", "第一行\r\n第二行\n", "3") + tail,
         {entry("T", "第一行\r\n第二行\n", "3")}},
        {"capital BR markers do not match", head + run("A", "a", "1") + capitals + tail, {entry("A", "a", "1")}},
        {"a NUL ends the text before later runs",
         head + run("A", "a", "1") + std::string(1, '\0') + run("B", "b", "2") + tail, {entry("A", "a", "1")}},
        {"title holding a break ends at it", run("A<br />B", "c", "1"), {entry("A", "c", "1")}},
        {"title holding the content marker gives content from there", run("版本内容：X", "c", "1"),
         {entry("版本内容：X", "X", "1")}},
        {"title holding the sequence marker gives sequence from there", run("顺序9", "c", "1"),
         {entry("顺序9", "c", "9")}},
        {"an unfinished letter is swallowed by the next",
         head + unfinishedRun("坏信", "坏内容") + run("好信", "好内容", "5") + run("C", "c", "6") + tail,
         {entry("坏信", "坏内容", "5"), entry("C", "c", "6")}},
        {"an unfinished letter at the end yields nothing", head + run("A", "a", "1") + unfinishedRun("B", "b") + tail,
         {entry("A", "a", "1")}},
        {"empty reply", "", {}},
        {"error page", "<html><body>404 Not Found</body></html>", {}},
    };
}

INSTANTIATE_TEST_SUITE_P(Cases, ListingPageTest, ::testing::ValuesIn(listingCases()), CaseName{});

// One finished letter, then a letter whose closing marker never comes, followed by many candidate
// fields: searched over the whole rest of the page the engine backtracks through every
// combination and gives up.
std::string pathologicalPage()
{
    std::string page = run("A", "a", "1") + gbk("标题：") + "t";
    for (int i = 0; i < 200; ++i)
        page += kBr + gbk("内容：") + "c" + kBr + gbk("作者") + "a" + kBr + "<b>" + gbk("顺序") + "s";
    return page;
}

TEST(ListingPage, PathologicalPageKeepsEarlierEntries)
{
    const std::string page = pathologicalPage();
    const PlainSearchResult plain = plainListingSearch(page);
    ASSERT_TRUE(plain.refused) << "the fixture no longer reaches the engine's complexity bound";
    ASSERT_EQ(plain.runs.size(), 1u);

    LetterList letters;
    EXPECT_NO_THROW(letters = parseListingReply(page));
    EXPECT_EQ(letters, (LetterList{entry("A", "a", "1")}));
}

}  // namespace
