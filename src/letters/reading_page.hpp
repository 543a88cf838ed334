#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Cutting the two fields out of the reading page.
namespace xingfan::letters {

struct ReadingFields {
    std::string title;    // kind 1: the nickname
    std::string content;
};

// Kind 1 (message): the text after "昵称：" and after "内容："; kind 2 (letter): after "标题："
// and after "内容："; each up to the next "<br />", each searched from the start of the reply
// read up to its first NUL. Nothing for any other kind.
std::optional<ReadingFields> cutReadingReply(std::string_view replyBytes, std::int32_t kind);

}  // namespace xingfan::letters
