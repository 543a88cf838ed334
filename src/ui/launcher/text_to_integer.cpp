#include "ui/launcher/text_to_integer.hpp"

#include <cstddef>
#include <limits>
#include <string>

namespace xingfan::ui {

namespace {

bool isLeadByte(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

// The text with full-width forms folded to single bytes; other double-byte characters are kept
// whole, so that a trail byte is never read as a character of its own.
std::string foldFullWidth(std::string_view text)
{
    std::string folded;
    folded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (!isLeadByte(lead) || i + 1 == text.size()) {
            folded += text[i];
            continue;
        }
        const auto trail = static_cast<unsigned char>(text[i + 1]);
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE)
            folded += static_cast<char>(trail - 0x80);
        else if (lead == 0xA1 && trail == 0xA1)
            folded += ' ';
        else if (lead == 0xA1 && trail == 0xAB)
            folded += '~';
        else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF))
            folded += '*';
        else
            folded.append(text.substr(i, 2));
        ++i;
    }
    return folded;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::int32_t textToInteger(std::string_view text)
{
    const std::string folded = foldFullWidth(text);
    std::size_t i = 0;
    while (i < folded.size() && isSpace(folded[i]))
        ++i;
    bool negative = false;
    if (i < folded.size() && (folded[i] == '+' || folded[i] == '-')) {
        negative = folded[i] == '-';
        ++i;
    }
    // Accumulated as a negative number, whose range holds every 32-bit value.
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    std::int64_t value = 0;
    for (; i < folded.size() && folded[i] >= '0' && folded[i] <= '9'; ++i) {
        value = value * 10 - (folded[i] - '0');
        if (value < lowest)
            value = lowest;
    }
    if (!negative)
        value = value == lowest ? std::numeric_limits<std::int32_t>::max() : -value;
    return static_cast<std::int32_t>(value);
}

}  // namespace xingfan::ui
