#include "mailbox_file.hpp"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <limits>
#include <sstream>

namespace xingfan::letter_service {
namespace {

std::string_view trimmed(std::string_view text)
{
    const auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::int32_t> itemNumber(std::string_view text)
{
    std::int32_t value = 0;
    if (!allDigits(text))
        return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// A value: surrounding spaces dropped unless it is quoted; backslash escapes in either form.
std::optional<std::string> unescapedValue(std::string_view raw, std::string& error)
{
    std::string_view value = trimmed(raw);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        if (++i == value.size()) {
            error = "a backslash ends the value";
            return std::nullopt;
        }
        switch (value[i]) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case '0': out += '\0'; break;
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        default:
            error = std::string("unknown escape \\") + value[i];
            return std::nullopt;
        }
    }
    return out;
}

enum class Section { None, Notice, Mailbox, Letter, Message };

class Parser {
public:
    MailboxFileResult parse(std::string_view utf8)
    {
        if (utf8.substr(0, 3) == "\xEF\xBB\xBF")
            utf8.remove_prefix(3);
        int lineNumber = 0;
        while (!utf8.empty()) {
            const std::size_t end = utf8.find('\n');
            std::string_view line = utf8.substr(0, end);
            utf8.remove_prefix(end == std::string_view::npos ? utf8.size() : end + 1);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            ++lineNumber;
            if (!parseLine(trimmed(line)))
                return MailboxFileResult{std::nullopt, "line " + std::to_string(lineNumber) + ": " + error_};
        }
        return MailboxFileResult{std::move(file_), {}};
    }

private:
    bool fail(std::string message)
    {
        error_ = std::move(message);
        return false;
    }

    bool parseLine(std::string_view line)
    {
        if (line.empty() || line.front() == '#' || line.front() == ';')
            return true;
        if (line.front() == '[')
            return parseHeader(line);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return fail("expected [section] or key = value");
        const std::string_view key = trimmed(line.substr(0, equals));
        std::string valueError;
        const std::optional<std::string> utf8Value = unescapedValue(line.substr(equals + 1), valueError);
        if (!utf8Value)
            return fail(valueError);
        const std::optional<std::string> value = utf8ToGbk(*utf8Value);
        if (!value)
            return fail("the value is not UTF-8 or holds a character that GBK lacks");
        return setField(key, *value);
    }

    bool parseHeader(std::string_view line)
    {
        if (line.back() != ']')
            return fail("a section header ends with ]");
        const std::string_view inner = trimmed(line.substr(1, line.size() - 2));
        const std::size_t space = inner.find(' ');
        const std::string_view kind = inner.substr(0, space);
        const std::string_view number = space == std::string_view::npos ? std::string_view() : trimmed(inner.substr(space));
        if (kind == "notice" && number.empty()) {
            section_ = Section::Notice;
            return true;
        }
        if (kind == "mailbox") {
            if (!allDigits(number))
                return fail("a mailbox number is decimal digits");
            if (file_.findMailbox(number) != nullptr)
                return fail("mailbox " + std::string(number) + " comes twice");
            file_.mailboxes.push_back(Mailbox{std::string(number), {}, {}});
            section_ = Section::Mailbox;
            return true;
        }
        if (kind == "letter" || kind == "message") {
            if (file_.mailboxes.empty())
                return fail("a [mailbox N] section comes first");
            const std::optional<std::int32_t> value = itemNumber(number);
            if (!value)
                return fail("the number is decimal digits up to 2147483647");
            Mailbox& mailbox = file_.mailboxes.back();
            if (kind == "letter") {
                if (mailbox.findLetter(*value) != nullptr)
                    return fail("letter " + std::string(number) + " comes twice in this mailbox");
                mailbox.letters.push_back(Letter{*value, {}, {}, {}});
                section_ = Section::Letter;
            } else {
                if (mailbox.findMessage(*value) != nullptr)
                    return fail("message " + std::string(number) + " comes twice in this mailbox");
                mailbox.messages.push_back(Message{*value, {}, {}});
                section_ = Section::Message;
            }
            seenKeys_.clear();
            return true;
        }
        return fail("unknown section; use [notice], [mailbox N], [letter N] or [message N]");
    }

    bool setOnce(std::string_view key, std::string& field, const std::string& value)
    {
        if (std::find(seenKeys_.begin(), seenKeys_.end(), key) != seenKeys_.end())
            return fail(std::string(key) + " is given twice");
        seenKeys_.emplace_back(key);
        field = value;
        return true;
    }

    static void appendLine(std::string& field, bool first, const std::string& value)
    {
        if (!first)
            field += "\r\n";
        field += value;
    }

    bool setField(std::string_view key, const std::string& value)
    {
        switch (section_) {
        case Section::Notice:
            if (key == "flag" && !file_.noticeFlag) {
                file_.noticeFlag = value;
                return true;
            }
            if (key == "address" && !file_.noticeAddress) {
                file_.noticeAddress = value;
                return true;
            }
            return fail(key == "flag" || key == "address" ? std::string(key) + " is given twice"
                                                          : "[notice] knows flag and address");
        case Section::Letter: {
            Letter& letter = file_.mailboxes.back().letters.back();
            if (key == "title")
                return setOnce(key, letter.title, value);
            if (key == "author")
                return setOnce(key, letter.author, value);
            if (key == "content")
                return appendContent(letter.content, value);
            return fail("a letter knows title, author and content");
        }
        case Section::Message: {
            Message& message = file_.mailboxes.back().messages.back();
            if (key == "nickname")
                return setOnce(key, message.nickname, value);
            if (key == "content")
                return appendContent(message.content, value);
            return fail("a message knows nickname and content");
        }
        case Section::Mailbox:
            return fail("a mailbox holds [letter N] and [message N] sections, no keys of its own");
        case Section::None:
            break;
        }
        return fail("a key before any section");
    }

    bool appendContent(std::string& content, const std::string& value)
    {
        const bool first = std::find(seenKeys_.begin(), seenKeys_.end(), "content") == seenKeys_.end();
        if (first)
            seenKeys_.emplace_back("content");
        appendLine(content, first, value);
        return true;
    }

    MailboxFile file_;
    Section section_ = Section::None;
    std::vector<std::string> seenKeys_;
    std::string error_;
};

}  // namespace

const Letter* Mailbox::findLetter(std::int64_t letterNumber) const
{
    const auto found = std::find_if(letters.begin(), letters.end(),
                                    [&](const Letter& letter) { return letter.number == letterNumber; });
    return found == letters.end() ? nullptr : &*found;
}

const Message* Mailbox::findMessage(std::int64_t messageNumber) const
{
    const auto found = std::find_if(messages.begin(), messages.end(),
                                    [&](const Message& message) { return message.number == messageNumber; });
    return found == messages.end() ? nullptr : &*found;
}

const Mailbox* MailboxFile::findMailbox(std::string_view number) const
{
    const auto found = std::find_if(mailboxes.begin(), mailboxes.end(),
                                    [&](const Mailbox& mailbox) { return mailbox.number == number; });
    return found == mailboxes.end() ? nullptr : &*found;
}

std::optional<std::string> utf8ToGbk(std::string_view utf8)
{
    const iconv_t converter = ::iconv_open("GBK", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* outAt = out.data();
    std::size_t outLeft = out.size();
    // GBK never takes more bytes than UTF-8 for the same character, so one call converts all.
    const std::size_t converted = ::iconv(converter, &in, &inLeft, &outAt, &outLeft);
    ::iconv_close(converter);
    if (converted == static_cast<std::size_t>(-1) || inLeft != 0)
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

MailboxFileResult parseMailboxFile(std::string_view utf8) { return Parser().parse(utf8); }

MailboxFileResult loadMailboxFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return MailboxFileResult{std::nullopt, path + ": cannot be read"};
    std::ostringstream text;
    text << in.rdbuf();
    MailboxFileResult result = parseMailboxFile(text.str());
    if (!result.file)
        result.error = path + ": " + result.error;
    return result;
}

}  // namespace xingfan::letter_service
