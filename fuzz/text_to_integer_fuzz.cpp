// textToInteger against its rule written out independently: full-width forms folded, white space
// skipped, one sign, then the digits; a value beyond 32 bits stops at the nearest limit.
#include "ui/launcher/text_to_integer.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

namespace {

void require(bool holds)
{
    if (!holds)
        std::abort();
}

// The text with the full-width forms of ASCII as single bytes; every other double-byte
// character (a byte of 0x81 or more and the one after it) stays whole.
std::string folded(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x81 || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const auto trail = static_cast<unsigned char>(text[++i]);
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE)
            out += static_cast<char>(trail - 0x80);
        else if (lead == 0xA1 && trail == 0xA1)
            out += ' ';
        else if (lead == 0xA1 && trail == 0xAB)
            out += '~';
        else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF))
            out += '*';
        else
            out += std::string{static_cast<char>(lead), static_cast<char>(trail)};
    }
    return out;
}

std::int32_t expected(std::string_view text)
{
    const std::string plain = folded(text);
    std::size_t i = plain.find_first_not_of(" \t\n\v\f\r");
    if (i == std::string::npos)
        return 0;
    bool negative = false;
    if (plain[i] == '+' || plain[i] == '-')
        negative = plain[i++] == '-';
    // Past 2^31 the digits that follow can only keep it there.
    constexpr std::int64_t beyond = std::int64_t{1} << 31;
    std::int64_t magnitude = 0;
    for (; i < plain.size() && plain[i] >= '0' && plain[i] <= '9'; ++i)
        magnitude = std::min(magnitude * 10 + (plain[i] - '0'), beyond);
    const std::int64_t value = negative ? -magnitude : magnitude;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                                     std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    require(xingfan::ui::textToInteger(text) == expected(text));
    return 0;
}
