#include "letter_pages.hpp"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <map>
#include <optional>

namespace xingfan::letter_service {
namespace {

constexpr std::string_view kHtml = "text/html; charset=gbk";
constexpr std::string_view kPlain = "text/plain; charset=gbk";
constexpr std::string_view kBr = "<br />";
// GBK markers of the listing and reading pages.
constexpr std::string_view kTitle = "\xB1\xEA\xCC\xE2\xA3\xBA";     // 标题：
constexpr std::string_view kContent = "\xC4\xDA\xC8\xDD\xA3\xBA";   // 内容：
constexpr std::string_view kAuthor = "\xD7\xF7\xD5\xDF\xA3\xBA";    // 作者：
constexpr std::string_view kSequence = "\xCB\xB3\xD0\xF2";          // 顺序
constexpr std::string_view kNickname = "\xEA\xC7\xB3\xC6\xA3\xBA";  // 昵称：

using Fields = std::map<std::string, std::string, std::less<>>;

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Percent-decoding of form fields; a "%" without two hex digits stays as it is.
std::string decoded(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// name=value pairs joined by "&"; the first of a name counts.
Fields formFields(std::string_view text)
{
    Fields fields;
    while (!text.empty()) {
        const std::size_t amp = text.find('&');
        const std::string_view pair = text.substr(0, amp);
        text.remove_prefix(amp == std::string_view::npos ? text.size() : amp + 1);
        if (pair.empty())
            continue;
        const std::size_t equals = pair.find('=');
        fields.emplace(decoded(pair.substr(0, equals)),
                       equals == std::string_view::npos ? std::string() : decoded(pair.substr(equals + 1)));
    }
    return fields;
}

// A whole decimal number, "-" allowed; nothing for anything else.
std::optional<std::int64_t> wholeNumber(std::string_view text)
{
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string htmlPage(std::string_view title, std::string_view body)
{
    std::string page = "<html>\r\n<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">"
                       "<title>";
    page.append(title).append("</title></head>\r\n<body>\r\n").append(body).append("</body>\r\n</html>\r\n");
    return page;
}

PageResponse ok(std::string_view contentType, std::string body)
{
    return PageResponse{200, std::string(contentType), std::move(body)};
}

// The mailbox named by the query's ms, or the error page to send instead.
struct MailboxLookup {
    const Mailbox* mailbox = nullptr;
    std::optional<PageResponse> error;
};

MailboxLookup mailboxOf(const MailboxFile& file, std::string_view query)
{
    const Fields fields = formFields(query);
    const auto ms = fields.find("ms");
    if (ms == fields.end() || ms->second.empty())
        return {nullptr, errorPage(400, "missing field ms")};
    const Mailbox* mailbox = file.findMailbox(ms->second);
    if (mailbox == nullptr)
        return {nullptr, errorPage(404, "no such mailbox")};
    return {mailbox, std::nullopt};
}

// A required number field, or the error page to send instead.
struct NumberField {
    std::int64_t value = 0;
    std::optional<PageResponse> error;
};

NumberField numberField(const Fields& fields, const std::string& name)
{
    const auto found = fields.find(name);
    if (found == fields.end())
        return {0, errorPage(400, "missing field " + name)};
    const std::optional<std::int64_t> value = wholeNumber(found->second);
    if (!value)
        return {0, errorPage(400, "field " + name + " is not a number")};
    return {*value, std::nullopt};
}

PageResponse listingPage(const Mailbox& mailbox, const Fields& fields)
{
    const NumberField perPage = numberField(fields, "bt");
    if (perPage.error)
        return *perPage.error;
    const NumberField page = numberField(fields, "fy");
    if (page.error)
        return *page.error;
    if (perPage.value < 1 || page.value < 1)
        return errorPage(400, "bt and fy start at 1");

    std::string body = "<p>mailbox " + mailbox.number + ", " + std::to_string(mailbox.letters.size()) +
                       " letters, page " + std::to_string(page.value) + "</p>\r\n";
    const auto total = static_cast<std::int64_t>(mailbox.letters.size());
    // Past the last letter the page is simply empty. Written so that no product or sum can
    // overflow whatever numbers come in.
    const std::int64_t pages = total == 0 ? 0 : (total - 1) / perPage.value + 1;
    if (page.value - 1 < pages) {
        const std::int64_t first = (page.value - 1) * perPage.value;
        const std::int64_t last = first + std::min(total - first, perPage.value);
        for (std::int64_t i = first; i < last; ++i) {
            const Letter& letter = mailbox.letters[static_cast<std::size_t>(i)];
            body.append("<div class=\"xin\">").append(kTitle).append(letter.title).append(kBr);
            body.append(kContent).append(letter.content).append(kBr);
            body.append(kAuthor).append(letter.author).append(kBr);
            body.append("<b>").append(kSequence).append(std::to_string(letter.number)).append(kBr).append("</b>");
            body.append("</div>\r\n<hr />\r\n");
        }
    }
    return ok(kHtml, htmlPage("mailbox " + mailbox.number, body));
}

PageResponse readingPage(const Mailbox& mailbox, const Fields& fields)
{
    const auto kind = fields.find("scly");
    if (kind == fields.end())
        return errorPage(400, "missing field scly");
    if (kind->second != "xj" && kind->second != "ly")
        return errorPage(400, "scly is xj (letter) or ly (message)");
    const NumberField number = numberField(fields, "bt");
    if (number.error)
        return *number.error;

    std::string body;
    if (kind->second == "xj") {
        const Letter* letter = mailbox.findLetter(number.value);
        if (letter == nullptr)
            return errorPage(404, "no such letter");
        body.append(kTitle).append(letter->title).append(kBr).append("\r\n");
        body.append(kContent).append(letter->content).append(kBr).append("\r\n");
        body.append(kAuthor).append(letter->author).append(kBr).append("\r\n");
    } else {
        const Message* message = mailbox.findMessage(number.value);
        if (message == nullptr)
            return errorPage(404, "no such message");
        body.append(kNickname).append(message->nickname).append(kBr).append("\r\n");
        body.append(kContent).append(message->content).append(kBr).append("\r\n");
    }
    return ok(kHtml, htmlPage("mailbox " + mailbox.number, body));
}

}  // namespace

PageResponse errorPage(int status, std::string_view reason)
{
    std::string body = "<p>error ";
    body.append(std::to_string(status)).append(": ").append(reason).append("</p>\r\n");
    return PageResponse{status, std::string(kHtml), htmlPage("error", body)};
}

PageResponse answerRequest(const MailboxFile& file, const PageRequest& request)
{
    const std::size_t question = request.target.find('?');
    const std::string_view path = std::string_view(request.target).substr(0, question);
    const std::string_view query =
        question == std::string::npos ? std::string_view() : std::string_view(request.target).substr(question + 1);

    if (path == "/shujuzhongxin/banb.txt" || path == "/shujuzhongxin/wz.txt") {
        const std::optional<std::string>& text = path.ends_with("banb.txt") ? file.noticeFlag : file.noticeAddress;
        if (!text)
            return errorPage(404, "no such file");
        return ok(kPlain, *text);
    }
    const bool listing = path == "/shujuzhongxin/shouxin.php";
    if (!listing && path != "/shujuzhongxin/duqu.php")
        return errorPage(404, "no such page");
    const MailboxLookup lookup = mailboxOf(file, query);
    if (lookup.error)
        return *lookup.error;
    const Fields fields = formFields(request.body);
    return listing ? listingPage(*lookup.mailbox, fields) : readingPage(*lookup.mailbox, fields);
}

}  // namespace xingfan::letter_service
