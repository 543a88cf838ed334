#include "letters/reading_page.hpp"

#include "test_support.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using namespace xingfan::letters;
using namespace xingfan::letters::testing;

namespace {

using xingfan::letters::testing::PrintTo;

struct ReadingCase {
    const char* name;
    std::string reply;
    std::int32_t kind;
    std::string title;
    std::string content;
};

class ReadingPageTest : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(ReadingPageTest, CutsBothFields)
{
    const ReadingCase& c = GetParam();
    const std::optional<ReadingFields> fields = cutReadingReply(c.reply, c.kind);
    ASSERT_TRUE(fields.has_value());
    EXPECT_EQ(fields->title, c.title);
    EXPECT_EQ(fields->content, c.content);
}

std::vector<ReadingCase> readingCases()
{
    const std::string br = "<br />";
    const std::string letter = gbk("标题：星帆导航V1.2") + br + gbk("内容：新版本") + br;
    return {
        {"letter", "<html>" + letter + "</html>", 2, gbk("星帆导航V1.2"), gbk("新版本")},
        {"content before title", gbk("内容：正文") + br + gbk("标题：题目") + br, 2, gbk("题目"), gbk("正文")},
        {"a heading mentions the title marker first", gbk("<h1>标题：读信</h1>") + br + letter, 2,
         gbk("读信</h1>"), gbk("新版本")},
        {"message gives the nickname", gbk("昵称：访客") + br + gbk("内容：你好") + br, 1, gbk("访客"), gbk("你好")},
        {"message asked of a letter page has no nickname marker", letter, 1, gbk("：星帆导航V1.2"),
         gbk("新版本")},
        {"content over several lines", gbk("标题：T") + br + gbk("内容：一\r\n二\r\n") + br, 2, "T",
         gbk("一\r\n二\r\n")},
        {"an empty reply empties both", "", 2, "", ""},
        {"an error page without markers or breaks", "<html>404 Not Found</html>", 1, "", ""},
        {"the reply ends at its first NUL",
         gbk("标题：T") + br + std::string(1, '\0') + gbk("内容：C") + br, 2, "T", gbk("：T")},
    };
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadingPageTest, ::testing::ValuesIn(readingCases()), CaseName{});

TEST(ReadingPage, OtherKindsCutNothing)
{
    const std::string page = gbk("标题：T<br />内容：C<br />");
    for (const std::int32_t kind : {0, 3, -1})
        EXPECT_FALSE(cutReadingReply(page, kind).has_value()) << "kind " << kind;
}

}  // namespace
