#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The mailbox file: UTF-8 text a person edits (format in README.md), read into GBK texts ready
// to be put on the pages.
namespace xingfan::letter_service {

struct Letter {
    std::int32_t number = 0;
    std::string title;
    std::string author;
    std::string content;  // lines joined by CR LF
};

struct Message {
    std::int32_t number = 0;
    std::string nickname;
    std::string content;
};

struct Mailbox {
    std::string number;
    std::vector<Letter> letters;  // in file order, which is listing order
    std::vector<Message> messages;

    const Letter* findLetter(std::int64_t letterNumber) const;
    const Message* findMessage(std::int64_t messageNumber) const;
};

struct MailboxFile {
    std::optional<std::string> noticeFlag;     // banb.txt; absent: the file is not there
    std::optional<std::string> noticeAddress;  // wz.txt
    std::vector<Mailbox> mailboxes;

    const Mailbox* findMailbox(std::string_view number) const;
};

// Either the file or what is wrong with it ("line 7: ...").
struct MailboxFileResult {
    std::optional<MailboxFile> file;
    std::string error;
};

MailboxFileResult parseMailboxFile(std::string_view utf8);
MailboxFileResult loadMailboxFile(const std::string& path);

// UTF-8 to GBK; nothing when the text is not UTF-8 or holds a character GBK lacks.
std::optional<std::string> utf8ToGbk(std::string_view utf8);

}  // namespace xingfan::letter_service
