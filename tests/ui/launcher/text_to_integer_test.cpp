#include "ui/launcher/text_to_integer.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

struct IntegerCase {
    const char* name;
    std::string text;  // GBK bytes
    std::int32_t value;
};

class TextToInteger : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(TextToInteger, ReadsTheLeadingNumber)
{
    EXPECT_EQ(xingfan::ui::textToInteger(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextToInteger,
    ::testing::Values(
        IntegerCase{"Plain", "12", 12},
        IntegerCase{"Empty", "", 0},
        IntegerCase{"NoDigits", "abc", 0},
        IntegerCase{"DigitsThenOther", "12ab3", 12},
        IntegerCase{"LeadingWhiteSpace", " \t\n\v\f\r12", 12},
        IntegerCase{"Plus", "+7", 7},
        IntegerCase{"Minus", "-42", -42},
        IntegerCase{"SignOnly", "-", 0},
        IntegerCase{"TwoSigns", "+-3", 0},
        IntegerCase{"SpaceAfterSign", "- 3", 0},
        IntegerCase{"LeadingZeros", "007", 7},
        // "：12": the full-width colon becomes ":", which is no digit.
        IntegerCase{"FullWidthColon", "\xA3\xBA" "12", 0},
        // "１２"
        IntegerCase{"FullWidthDigits", "\xA3\xB1\xA3\xB2", 12},
        // "－１" and "＋１"
        IntegerCase{"FullWidthSigns", "\xA3\xAD\xA3\xB1", -1},
        IntegerCase{"FullWidthPlus", "\xA3\xAB\xA3\xB1", 1},
        // The ideographic space is white space.
        IntegerCase{"IdeographicSpace", "\xA1\xA1" "5", 5},
        // "～" and the stars fold to "~" and "*", which end the number like any other character.
        IntegerCase{"WaveDash", "\xA1\xAB" "5", 0},
        IntegerCase{"Stars", "\xA1\xEE" "5", 0},
        IntegerCase{"DigitsThenWaveDash", "5\xA1\xAB", 5},
        // A double-byte character other than a full-width form stops the number: "12号"
        IntegerCase{"ChineseAfterDigits", "12\xBA\xC5", 12},
        // A trail byte that looks like a digit is not one: A3 40 is a character of its own.
        IntegerCase{"TrailByteIsNoDigit", "\xA3" "0" "1", 0},
        IntegerCase{"LoneLeadByteAtEnd", "3\xA3", 3},
        IntegerCase{"Largest", "2147483647", 2147483647},
        IntegerCase{"Smallest", "-2147483648", INT32_MIN},
        IntegerCase{"TooLarge", "2147483648", INT32_MAX},
        IntegerCase{"FarTooLarge", "99999999999999999999", INT32_MAX},
        IntegerCase{"TooSmall", "-99999999999999999999", INT32_MIN}),
    [](const ::testing::TestParamInfo<IntegerCase>& info) { return std::string(info.param.name); });

}  // namespace
