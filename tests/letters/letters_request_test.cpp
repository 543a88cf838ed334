#include "letters/letters.hpp"

#include "letters/startup_notice.hpp"
#include "net/http_request.hpp"
#include "service_base_override.hpp"
#include "support/loopback_server.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace xingfan::letters;
using namespace xingfan::letters::testing;
using xingfan::testsupport::httpReply;
using xingfan::testsupport::LoopbackServer;
using xingfan::testsupport::ScriptedReply;

namespace {

using xingfan::letters::testing::PrintTo;

const std::string kBr = "<br />";

std::string listingPage()
{
    std::string page = "<html><body>";
    for (const char* number : {"12", "11"}) {
        page += gbk("标题：V") + number + kBr + gbk("内容：公告") + number + kBr + gbk("作者：星帆") + kBr + "<b>" +
                gbk("顺序") + number + kBr + "</b>";
    }
    return page + "</body></html>";
}

const std::string kLetterPage = gbk("标题：星帆导航V1.2") + kBr + gbk("内容：新版本") + kBr;
const std::string kMessagePage = gbk("昵称：访客") + kBr + gbk("内容：你好") + kBr;

// A letter-client call over the wire: the request it must send (the address's path and the
// body), the page the server answers, and the texts that must come out.
struct WireCase {
    const char* name;
    std::string path;
    std::string body;
    std::string page;
    std::function<std::vector<std::string>()> call;
    std::vector<std::string> expected;
};

std::vector<std::string> texts(const LetterList& letters)
{
    std::vector<std::string> out;
    for (const LetterEntry& letter : letters)
        out.insert(out.end(), {letter.title, letter.content, letter.sequence});
    return out;
}

std::function<std::vector<std::string>()> listing(std::int32_t count, std::int32_t page)
{
    return [count, page] {
        LetterList letters{LetterEntry{"old", "old", "old"}};
        listLetters("726300", count, page, letters);
        return texts(letters);
    };
}

std::function<std::vector<std::string>()> reading(std::int32_t number, std::int32_t kind)
{
    return [number, kind] {
        std::string title = "old title";
        std::string content = "old content";
        readLetter("726300", number, kind, title, content);
        return std::vector<std::string>{title, content};
    };
}

const std::string kListingPath = "/shujuzhongxin/shouxin.php?ms=726300";
const std::string kReadingPath = "/shujuzhongxin/duqu.php?ms=726300";

std::vector<WireCase> wireCases()
{
    const std::vector<std::string> twoLetters{gbk("V12"), gbk("公告12"), "12", gbk("V11"), gbk("公告11"), "11"};
    return {
        {"listing", kListingPath, "bt=1&fy=1&msnr=726300&djfx=%B2%E9%D1%AF", listingPage(), listing(1, 1), twoLetters},
        {"listing with defaults", kListingPath, "bt=20&fy=1&msnr=726300&djfx=%B2%E9%D1%AF", listingPage(),
         listing(0, 0), twoLetters},
        {"listing negative", kListingPath, "bt=-1&fy=-1&msnr=726300&djfx=%B2%E9%D1%AF", listingPage(),
         listing(-1, -1), twoLetters},
        {"reading a letter", kReadingPath, "scly=xj&bt=5&msnr=726300&djfx=%C8%B7%B6%A8", kLetterPage, reading(5, 2),
         {gbk("星帆导航V1.2"), gbk("新版本")}},
        {"reading a message", kReadingPath, "scly=ly&bt=0&msnr=726300&djfx=%C8%B7%B6%A8", kMessagePage, reading(0, 1),
         {gbk("访客"), gbk("你好")}},
        {"reading kind 3 sends an empty body and keeps both", kReadingPath, "", kLetterPage, reading(5, 3),
         {"old title", "old content"}},
    };
}

class LetterWireTest : public ::testing::TestWithParam<WireCase> {};

// The client's request must be exactly what httpRequest sends for that address with the method
// POST, that body and nothing else.
TEST_P(LetterWireTest, SendsWhatHttpRequestSendsWithItsDefaults)
{
    const WireCase& c = GetParam();
    LoopbackServer server;
    const ServiceBaseOverride base(server.url("/"));
    server.enqueue(httpReply(200, "OK", c.page));
    server.enqueue(httpReply(200, "OK", ""));

    EXPECT_EQ(c.call(), c.expected);

    xingfan::net::HttpRequestOptions options;
    options.method = "POST";
    options.body = c.body;
    xingfan::net::httpRequest(server.url(c.path), options);

    const std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].starts_with("POST " + c.path + " HTTP/1.1\r\n")) << requests[0];
    EXPECT_TRUE(requests[0].ends_with("\r\n\r\n" + c.body)) << requests[0];
    EXPECT_EQ(requests[0], requests[1]);
}

INSTANTIATE_TEST_SUITE_P(Cases, LetterWireTest, ::testing::ValuesIn(wireCases()), CaseName{});

// How the service fails: refused connection, an error page, a connection reset mid-reply.
struct FailureCase {
    const char* name;
    std::optional<ScriptedReply> reply;  // none: the connection is refused
};

std::vector<FailureCase> failureCases()
{
    ScriptedReply cutShort = httpReply(200, "OK", listingPage());
    cutShort.resetAfter = 20;
    return {
        {"refused", std::nullopt},
        {"error page", httpReply(404, "Not Found", "<html><body>404 Not Found</body></html>")},
        {"reset before the body", cutShort},
    };
}

class LetterFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(LetterFailureTest, EmptiesTheListAndBothTexts)
{
    for (const std::int32_t kind : {0, 1, 2, 3}) {
        std::optional<LoopbackServer> server;
        if (GetParam().reply) {
            server.emplace();
            server->enqueue(*GetParam().reply);
        }
        // A refused connection: a port that was just given up.
        const ServiceBaseOverride override(server ? server->url("/") : LoopbackServer().url("/"));
        if (kind == 0) {
            LetterList letters{LetterEntry{"t", "c", "1"}, LetterEntry{"t2", "c2", "2"}};
            listLetters("726300", 1, 1, letters);
            EXPECT_TRUE(letters.empty());
        } else {
            std::string title = "old title";
            std::string content = "old content";
            readLetter("726300", 12, kind, title, content);
            const bool kept = kind == 3;
            EXPECT_EQ(title, kept ? "old title" : "") << "kind " << kind;
            EXPECT_EQ(content, kept ? "old content" : "") << "kind " << kind;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LetterFailureTest, ::testing::ValuesIn(failureCases()), CaseName{});

// The start-up notice through the real single-call read.
struct NoticeCase {
    const char* name;
    std::vector<ScriptedReply> replies;
    std::vector<std::string> expectedEvents;
    std::vector<std::string> expectedPaths;
};

ScriptedReply ok(std::string body) { return httpReply(200, "OK", body); }

const std::string kAddress = "http://notice.example/page.html";
const std::vector<std::string> kBothFiles{"/shujuzhongxin/banb.txt", "/shujuzhongxin/wz.txt"};
const std::vector<std::string> kFlagOnly{"/shujuzhongxin/banb.txt"};

std::vector<NoticeCase> noticeCases()
{
    return {
        {"flag 1", {ok("1"), ok(kAddress)}, {"open " + kAddress, "welcome"}, kBothFiles},
        {"flag with a line break", {ok("1\n")}, {}, kFlagOnly},
        {"flag with a leading space", {ok(" 1")}, {}, kFlagOnly},
        {"flag ending at a NUL", {ok(std::string("1\0xyz", 5)), ok(kAddress)}, {"open " + kAddress, "welcome"},
         kBothFiles},
        {"error page", {httpReply(404, "Not Found", "<html>404</html>")}, {}, kFlagOnly},
        {"address with a line break", {ok("1"), ok(kAddress + "\r\n")}, {"open " + kAddress + "\r\n", "welcome"},
         kBothFiles},
        {"unreadable address", {ok("1"), ScriptedReply{.resetAfter = 0}}, {"welcome"}, kBothFiles},
        {"non-web address", {ok("1"), ok("file:///etc/passwd")}, {"welcome"}, kBothFiles},
    };
}

class NoticeOverTheWireTest : public ::testing::TestWithParam<NoticeCase> {};

TEST_P(NoticeOverTheWireTest, ReadsTheFilesAndActs)
{
    const NoticeCase& c = GetParam();
    LoopbackServer server;
    const ServiceBaseOverride base(server.url("/"));
    for (const ScriptedReply& reply : c.replies)
        server.enqueue(reply);

    Recorder recorder;
    showStartupNotice(recorder.actions());
    EXPECT_EQ(recorder.events, c.expectedEvents);

    const std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size(), c.expectedPaths.size());
    for (std::size_t i = 0; i < requests.size(); ++i)
        EXPECT_TRUE(requests[i].starts_with("GET " + c.expectedPaths[i] + " HTTP/1.0\r\n")) << requests[i];
}

INSTANTIATE_TEST_SUITE_P(Cases, NoticeOverTheWireTest, ::testing::ValuesIn(noticeCases()), CaseName{});

TEST(NoticeOverTheWire, UnreachableServiceShowsNothing)
{
    const ServiceBaseOverride base(LoopbackServer().url("/"));
    Recorder recorder;
    showStartupNotice(recorder.actions());
    EXPECT_TRUE(recorder.events.empty());
}

}  // namespace
