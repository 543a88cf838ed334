#include "mailbox_file.hpp"

#include <gtest/gtest.h>

#include <string>

using namespace xingfan::letter_service;

namespace {

TEST(MailboxFile, ReadsEverySectionIntoGbk)
{
    const MailboxFileResult result = parseMailboxFile(
        "\xEF\xBB\xBF# comment\r\n"
        "; another\n"
        "\n"
        "[notice]\n"
        "flag = 1\n"
        "address =   http://a.example/x  \n"
        "[mailbox 726300]\n"
        "[letter 12]\n"
        "title = 星帆导航V1.2\n"
        "author = 星帆\n"
        "content = 第一行\n"
        "content = second # not a comment\n"
        "[message 3]\n"
        "nickname = 访客\n"
        "content = hi\n"
        "[letter 0]\n"
        "[mailbox 7]\n"
        "[letter 12]\n"
        "title=x\n");
    ASSERT_TRUE(result.file.has_value()) << result.error;
    const MailboxFile& file = *result.file;
    EXPECT_EQ(file.noticeFlag, "1");
    EXPECT_EQ(file.noticeAddress, "http://a.example/x");
    ASSERT_EQ(file.mailboxes.size(), 2u);

    const Mailbox& mailbox = file.mailboxes[0];
    EXPECT_EQ(mailbox.number, "726300");
    ASSERT_EQ(mailbox.letters.size(), 2u);
    EXPECT_EQ(mailbox.letters[0].number, 12);
    EXPECT_EQ(mailbox.letters[0].title, "\xD0\xC7\xB7\xAB\xB5\xBC\xBA\xBD" "V1.2");
    EXPECT_EQ(mailbox.letters[0].author, "\xD0\xC7\xB7\xAB");
    EXPECT_EQ(mailbox.letters[0].content, "\xB5\xDA\xD2\xBB\xD0\xD0\r\nsecond # not a comment");
    EXPECT_EQ(mailbox.letters[1].number, 0);
    EXPECT_EQ(mailbox.letters[1].title, "");
    ASSERT_EQ(mailbox.messages.size(), 1u);
    EXPECT_EQ(mailbox.messages[0].number, 3);
    EXPECT_EQ(mailbox.messages[0].nickname, "\xB7\xC3\xBF\xCD");
    EXPECT_EQ(mailbox.messages[0].content, "hi");

    EXPECT_EQ(file.findMailbox("7")->letters.at(0).title, "x");
    EXPECT_EQ(file.findMailbox("72630"), nullptr);
}

TEST(MailboxFile, NoticeValuesAreOptional)
{
    const MailboxFileResult result = parseMailboxFile("[mailbox 1]\n");
    ASSERT_TRUE(result.file.has_value()) << result.error;
    EXPECT_FALSE(result.file->noticeFlag.has_value());
    EXPECT_FALSE(result.file->noticeAddress.has_value());
}

struct ValueCase {
    const char* name;
    std::string line;
    std::string flag;
};

class MailboxValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(MailboxValueTest, QuotesAndEscapes)
{
    const MailboxFileResult result = parseMailboxFile("[notice]\n" + GetParam().line + "\n");
    ASSERT_TRUE(result.file.has_value()) << result.error;
    EXPECT_EQ(result.file->noticeFlag, GetParam().flag);
}

const ValueCase kValueCases[] = {
    {"plain", "flag = 1", "1"},
    {"spaces dropped", "flag =  1 ", "1"},
    {"quotes keep spaces", "flag = \" 1\"", " 1"},
    {"line break escape", "flag = 1\\n", "1\n"},
    {"NUL escape", "flag = 1\\0xyz", std::string("1\0xyz", 5)},
    {"backslash and quote escapes", "flag = a\\\\b\\\"c\\r\\t", "a\\b\"c\r\t"},
    {"empty", "flag =", ""},
    {"equals sign inside", "flag = a=b", "a=b"},
};

INSTANTIATE_TEST_SUITE_P(Cases, MailboxValueTest, ::testing::ValuesIn(kValueCases),
                         [](const auto& info) { return std::to_string(info.index); });

struct ErrorCase {
    const char* text;
    const char* error;
};

class MailboxErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(MailboxErrorTest, NamesTheLine)
{
    const MailboxFileResult result = parseMailboxFile(GetParam().text);
    EXPECT_FALSE(result.file.has_value());
    EXPECT_EQ(result.error, GetParam().error);
}

const ErrorCase kErrorCases[] = {
    {"title = x\n", "line 1: a key before any section"},
    {"[notice]\nflag = 1\nflag = 2\n", "line 3: flag is given twice"},
    {"[notice]\ncolour = red\n", "line 2: [notice] knows flag and address"},
    {"[mailbox 1]\ntitle = x\n", "line 2: a mailbox holds [letter N] and [message N] sections, no keys of its own"},
    {"[letter 1]\n", "line 1: a [mailbox N] section comes first"},
    {"[mailbox 12a]\n", "line 1: a mailbox number is decimal digits"},
    {"[mailbox 1]\n[mailbox 1]\n", "line 2: mailbox 1 comes twice"},
    {"[mailbox 1]\n[letter -1]\n", "line 2: the number is decimal digits up to 2147483647"},
    {"[mailbox 1]\n[letter 2147483648]\n", "line 2: the number is decimal digits up to 2147483647"},
    {"[mailbox 1]\n[letter 5]\n[letter 5]\n", "line 3: letter 5 comes twice in this mailbox"},
    {"[mailbox 1]\n[letter 5]\ntitle = a\ntitle = b\n", "line 4: title is given twice"},
    {"[mailbox 1]\n[letter 5]\nnickname = a\n", "line 3: a letter knows title, author and content"},
    {"[mailbox 1]\n[message 5]\ntitle = a\n", "line 3: a message knows nickname and content"},
    {"[mailbox 1]\n[letter 5\n", "line 2: a section header ends with ]"},
    {"[inbox]\n", "line 1: unknown section; use [notice], [mailbox N], [letter N] or [message N]"},
    {"[notice]\nflag\n", "line 2: expected [section] or key = value"},
    {"[notice]\nflag = a\\q\n", "line 2: unknown escape \\q"},
    {"[notice]\nflag = a\\\n", "line 2: a backslash ends the value"},
    {"[notice]\nflag = \xFF\n", "line 2: the value is not UTF-8 or holds a character that GBK lacks"},
    {"[notice]\nflag = \xF0\x9F\x98\x80\n", "line 2: the value is not UTF-8 or holds a character that GBK lacks"},
};

INSTANTIATE_TEST_SUITE_P(Cases, MailboxErrorTest, ::testing::ValuesIn(kErrorCases),
                         [](const auto& info) { return std::to_string(info.index); });

TEST(MailboxFile, UnreadableFileIsAnError)
{
    const MailboxFileResult result = loadMailboxFile("/nonexistent/mailbox.txt");
    EXPECT_FALSE(result.file.has_value());
    EXPECT_EQ(result.error, "/nonexistent/mailbox.txt: cannot be read");
}

}  // namespace
