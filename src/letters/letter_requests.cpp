#include "letters/letter_requests.hpp"

#include "config/addresses.hpp"
#include "letters/letters.hpp"

#include <cstdlib>

namespace xingfan::letters {
namespace {

constexpr std::string_view kListingPath = "shujuzhongxin/shouxin.php?ms=";
constexpr std::string_view kReadingPath = "shujuzhongxin/duqu.php?ms=";
constexpr std::string_view kNoticeFlagPath = "shujuzhongxin/banb.txt";
constexpr std::string_view kNoticeAddressPath = "shujuzhongxin/wz.txt";

// The button captions the service's forms send, already percent-encoded GBK.
constexpr std::string_view kQueryButton = "%B2%E9%D1%AF";    // 查询
constexpr std::string_view kConfirmButton = "%C8%B7%B6%A8";  // 确定

std::string joined(std::string_view base, std::string_view path, std::string_view tail = {})
{
    std::string url;
    url.reserve(base.size() + path.size() + tail.size());
    url.append(base).append(path).append(tail);
    return url;
}

}  // namespace

std::string letterServiceBase()
{
    const char* override = std::getenv("XINGFAN_LETTER_SERVICE");
    if (override != nullptr && *override != '\0')
        return override;
    return std::string(config::kLetterServiceBase);
}

LetterRequest listingRequest(std::string_view serviceBase, std::string_view mailboxNumber, std::int32_t count,
                             std::int32_t page)
{
    LetterRequest request;
    request.url = joined(serviceBase, kListingPath, mailboxNumber);
    request.body = "bt=" + std::to_string(count == 0 ? 20 : count) + "&fy=" + std::to_string(page == 0 ? 1 : page);
    request.body.append("&msnr=").append(mailboxNumber).append("&djfx=").append(kQueryButton);
    return request;
}

LetterRequest readingRequest(std::string_view serviceBase, std::string_view mailboxNumber, std::int32_t number,
                             std::int32_t kind)
{
    LetterRequest request;
    request.url = joined(serviceBase, kReadingPath, mailboxNumber);
    if (kind == 1 || kind == 2) {
        request.body = kind == 1 ? "scly=ly" : "scly=xj";
        request.body.append("&bt=").append(std::to_string(number));
        request.body.append("&msnr=").append(mailboxNumber).append("&djfx=").append(kConfirmButton);
    }
    return request;
}

std::string noticeFlagAddress(std::string_view serviceBase) { return joined(serviceBase, kNoticeFlagPath); }

std::string noticeAddressFileAddress(std::string_view serviceBase) { return joined(serviceBase, kNoticeAddressPath); }

}  // namespace xingfan::letters
