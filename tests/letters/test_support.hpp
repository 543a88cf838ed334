#pragma once

#include "letters/startup_notice.hpp"
#include "text/gbk_codec.hpp"

#include <QString>

#include <cctype>
#include <concepts>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace xingfan::letters::testing {

// Test sources are UTF-8; the program's texts are GBK bytes.
inline std::string gbk(std::string_view utf8)
{
    return text::toGbk(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

// What the notice did, in order: the address opened, the message shown.
struct Recorder {
    std::vector<std::string> events;

    NoticeActions actions()
    {
        return NoticeActions{
            [this](const std::string& address) { events.push_back("open " + address); },
            [this](const std::string& text, const std::string& title) {
                events.push_back(text == kWelcomeText && title == kWelcomeTitle ? "welcome" : "other message");
            },
        };
    }
};

// A parameterised case's description as a test name.
struct CaseName {
    template <typename Info>
    std::string operator()(const Info& info) const
    {
        std::string name = info.param.name;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    }
};

// Names a parameterised case in failure messages instead of dumping its bytes. Test files bring it
// in with a using-declaration next to their case structs.
template <typename Case>
    requires requires(const Case& c) {
        { c.name } -> std::convertible_to<const char*>;
    }
void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

}  // namespace xingfan::letters::testing
