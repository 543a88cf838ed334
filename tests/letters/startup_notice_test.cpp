#include "letters/startup_notice.hpp"

#include "test_support.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace xingfan::letters;
using namespace xingfan::letters::testing;

namespace {

using xingfan::letters::testing::PrintTo;

constexpr std::string_view kBase = "http://svc.example/";
const std::string kFlagUrl = "http://svc.example/shujuzhongxin/banb.txt";
const std::string kAddressUrl = "http://svc.example/shujuzhongxin/wz.txt";

struct NoticeCase {
    const char* name;
    std::string flag;
    std::string address;
    std::vector<std::string> expectedEvents;
};

class StartupNoticeTest : public ::testing::TestWithParam<NoticeCase> {};

TEST_P(StartupNoticeTest, ReadsFlagThenAddressAndActsInOrder)
{
    const NoticeCase& c = GetParam();
    Recorder recorder;
    const std::map<std::string, std::string> files = {{kFlagUrl, c.flag}, {kAddressUrl, c.address}};
    const UrlReader read = [&](std::string_view url) {
        recorder.events.push_back("read " + std::string(url));
        const auto found = files.find(std::string(url));
        return found == files.end() ? std::string() : found->second;
    };
    runStartupNotice(recorder.actions(), read, kBase);
    EXPECT_EQ(recorder.events, c.expectedEvents);
}

const std::string kReadFlag = "read " + kFlagUrl;
const std::string kReadAddress = "read " + kAddressUrl;
const std::string kPage = "http://notice.example/a.html";

const NoticeCase kNoticeCases[] = {
    {"flag 1 opens the address then shows the message", "1", kPage,
     {kReadFlag, kReadAddress, "open " + kPage, "welcome"}},
    {"flag with a line break is off", "1\n", kPage, {kReadFlag}},
    {"flag with a leading space is off", " 1", kPage, {kReadFlag}},
    {"flag ends at its NUL", std::string("1\0xyz", 5), kPage, {kReadFlag, kReadAddress, "open " + kPage, "welcome"}},
    {"empty flag is off", "", kPage, {kReadFlag}},
    {"error page is off", "<html><body>404 Not Found</body></html>", kPage, {kReadFlag}},
    {"flag 0 is off", "0", kPage, {kReadFlag}},
    {"unreadable address still shows the message", "1", "", {kReadFlag, kReadAddress, "welcome"}},
    {"address line break is handed on unchanged", "1", kPage + "\r\n",
     {kReadFlag, kReadAddress, "open " + kPage + "\r\n", "welcome"}},
    {"address ends at its NUL", "1", kPage + std::string(1, '\0') + "junk",
     {kReadFlag, kReadAddress, "open " + kPage, "welcome"}},
    {"https in capitals is a web address", "1", "HTTPS://Notice.example/",
     {kReadFlag, kReadAddress, "open HTTPS://Notice.example/", "welcome"}},
    {"file address opens nothing", "1", "file:///etc/passwd", {kReadFlag, kReadAddress, "welcome"}},
    {"script address opens nothing", "1", "javascript:alert(1)", {kReadFlag, kReadAddress, "welcome"}},
    {"program path opens nothing", "1", "/usr/bin/xterm", {kReadFlag, kReadAddress, "welcome"}},
    {"leading space hides the scheme", "1", " http://notice.example/", {kReadFlag, kReadAddress, "welcome"}},
    {"scheme with a longer name opens nothing", "1", "httpx://notice.example/", {kReadFlag, kReadAddress, "welcome"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, StartupNoticeTest, ::testing::ValuesIn(kNoticeCases), CaseName{});

TEST(StartupNotice, WelcomeTextIsTheGbkOfTheMessage)
{
    EXPECT_EQ(kWelcomeText, gbk("欢迎访问墨林论坛，【免费版会不定时弹窗，请见谅!】"));
    EXPECT_EQ(kWelcomeTitle, gbk("青简"));
}

}  // namespace
