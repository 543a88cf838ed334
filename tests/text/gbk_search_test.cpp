#include "text/gbk_search.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

using namespace xingfan::text;
using namespace std::string_literals;

namespace {

struct SearchCase {
    const char* name;
    std::string haystack;
    std::string needle;
    int start;
    int expected;
};

// "\xC4\xE3" is one double-byte character; "\xB0" alone at the end is a cut-off lead byte.
const SearchCase kSearchCases[] = {
    {"first occurrence", "abcabc", "bc", 1, 2},
    {"from a later start", "abcabc", "bc", 3, 5},
    {"start below one counts as one", "abc", "a", -4, 1},
    {"start beyond the end finds nothing", "abc", "c", 4, -1},
    {"empty text finds nothing", "", "a", 1, -1},
    {"not found", "abc", "d", 1, -1},
    {"case matters", "ABC", "b", 1, -1},
    {"never inside a double-byte character", "\xC4\xE3" "A", "\xE3" "A", 1, -1},
    {"after a double-byte character", "\xC4\xE3" "A", "A", 1, 3},
    {"boundaries count from the start byte", "\xC4\xE3" "A", "\xE3" "A", 2, 2},
    {"double-byte needle", "a\xC4\xE3\xC4\xE3", "\xC4\xE3", 1, 2},
    {"start on a trailing byte shifts the boundaries", "a\xC4\xE3\xC4\xE3", "\xC4\xE3", 3, -1},
    {"match before a cut-off lead byte", "ab\xB0", "b", 1, 2},
    {"cut-off lead byte stops the scan", "ab\xB0", "\xB0", 1, -1},
    {"needle longer than the rest", "abc", "bcd", 1, -1},
    {"bytes after a NUL are searched", "a\0b"s, "b", 1, 3},
};

class FindTextTest : public testing::TestWithParam<SearchCase> {};

TEST_P(FindTextTest, FindsAtCharacterBoundaries)
{
    const SearchCase& c = GetParam();
    EXPECT_EQ(findText(c.haystack, c.needle, c.start), c.expected);
    // With no ASCII letters to fold, both searches agree.
    if (asciiLower(c.haystack) == c.haystack && asciiLower(c.needle) == c.needle) {
        EXPECT_EQ(findTextIgnoreCase(c.haystack, c.needle, c.start), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FindTextTest, testing::ValuesIn(kSearchCases),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

TEST(FindTextIgnoreCase, FoldsAsciiLettersOnly)
{
    EXPECT_EQ(findTextIgnoreCase("X-Set-COOKIE: a", "set-cookie: "), 3);
    EXPECT_EQ(findTextIgnoreCase("accept: */*", "Accept: "), 1);
    // 0xC1 and 0xE1 are a case pair in Latin-1, but not in GBK.
    EXPECT_EQ(findTextIgnoreCase("\xC1\xA1", "\xE1\xA1"), -1);
    EXPECT_EQ(findTextIgnoreCase("\xC4\xE3" "Ab", "\xE3" "a"), -1);
}

TEST(AsciiCase, MapsOnlyAsciiLetters)
{
    EXPECT_EQ(asciiLower("HeLLo-\xC4\xC5 Z@[`"), "hello-\xC4\xC5 z@[`");
    EXPECT_EQ(asciiUpper("hello-\xE4\xE5 z{"), "HELLO-\xE4\xE5 Z{");
}

TEST(TextFromBytes, EndsAtTheFirstNul)
{
    EXPECT_EQ(textFromBytes("ab\0cd"s), "ab");
    EXPECT_EQ(textFromBytes("\0cd"s), "");
    EXPECT_EQ(textFromBytes("abc"), "abc");
    EXPECT_EQ(textFromBytes(""), "");
}

TEST(IsBlank, RemovesAsciiAndFullWidthSpacesOnly)
{
    EXPECT_TRUE(isBlank(""));
    EXPECT_TRUE(isBlank("   "));
    EXPECT_TRUE(isBlank("\xA1\xA1"));
    EXPECT_TRUE(isBlank(" \xA1\xA1 \xA1\xA1"));
    EXPECT_FALSE(isBlank("\t"));
    EXPECT_FALSE(isBlank(" x "));
    EXPECT_FALSE(isBlank("\xA1"));
    EXPECT_FALSE(isBlank("\xA1\xA1\xA1"));
    EXPECT_FALSE(isBlank("\xA1\xA2"));
}

}  // namespace
