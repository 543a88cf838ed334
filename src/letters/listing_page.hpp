#pragma once

#include "letters/letters.hpp"

#include <string_view>
#include <vector>

// Turning the listing page into letter entries.
namespace xingfan::letters {

// The run of one letter on the listing page (GBK): literal markers joined by lazy ".*?",
// compiled as Perl syntax, case-sensitive, "." matching line breaks.
//   标题：.*?<br />内容：.*?<br />作者.*?<br /><b>顺序.*?<br /></b>
inline constexpr std::string_view kListingPattern =
    "\xB1\xEA\xCC\xE2\xA3\xBA.*?<br />\xC4\xDA\xC8\xDD\xA3\xBA.*?<br />\xD7\xF7\xD5\xDF.*?"
    "<br /><b>\xCB\xB3\xD0\xF2.*?<br /></b>";

// Every non-overlapping match of the listing pattern in text order, each searched from the end
// of the one before, exactly as repeated searching with the pattern finds them. Linear in the
// length of the text: each search is handed only the one stretch that can hold the next match.
// The search ends at the first stretch the engine refuses (complexity bound); earlier matches
// stand. The views point into `text`.
std::vector<std::string_view> findListingRuns(std::string_view text);

// The entry of one run: title after "标题：", content after "内容：", sequence after "顺序",
// each up to the next "<br />" (textBetween).
LetterEntry entryFromRun(std::string_view run);

// One entry per run of the reply, read up to its first NUL, in page order.
LetterList parseListingReply(std::string_view replyBytes);

}  // namespace xingfan::letters
