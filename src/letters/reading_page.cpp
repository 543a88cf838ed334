#include "letters/reading_page.hpp"

#include "letters/letters.hpp"
#include "text/gbk_search.hpp"

namespace xingfan::letters {

std::optional<ReadingFields> cutReadingReply(std::string_view replyBytes, std::int32_t kind)
{
    constexpr std::string_view kNicknameMarker = "\xEA\xC7\xB3\xC6\xA3\xBA";  // 昵称：
    constexpr std::string_view kTitleMarker = "\xB1\xEA\xCC\xE2\xA3\xBA";     // 标题：
    constexpr std::string_view kContentMarker = "\xC4\xDA\xC8\xDD\xA3\xBA";   // 内容：
    constexpr std::string_view kBreak = "<br />";
    if (kind != 1 && kind != 2)
        return std::nullopt;
    const std::string replyText = text::textFromBytes(replyBytes);
    return ReadingFields{
        textBetween(replyText, kind == 1 ? kNicknameMarker : kTitleMarker, kBreak),
        textBetween(replyText, kContentMarker, kBreak),
    };
}

}  // namespace xingfan::letters
