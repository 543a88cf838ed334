#pragma once

#include "letters/letters.hpp"

#include <functional>
#include <string>
#include <string_view>

// The start-up notice's decisions, with the file read handed in so that they run without the
// network.
namespace xingfan::letters {

// The welcome message and its title (GBK).
inline constexpr std::string_view kWelcomeText =
    "\xBB\xB6\xD3\xAD\xB7\xC3\xCE\xCA\xC4\xAB\xC1\xD6\xC2\xDB\xCC\xB3\xA3\xAC\xA1\xBE\xC3\xE2\xB7\xD1\xB0\xE6"
    "\xBB\xE1\xB2\xBB\xB6\xA8\xCA\xB1\xB5\xAF\xB4\xB0\xA3\xAC\xC7\xEB\xBC\xFB\xC1\xC2!\xA1\xBF";  // 欢迎访问墨林论坛，【免费版会不定时弹窗，请见谅!】
inline constexpr std::string_view kWelcomeTitle = "\xC7\xE0\xBC\xF2";  // 青简

// Reads an address into bytes (the single-call read).
using UrlReader = std::function<std::string(std::string_view url)>;

// True when the address's scheme, the text before its first ":", is http or https (ASCII case
// ignored). The notice address comes over plain HTTP, so nothing else is handed to the shell.
bool isWebAddress(std::string_view address);

// Reads the flag file under `serviceBase`; only when its text (up to the first NUL) is exactly
// "1", reads the address file, hands the address to openAddress when it is a web address, and
// then shows the welcome message whatever the address was.
void runStartupNotice(const NoticeActions& actions, const UrlReader& readUrl, std::string_view serviceBase);

}  // namespace xingfan::letters
