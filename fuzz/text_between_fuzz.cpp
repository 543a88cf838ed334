// textBetween against the cutting rule written out independently: the first `left` found by a
// scan that steps over double-byte characters, then the first `right` at or after its end.
// The input is cut into text, left and right at its first two 0x00 bytes.
#include "letters/letters.hpp"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool holds)
{
    if (!holds)
        std::abort();
}

// 1-based position of `needle` at a character boundary at or after `start`, or -1. A byte of
// 0x80 or more and the byte after it are one character; a lone such byte at the end ends the
// scan with -1.
long long position(std::string_view text, std::string_view needle, long long start)
{
    std::size_t at = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
    while (at < text.size()) {
        const bool lead = static_cast<unsigned char>(text[at]) >= 0x80;
        if (lead && at + 1 == text.size())
            return -1;
        if (text.substr(at).starts_with(needle))
            return static_cast<long long>(at) + 1;
        at += lead ? 2 : 1;
    }
    return -1;
}

std::string expected(std::string_view text, std::string_view left, std::string_view right)
{
    const long long s = position(text, left, 1) + static_cast<long long>(left.size());
    if (s < 1 || s > static_cast<long long>(text.size()))
        return {};
    const long long r = position(text, right, s);
    if (r - s <= 0)
        return {};
    return std::string(text.substr(static_cast<std::size_t>(s - 1), static_cast<std::size_t>(r - s)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view parts[3];
    for (std::string_view& part : parts) {
        const std::size_t end = input.find('\0');
        part = input.substr(0, end);
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    }
    const auto [text, left, right] = parts;

    const std::string between = xingfan::letters::textBetween(text, left, right);
    require(between == expected(text, left, right));
    // Whatever the markers, the result is a stretch of the text, and no `right` begins inside it.
    require(text.find(between) != std::string_view::npos);
    if (!between.empty() && !right.empty())
        require(position(between, right, 1) == -1);
    return 0;
}
