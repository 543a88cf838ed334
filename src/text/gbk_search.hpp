#pragma once

#include <string>
#include <string_view>

// GBK byte texts as the program keeps them below the windows: std::string holding the bytes,
// positions 1-based. A byte of 0x80 or more starts a double-byte character, and searches step
// over such characters whole, so a match never starts on a trailing byte.
namespace xingfan::text {

// Position (1-based) of the first occurrence of `needle` in `haystack` at or after `start`, or
// -1. A start below 1 counts as 1; a start beyond the last byte finds nothing; the scan gives up
// with -1 when it reaches a lead byte that is the last byte of the text.
int findText(std::string_view haystack, std::string_view needle, int start = 1);

// The same search, with the ASCII letters of both sides compared regardless of case.
int findTextIgnoreCase(std::string_view haystack, std::string_view needle, int start = 1);

// Case mapping of the ASCII letters only; every other byte, double-byte characters included,
// stays as it is.
std::string asciiLower(std::string_view text);
std::string asciiUpper(std::string_view text);

// A text from a byte buffer: the bytes before its first NUL, or all of them.
std::string textFromBytes(std::string_view bytes);

// True when nothing is left once every ASCII space and every full-width space (GBK A1 A1) has
// been removed. Tabs and every other character count as content.
bool isBlank(std::string_view text);

}  // namespace xingfan::text
