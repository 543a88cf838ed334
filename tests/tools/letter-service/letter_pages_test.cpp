#include "letter_pages.hpp"

#include <gtest/gtest.h>

#include <string>

using namespace xingfan::letter_service;

namespace {

// The page markers as the program matches them (GBK).
const std::string kTitle = "\xB1\xEA\xCC\xE2\xA3\xBA";      // 标题：
const std::string kContent = "\xC4\xDA\xC8\xDD\xA3\xBA";    // 内容：
const std::string kAuthor = "\xD7\xF7\xD5\xDF";             // 作者
const std::string kSequence = "\xCB\xB3\xD0\xF2";           // 顺序
const std::string kNickname = "\xEA\xC7\xB3\xC6\xA3\xBA";   // 昵称：
const std::string kBr = "<br />";

MailboxFile sampleFile()
{
    MailboxFileResult result = parseMailboxFile(
        "[notice]\nflag = 1\\n\naddress = http://a.example/\n"
        "[mailbox 726300]\n"
        "[letter 12]\ntitle = 星帆导航V1.2\nauthor = 星帆\ncontent = one\ncontent = two\n"
        "[letter 11]\ntitle = B\nauthor = b\ncontent = b\n"
        "[letter 10]\ntitle = C\nauthor = c\ncontent = c\n"
        "[message 3]\nnickname = 访客\ncontent = hi\n"
        "[mailbox 5]\n");
    EXPECT_TRUE(result.file.has_value()) << result.error;
    return std::move(*result.file);
}

std::string listingRun(const std::string& title, const std::string& content, const std::string& author,
                       const std::string& number)
{
    return kTitle + title + kBr + kContent + content + kBr + kAuthor + "\xA3\xBA" + author + kBr + "<b>" +
           kSequence + number + kBr + "</b>";
}

PageResponse post(const std::string& target, const std::string& body)
{
    return answerRequest(sampleFile(), PageRequest{"POST", target, body});
}

const std::string kListing = "/shujuzhongxin/shouxin.php?ms=726300";
const std::string kReading = "/shujuzhongxin/duqu.php?ms=726300";
const std::string kFirstRun = listingRun("\xD0\xC7\xB7\xAB\xB5\xBC\xBA\xBD" "V1.2", "one\r\ntwo", "\xD0\xC7\xB7\xAB", "12");
const std::string kSecondRun = listingRun("B", "b", "b", "11");
const std::string kThirdRun = listingRun("C", "c", "c", "10");

TEST(LetterPages, ListingPagesHoldTheirLettersRunByRun)
{
    const PageResponse first = post(kListing, "bt=2&fy=1&msnr=726300&djfx=%B2%E9%D1%AF");
    EXPECT_EQ(first.status, 200);
    EXPECT_EQ(first.contentType, "text/html; charset=gbk");
    const std::size_t at = first.body.find(kFirstRun);
    ASSERT_NE(at, std::string::npos) << first.body;
    EXPECT_LT(at, first.body.find(kSecondRun));
    EXPECT_EQ(first.body.find(kThirdRun), std::string::npos);
    // Nothing before the first run looks like a marker.
    EXPECT_EQ(first.body.find(kTitle), at);

    const PageResponse second = post(kListing, "bt=2&fy=2");
    EXPECT_EQ(second.body.find(kFirstRun), std::string::npos);
    EXPECT_NE(second.body.find(kThirdRun), std::string::npos);

    for (const char* body : {"bt=2&fy=3", "bt=9223372036854775807&fy=9223372036854775807"}) {
        const PageResponse empty = post(kListing, body);
        EXPECT_EQ(empty.status, 200) << body;
        EXPECT_EQ(empty.body.find(kTitle), std::string::npos) << body;
    }
    EXPECT_NE(post(kListing, "bt=9223372036854775807&fy=1").body.find(kThirdRun), std::string::npos);
    EXPECT_EQ(post("/shujuzhongxin/shouxin.php?ms=5", "bt=1&fy=1").status, 200);
}

TEST(LetterPages, ReadingPageHoldsOneItem)
{
    const PageResponse letter = post(kReading, "scly=xj&bt=11&msnr=726300&djfx=%C8%B7%B6%A8");
    EXPECT_EQ(letter.status, 200);
    EXPECT_NE(letter.body.find(kTitle + "B" + kBr), std::string::npos) << letter.body;
    EXPECT_NE(letter.body.find(kContent + "b" + kBr), std::string::npos);
    EXPECT_EQ(letter.body.find(kTitle), letter.body.rfind(kTitle));

    const PageResponse message = post(kReading, "scly=ly&bt=3");
    EXPECT_NE(message.body.find(kNickname + "\xB7\xC3\xBF\xCD" + kBr), std::string::npos) << message.body;
    EXPECT_NE(message.body.find(kContent + "hi" + kBr), std::string::npos);
}

TEST(LetterPages, NoticeFilesAreServedAsWritten)
{
    const MailboxFile file = sampleFile();
    const PageResponse flag = answerRequest(file, PageRequest{"GET", "/shujuzhongxin/banb.txt", ""});
    EXPECT_EQ(flag.status, 200);
    EXPECT_EQ(flag.body, "1\n");
    EXPECT_EQ(answerRequest(file, PageRequest{"GET", "/shujuzhongxin/wz.txt", ""}).body, "http://a.example/");

    const MailboxFile noNotice;
    EXPECT_EQ(answerRequest(noNotice, PageRequest{"GET", "/shujuzhongxin/banb.txt", ""}).status, 404);
    EXPECT_EQ(answerRequest(noNotice, PageRequest{"GET", "/shujuzhongxin/wz.txt", ""}).status, 404);
}

struct BadRequestCase {
    std::string target;
    std::string body;
    int status;
    std::string reason;
};

class BadRequestTest : public ::testing::TestWithParam<BadRequestCase> {};

TEST_P(BadRequestTest, GetsAPlainErrorPage)
{
    const BadRequestCase& c = GetParam();
    const PageResponse page = post(c.target, c.body);
    EXPECT_EQ(page.status, c.status);
    EXPECT_NE(page.body.find("error " + std::to_string(c.status) + ": " + c.reason), std::string::npos) << page.body;
    // The program finds nothing to cut in an error page.
    for (const std::string& marker : {kBr, kTitle, kContent, kNickname, kSequence})
        EXPECT_EQ(page.body.find(marker), std::string::npos);
}

const BadRequestCase kBadRequests[] = {
    {"/shujuzhongxin/shouxin.php?ms=1", "bt=1&fy=1", 404, "no such mailbox"},
    {"/shujuzhongxin/shouxin.php", "bt=1&fy=1", 400, "missing field ms"},
    {"/shujuzhongxin/shouxin.php?ms=", "bt=1&fy=1", 400, "missing field ms"},
    {kListing, "fy=1", 400, "missing field bt"},
    {kListing, "bt=1", 400, "missing field fy"},
    {kListing, "bt=x&fy=1", 400, "field bt is not a number"},
    {kListing, "bt=1&fy=1x", 400, "field fy is not a number"},
    {kListing, "bt=&fy=1", 400, "field bt is not a number"},
    {kListing, "bt=99999999999999999999&fy=1", 400, "field bt is not a number"},
    {kListing, "bt=0&fy=1", 400, "bt and fy start at 1"},
    {kListing, "bt=1&fy=-1", 400, "bt and fy start at 1"},
    {kReading, "bt=12", 400, "missing field scly"},
    {kReading, "scly=zz&bt=12", 400, "scly is xj (letter) or ly (message)"},
    {kReading, "scly=xj", 400, "missing field bt"},
    {kReading, "scly=xj&bt=1.5", 400, "field bt is not a number"},
    {kReading, "scly=xj&bt=13", 404, "no such letter"},
    {kReading, "scly=ly&bt=12", 404, "no such message"},
    {kReading, "", 400, "missing field scly"},
    {"/shujuzhongxin/other.php?ms=726300", "", 404, "no such page"},
    {"/", "", 404, "no such page"},
};

INSTANTIATE_TEST_SUITE_P(Cases, BadRequestTest, ::testing::ValuesIn(kBadRequests),
                         [](const auto& info) { return std::to_string(info.index); });

TEST(LetterPages, FormFieldsArePercentDecoded)
{
    EXPECT_EQ(post(kReading, "scly=%78%6A&bt=%31%31").status, 200);
    EXPECT_EQ(post(kReading, "scly=xj&bt=1%").status, 400);
}

}  // namespace
