// The letter client against the local letter service over loopback: what the launcher does at
// start, end to end.
#include "letters/letters.hpp"

#include "letter_service_process.hpp"
#include "letters/startup_notice.hpp"
#include "service_base_override.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace xingfan::letters;
using namespace xingfan::letters::testing;
using xingfan::testing::LetterServiceProcess;
using xingfan::testing::TemporaryFile;

namespace {

const std::string kMailbox(kMailboxNumber);

TEST(LetterServiceIntegration, SampleMailboxGivesTheNoticeAndTheLatestVersion)
{
    LetterServiceProcess service(SAMPLE_MAILBOX);
    ASSERT_TRUE(service.started());
    const ServiceBaseOverride base(service.baseAddress());

    // As the launcher does: one letter of page one, its sequence as the number to read.
    LetterList letters;
    listLetters(kMailbox, 1, 1, letters);
    ASSERT_EQ(letters.size(), 1u);
    EXPECT_EQ(letters[0].title, gbk("星帆导航V1.2"));
    EXPECT_EQ(letters[0].sequence, "12");
    EXPECT_TRUE(letters[0].content.starts_with(gbk("星帆导航V1.2 已发布"))) << letters[0].content;
    EXPECT_EQ(service.nextLine(), "POST /shujuzhongxin/shouxin.php?ms=726300 body=bt=1&fy=1&msnr=726300&djfx=%B2%E9%D1%AF");

    std::string latestVersion;
    std::string latestContent;
    readLetter(kMailbox, std::stoi(letters[0].sequence), 2, latestVersion, latestContent);
    EXPECT_EQ(latestVersion, gbk("星帆导航V1.2"));
    EXPECT_EQ(latestContent, letters[0].content);
    EXPECT_EQ(service.nextLine(), "POST /shujuzhongxin/duqu.php?ms=726300 body=scly=xj&bt=12&msnr=726300&djfx=%C8%B7%B6%A8");

    listLetters(kMailbox, 0, 0, letters);
    ASSERT_EQ(letters.size(), 2u);
    EXPECT_EQ(letters[1].sequence, "11");

    std::string nickname;
    std::string message;
    readLetter(kMailbox, 1, 1, nickname, message);
    EXPECT_EQ(nickname, gbk("访客"));
    EXPECT_EQ(message, gbk("好用，谢谢！"));

    // The sample keeps the notice off.
    Recorder recorder;
    showStartupNotice(recorder.actions());
    EXPECT_TRUE(recorder.events.empty());
}

TEST(LetterServiceIntegration, UnknownItemsGiveEmptyResults)
{
    LetterServiceProcess service(SAMPLE_MAILBOX);
    ASSERT_TRUE(service.started());
    const ServiceBaseOverride base(service.baseAddress());

    LetterList letters{LetterEntry{"t", "c", "1"}};
    listLetters("1", 1, 1, letters);
    EXPECT_TRUE(letters.empty());

    std::string title = "old";
    std::string content = "old";
    readLetter(kMailbox, 99, 2, title, content);
    EXPECT_EQ(title, "");
    EXPECT_EQ(content, "");
}

TEST(LetterServiceIntegration, NoticeSwitchedOnOpensTheAddressThenShowsTheMessage)
{
    const TemporaryFile mailbox("[notice]\nflag = 1\naddress = http://www.xingfan.example/notice.html\\r\\n\n"
                                "[mailbox 726300]\n");
    LetterServiceProcess service(mailbox.path());
    ASSERT_TRUE(service.started());
    const ServiceBaseOverride base(service.baseAddress());

    std::vector<std::string> events;
    showStartupNotice(NoticeActions{
        [&](const std::string& address) { events.push_back("open " + address); },
        [&](const std::string& text, const std::string& title) {
            events.push_back(text == gbk("欢迎访问墨林论坛，【免费版会不定时弹窗，请见谅!】") && title == gbk("青简")
                                 ? "welcome"
                                 : "other message");
        },
    });
    EXPECT_EQ(events, (std::vector<std::string>{"open http://www.xingfan.example/notice.html\r\n", "welcome"}));
    EXPECT_EQ(service.nextLine(), "GET /shujuzhongxin/banb.txt body=");
    EXPECT_EQ(service.nextLine(), "GET /shujuzhongxin/wz.txt body=");
}

}  // namespace
