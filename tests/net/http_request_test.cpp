#include "net/http_request.hpp"
#include "support/loopback_server.hpp"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace xingfan::net;
using xingfan::testsupport::httpReply;
using xingfan::testsupport::LoopbackServer;
using xingfan::testsupport::ScriptedReply;
using namespace std::string_literals;
using namespace std::chrono_literals;

namespace {

constexpr const char* kAgentLine = "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n";
constexpr const char* kDefaultAcceptLine =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";

std::string hostLine(const LoopbackServer& server)
{
    return "Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n";
}

// One request through httpRequest, and the bytes that reached the server.
struct WireCase {
    const char* name;
    const char* path;
    HttpRequestOptions options;
    // The expected request, with {host}, {url} and {agent} standing for the host line, the full
    // address and the agent line.
    std::string expected;
};

std::string expand(std::string pattern, const LoopbackServer& server, const std::string& url)
{
    const auto replace = [&pattern](const std::string& key, const std::string& value) {
        for (std::size_t at = pattern.find(key); at != std::string::npos; at = pattern.find(key, at + value.size()))
            pattern.replace(at, key.size(), value);
    };
    replace("{host}", hostLine(server));
    replace("{agent}", kAgentLine);
    replace("{accept}", kDefaultAcceptLine);
    replace("{url}", url);
    return pattern;
}

HttpRequestOptions post(std::string body, std::string headers = {}, std::string method = "POST")
{
    HttpRequestOptions options;
    options.method = std::move(method);
    options.body = std::move(body);
    options.headers = std::move(headers);
    return options;
}

const WireCase kWireCases[] = {
    {"PostWithBodyGetsTheFiveDefaultLines", "/shujuzhongxin/shouxin.php?ms=726300", post("bt=1&fy=1"),
     "POST /shujuzhongxin/shouxin.php?ms=726300 HTTP/1.1\r\n{host}{agent}{accept}"
     "Referer: {url}\r\nAccept-Language: zh-cn\r\n"
     "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 9\r\n\r\nbt=1&fy=1"},
    {"CallerAcceptInLowerCaseReplacesTheDefault", "/a", post("x=1", "accept: text/html\r\n"),
     "POST /a HTTP/1.1\r\n{host}{agent}accept: text/html\r\nReferer: {url}\r\nAccept-Language: zh-cn\r\n"
     "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 3\r\n\r\nx=1"},
    {"LowerCaseMethodGoesOutAsGiven", "/a", post("x=1", "", "post"),
     "post /a HTTP/1.1\r\n{host}{agent}{accept}Referer: {url}\r\nAccept-Language: zh-cn\r\n"
     "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 3\r\n\r\nx=1"},
    {"PostWithoutBodyCarriesContentLengthZero", "/a", post(""),
     "POST /a HTTP/1.1\r\n{host}Content-Length: 0\r\n{agent}{accept}Referer: {url}\r\nAccept-Language: zh-cn\r\n\r\n"},
    {"GetSendsNoBody", "/a?q=1", post("x=1", "", "GET"),
     "GET /a?q=1 HTTP/1.1\r\n{host}{agent}{accept}Referer: {url}\r\nAccept-Language: zh-cn\r\n\r\n"},
    {"EmptyMethodIsGet", "/a", post("", "", ""),
     "GET /a HTTP/1.1\r\n{host}{agent}{accept}Referer: {url}\r\nAccept-Language: zh-cn\r\n\r\n"},
    {"CallerContentLengthGivesWayToTheComputedOne", "/a", post("x=1", "Content-Length: 99\r\nX-Tag: 1\r\n"),
     "POST /a HTTP/1.1\r\n{host}{agent}X-Tag: 1\r\n{accept}Referer: {url}\r\nAccept-Language: zh-cn\r\n"
     "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 3\r\n\r\nx=1"},
    {"CallerContentTypeAndRefererKeepTheirPlace", "/a",
     post("x=1", "Content-Type: text/plain\r\nReferer: http://elsewhere.example/\r\n"),
     "POST /a HTTP/1.1\r\n{host}{agent}Content-Type: text/plain\r\nReferer: http://elsewhere.example/\r\n"
     "{accept}Accept-Language: zh-cn\r\nContent-Length: 3\r\n\r\nx=1"},
};

class WireTest : public testing::TestWithParam<WireCase> {};

TEST_P(WireTest, SendsExactlyTheseBytes)
{
    const WireCase& c = GetParam();
    LoopbackServer server;
    server.enqueue(httpReply(200, "OK", "done"));
    const std::string url = server.url(c.path);

    EXPECT_EQ(httpRequest(url, c.options), "done");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests().front(), expand(c.expected, server, url));
}

INSTANTIATE_TEST_SUITE_P(Requests, WireTest, testing::ValuesIn(kWireCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HttpRequest, GoesThroughAProxyInAbsoluteForm)
{
    LoopbackServer proxy;
    proxy.enqueue(httpReply(200, "OK", "via proxy"));
    HttpRequestOptions options = post("a=1");
    options.proxy = "127.0.0.1:" + std::to_string(proxy.port());

    EXPECT_EQ(httpRequest("http://letters.example/x?y=1", options), "via proxy");
    ASSERT_EQ(proxy.requests().size(), 1u);
    const std::string request = proxy.requests().front();
    EXPECT_EQ(request.rfind("POST http://letters.example/x?y=1 HTTP/1.1\r\nHost: letters.example\r\n", 0), 0u)
        << request;
}

TEST(HttpRequest, ABlankProxyMeansADirectConnection)
{
    LoopbackServer server;
    server.enqueue(httpReply(200, "OK", "direct"));
    HttpRequestOptions options;
    options.proxy = " \xA1\xA1 ";
    EXPECT_EQ(httpRequest(server.url("/"), options), "direct");
}

TEST(HttpRequest, CookiesOfOneResponseGoBackOnTheNextRequest)
{
    LoopbackServer server;
    server.enqueue(httpReply(200, "OK", "", {{"Set-Cookie", "session=abc; path=/"}, {"Set-Cookie", "lonely"}}));
    server.enqueue(httpReply(200, "OK", "", {{"Set-Cookie", "session=gone; expires=Thu, 01 Jan 1970 00:00:00 GMT"},
                                             {"Set-Cookie", "lonely; expires=Thu, 01 Jan 1970 00:00:00 GMT"}}));
    server.enqueue(httpReply(200, "OK", ""));

    httpRequest(server.url("/first"));
    httpRequest(server.url("/second"));
    httpRequest(server.url("/third"));

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].find("Cookie:"), std::string::npos);
    EXPECT_NE(requests[1].find("Accept-Language: zh-cn\r\nCookie: session=abc; lonely\r\n\r\n"), std::string::npos)
        << requests[1];
    EXPECT_EQ(requests[2].find("Cookie:"), std::string::npos) << requests[2];
}

TEST(HttpRequest, DeliversTheBodyByteForByteWhateverTheStatus)
{
    LoopbackServer server;
    const std::string body = "a\0b\0\xFF"s + std::string(5000, 'z');
    server.enqueue(httpReply(404, "Not Found", body));
    std::string headers;
    EXPECT_EQ(httpRequest(server.url("/missing"), {}, &headers), body);
    EXPECT_EQ(headers.rfind("HTTP/1.1 404 Not Found\r\n", 0), 0u) << headers;
    EXPECT_EQ(headers.substr(headers.size() - 4), "\r\n\r\n");
}

TEST(HttpRequest, AHeaderBlockThatDoesNotFitGivesSpacesButKeepsTheBody)
{
    LoopbackServer server;
    server.enqueue(httpReply(200, "OK", "body", {{"X-Long", std::string(1100, 'h')}}));
    std::string headers;
    EXPECT_EQ(httpRequest(server.url("/"), {}, &headers), "body");
    EXPECT_EQ(headers, std::string(1024, ' '));
}

TEST(HttpRequest, AnEmptyBodyIsAnEmptyResult)
{
    LoopbackServer server;
    server.enqueue(httpReply(204, "No Content", ""));
    std::string headers = "old";
    EXPECT_EQ(httpRequest(server.url("/"), {}, &headers), "");
    EXPECT_EQ(headers.rfind("HTTP/1.1 204", 0), 0u);
}

// Requests that never produce a reply, and what the caller gets.
struct FailureCase {
    const char* name;
    const char* method;
    bool serverUp;
    bool unresolvable;
    std::string expectedHeaders;
};

const FailureCase kFailureCases[] = {
    {"PutSendsNothing", "PUT", true, false, ""},
    {"LeadingSpaceMethodSendsNothing", " POST", true, false, ""},
    {"RefusedConnection", "POST", false, false, std::string(1024, ' ')},
    {"UnresolvableHost", "POST", true, true, std::string(1024, ' ')},
};

class FailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(FailureTest, GivesAnEmptyBuffer)
{
    const FailureCase& c = GetParam();
    auto server = std::make_unique<LoopbackServer>();
    server->enqueue(httpReply(200, "OK", "should not be read"));
    const std::string url = c.unresolvable ? "http://nowhere.invalid/x" : server->url("/x");
    if (!c.serverUp)
        server.reset();

    std::string headers = "old";
    EXPECT_EQ(httpRequest(url, post("a=1", "", c.method), &headers), "");
    EXPECT_EQ(headers, c.expectedHeaders);
    if (server) {
        EXPECT_TRUE(server->requests().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Failures, FailureTest, testing::ValuesIn(kFailureCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HttpRequestTimeout, ASilentServerGivesUpAfterTheTimeout)
{
    LoopbackServer server;
    ScriptedReply silence;
    silence.silent = true;
    server.enqueue(silence);
    HttpRequestOptions options = post("a=1");
    options.timeoutSeconds = 1;

    QElapsedTimer clock;
    clock.start();
    std::string headers = "old";
    EXPECT_EQ(httpRequest(server.url("/"), options, &headers), "");
    EXPECT_GE(clock.elapsed(), 1000 - 1);
    EXPECT_EQ(headers, "");
    EXPECT_TRUE(server.waitForRequests(1, 5s));
}

TEST(HttpRequestTimeout, EventsKeepTheCallWaitingUntilTheyStop)
{
    LoopbackServer server;
    ScriptedReply silence;
    silence.silent = true;
    server.enqueue(silence);
    HttpRequestOptions options;
    options.timeoutSeconds = 1;

    // An event every 300 ms for 2.4 s; the call gives up a whole second after the last one.
    QElapsedTimer clock;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    int ticks = 0;
    qint64 lastTickAt = 0;
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
        lastTickAt = clock.elapsed();
        if (++ticks == 8)
            ticker.stop();
    });
    clock.start();
    ticker.start(300);

    EXPECT_EQ(httpRequest(server.url("/"), options), "");
    EXPECT_EQ(ticks, 8);
    // One millisecond of slack for the clock's rounding.
    EXPECT_GE(clock.elapsed(), lastTickAt + 1000 - 1);
}

TEST(HttpRequestTimeout, AReplyArrivingTooLateReachesNobody)
{
    // The server starts answering, then drips the body slower than the call waits: the call
    // returns empty, and the cancelled worker runs down on its own.
    LoopbackServer server;
    ScriptedReply drip = httpReply(200, "OK", std::string(200, 'd'));
    drip.dripInterval = 20ms;
    server.enqueue(drip);
    HttpRequestOptions options;
    options.timeoutSeconds = 1;
    std::string headers = "old";
    EXPECT_EQ(httpRequest(server.url("/"), options, &headers), "");
    EXPECT_EQ(headers, "");
}

}  // namespace
