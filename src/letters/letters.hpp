#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The program's requests to the letter service and the cutting of fields out of its pages.
// All texts are GBK bytes.
namespace xingfan::letters {

// The program's mailbox on the letter service.
inline constexpr std::string_view kMailboxNumber = "726300";

// One letter of the listing page; each entry owns its texts.
struct LetterEntry {
    std::string title;
    std::string content;
    std::string sequence;

    friend bool operator==(const LetterEntry&, const LetterEntry&) = default;
};

using LetterList = std::vector<LetterEntry>;

// The letter service's base address ("http://host/"): XINGFAN_LETTER_SERVICE when set and not
// empty, the built-in address otherwise.
std::string letterServiceBase();

// The text between the first `left` and the next `right` after it (see the cutting rules in the
// implementation); empty when no `right` follows.
std::string textBetween(std::string_view text, std::string_view left, std::string_view right);

// Lists one page of the mailbox's letters into `letterList`, replacing what it held. `count` 0
// stands for 20, `page` 0 for 1. Blocks while window events keep being processed.
void listLetters(const std::string& mailboxNumber, std::int32_t count, std::int32_t page, LetterList& letterList);

// Reads one item of the mailbox: kind 1 a message (nickname, content), kind 2 a letter (title,
// content). Any other kind still sends the request and leaves both outputs as they were.
void readLetter(const std::string& mailboxNumber, std::int32_t number, std::int32_t kind,
                std::string& titleOut, std::string& contentOut);

// What the start-up notice does on the desktop; start-up wires in the shell and the message box.
struct NoticeActions {
    std::function<void(const std::string& address)> openAddress;
    std::function<void(const std::string& text, const std::string& title)> showInformation;
};

// Reads the notice flag file and, when it says "1", opens the notice address and shows the
// welcome message, in that order.
void showStartupNotice(const NoticeActions& actions);

}  // namespace xingfan::letters
