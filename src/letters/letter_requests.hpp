#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The addresses and form bodies of the requests to the letter service, built without sending
// anything. Every address is the service's base address (ending in "/") followed by a path
// under "shujuzhongxin/".
namespace xingfan::letters {

struct LetterRequest {
    std::string url;
    std::string body;
};

// The listing page: bt=<count>&fy=<page>&msnr=<mailbox>&djfx=%B2%E9%D1%AF (GBK 查询, stored
// encoded). `count` 0 stands for 20 and `page` 0 for 1; other values, negative ones too, go out
// as they are.
LetterRequest listingRequest(std::string_view serviceBase, std::string_view mailboxNumber, std::int32_t count,
                             std::int32_t page);

// The reading page: scly=<ly|xj>&bt=<number>&msnr=<mailbox>&djfx=%C8%B7%B6%A8 (GBK 确定) for kind 1
// (message) or 2 (letter); the body is empty for any other kind.
LetterRequest readingRequest(std::string_view serviceBase, std::string_view mailboxNumber, std::int32_t number,
                             std::int32_t kind);

// The start-up notice's two files.
std::string noticeFlagAddress(std::string_view serviceBase);
std::string noticeAddressFileAddress(std::string_view serviceBase);

}  // namespace xingfan::letters
