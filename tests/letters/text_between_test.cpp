#include "letters/letters.hpp"

#include "test_support.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace xingfan::letters;
using namespace xingfan::letters::testing;

namespace {

using xingfan::letters::testing::PrintTo;

struct BetweenCase {
    const char* name;
    std::string text;
    std::string left;
    std::string right;
    std::string expected;
};

class TextBetweenTest : public ::testing::TestWithParam<BetweenCase> {};

TEST_P(TextBetweenTest, CutsAsTheRulesSay)
{
    const BetweenCase& c = GetParam();
    EXPECT_EQ(textBetween(c.text, c.left, c.right), c.expected);
}

std::vector<BetweenCase> betweenCases()
{
    const std::string title = gbk("标题：");
    const std::string content = gbk("内容：");
    const std::string sequence = gbk("顺序");
    const std::string br = "<br />";
    return {
        {"both markers", title + "A" + br, title, br, "A"},
        {"no left marker starts at len(left) - 1", "xyzwvuA" + br, title, br, "vuA"},
        {"no right marker after left", title + "A", title, br, ""},
        {"right directly after left", title + br + "A" + br, title, br, ""},
        {"first left, next right after it", br + title + "A" + br + "B" + br, title, br, "A"},
        {"markers after double-byte characters", gbk("星帆") + title + gbk("导航") + br, title, br, gbk("导航")},
        {"right hidden inside a double-byte character is skipped", title + "A\xC4" + br + "B" + br, title, br,
         "A\xC4" + br + "B"},
        {"left hidden inside a double-byte character is not found", "\xC4" + title + "A" + br, title, br,
         "\xE2\xA3\xBA" "A"},
        {"no left, two-byte marker starts at the 3rd byte", "ab12" + br, sequence, br, "12"},
        {"no left, start inside a character shifts the boundaries", "x" + gbk("你好") + br, title, br, ""},
        {"no left and no right", "xyzwvuA", title, br, ""},
        {"start beyond the end", title, title, br, ""},
        {"no left and the text shorter than the start", "xyz", title, br, ""},
        {"lead byte at the end stops the right search", title + "A\xC4", title, br, ""},
        {"empty text", "", title, br, ""},
        {"content over several lines", content + "a\r\nb\n" + br, content, br, "a\r\nb\n"},
    };
}

INSTANTIATE_TEST_SUITE_P(Cases, TextBetweenTest, ::testing::ValuesIn(betweenCases()), CaseName{});

}  // namespace
