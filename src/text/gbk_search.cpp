#include "text/gbk_search.hpp"

#include <algorithm>
#include <cstring>

namespace xingfan::text {
namespace {

constexpr bool isLeadByte(unsigned char byte) { return byte >= 0x80; }

constexpr char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

bool equalIgnoreCase(const char* a, const char* b, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        if (foldAscii(a[i]) != foldAscii(b[i]))
            return false;
    }
    return true;
}

// Walks the haystack character by character from `start` and asks `matchesAt` at every
// character boundary.
template <typename Matcher>
int scanCharacters(std::string_view haystack, std::string_view needle, int start, Matcher matchesAt)
{
    const std::size_t size = haystack.size();
    std::size_t pos = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (pos >= size)
        return -1;
    while (pos < size) {
        const auto byte = static_cast<unsigned char>(haystack[pos]);
        if (isLeadByte(byte) && pos + 1 == size)
            return -1;
        if (needle.size() <= size - pos && matchesAt(haystack.data() + pos))
            return static_cast<int>(pos) + 1;
        pos += isLeadByte(byte) ? 2 : 1;
    }
    return -1;
}

}  // namespace

int findText(std::string_view haystack, std::string_view needle, int start)
{
    if (needle.empty())
        return scanCharacters(haystack, needle, start, [](const char*) { return true; });
    const char first = needle.front();
    return scanCharacters(haystack, needle, start, [&](const char* at) {
        return *at == first && std::memcmp(at, needle.data(), needle.size()) == 0;
    });
}

int findTextIgnoreCase(std::string_view haystack, std::string_view needle, int start)
{
    return scanCharacters(haystack, needle, start, [&](const char* at) {
        return equalIgnoreCase(at, needle.data(), needle.size());
    });
}

std::string asciiLower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), foldAscii);
    return out;
}

std::string asciiUpper(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c; });
    return out;
}

std::string textFromBytes(std::string_view bytes)
{
    return std::string(bytes.substr(0, bytes.find('\0')));
}

bool isBlank(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == ' ') {
            ++pos;
        } else if (text.compare(pos, 2, "\xA1\xA1") == 0) {
            pos += 2;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace xingfan::text
