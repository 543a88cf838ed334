#include "letters/letters.hpp"

#include "letters/letter_requests.hpp"
#include "letters/listing_page.hpp"
#include "letters/reading_page.hpp"
#include "letters/startup_notice.hpp"
#include "net/http_request.hpp"
#include "platform/inet/inet.hpp"

#include <optional>
#include <utility>

// The requests themselves; everything they decide is in the pure parts beside this file.
namespace xingfan::letters {
namespace {

std::string postForm(const LetterRequest& request)
{
    net::HttpRequestOptions options;
    options.method = "POST";
    options.body = request.body;
    return net::httpRequest(request.url, options);
}

}  // namespace

void listLetters(const std::string& mailboxNumber, std::int32_t count, std::int32_t page, LetterList& letterList)
{
    const std::string reply = postForm(listingRequest(letterServiceBase(), mailboxNumber, count, page));
    letterList = parseListingReply(reply);
}

void readLetter(const std::string& mailboxNumber, std::int32_t number, std::int32_t kind, std::string& titleOut,
                std::string& contentOut)
{
    const std::string reply = postForm(readingRequest(letterServiceBase(), mailboxNumber, number, kind));
    if (std::optional<ReadingFields> fields = cutReadingReply(reply, kind)) {
        titleOut = std::move(fields->title);
        contentOut = std::move(fields->content);
    }
}

void showStartupNotice(const NoticeActions& actions)
{
    runStartupNotice(actions, [](std::string_view url) { return platform::inet::readUrl(url); },
                     letterServiceBase());
}

}  // namespace xingfan::letters
