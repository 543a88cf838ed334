#include "letters/startup_notice.hpp"

#include "letters/letter_requests.hpp"
#include "text/gbk_search.hpp"

namespace xingfan::letters {

bool isWebAddress(std::string_view address)
{
    const std::size_t colon = address.find(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string scheme = text::asciiLower(address.substr(0, colon));
    return scheme == "http" || scheme == "https";
}

void runStartupNotice(const NoticeActions& actions, const UrlReader& readUrl, std::string_view serviceBase)
{
    const std::string flag = text::textFromBytes(readUrl(noticeFlagAddress(serviceBase)));
    if (flag != "1")
        return;
    const std::string address = text::textFromBytes(readUrl(noticeAddressFileAddress(serviceBase)));
    if (isWebAddress(address) && actions.openAddress)
        actions.openAddress(address);
    if (actions.showInformation)
        actions.showInformation(std::string(kWelcomeText), std::string(kWelcomeTitle));
}

}  // namespace xingfan::letters
