// What reaches the server, byte for byte.
#include "inet_fixture.hpp"

#include <algorithm>
#include <utility>
#include <vector>

using namespace xingfan::platform::inet;
using namespace xingfan::platform::inet::testing;
using xingfan::testsupport::httpReply;
using xingfan::testsupport::LoopbackServer;

namespace {

constexpr const char* kPast = "Thu, 01 Jan 1970 00:00:00 GMT";

struct WireCase {
    const char* name;
    RequestParts request{};
    // Set-Cookie values of the responses to earlier requests for "/", one list per response.
    std::vector<std::vector<std::string>> earlierCookies{};
    // setCookie(name, data) calls for the server's host before the request.
    std::vector<std::pair<std::string, std::string>> storedCookies{};
    // Through the server as a proxy, to this host and port.
    std::optional<std::pair<std::string, std::int32_t>> viaProxyTo{};
    bool readUrl = false;
    // The request the server must receive; {host} stands for "127.0.0.1:<port>".
    std::string expected{};
};

std::string withHost(std::string pattern, const LoopbackServer& server)
{
    const std::string host = "127.0.0.1:" + std::to_string(server.port());
    for (std::size_t at = pattern.find("{host}"); at != std::string::npos; at = pattern.find("{host}", at))
        pattern.replace(at, 6, host);
    return pattern;
}

std::vector<std::pair<std::string, std::string>> setCookies(const std::vector<std::string>& values)
{
    std::vector<std::pair<std::string, std::string>> headers;
    for (const std::string& value : values)
        headers.emplace_back("Set-Cookie", value);
    return headers;
}

const WireCase kCases[] = {
    {.name = "EmptyMethodIsAPlainGet",
     .request = {.path = "/a?b=1"},
     .expected = "GET /a?b=1 HTTP/1.1\r\nHost: {host}\r\nUser-Agent: agent/1\r\n\r\n"},
    {.name = "GetNeverCarriesItsBody",
     .request = {.method = "get", .path = "/a", .body = "x=1"},
     .expected = "get /a HTTP/1.1\r\nHost: {host}\r\nUser-Agent: agent/1\r\n\r\n"},
    {.name = "LowerCasePostWithBodyAndCallerLines",
     .request = {.method = "post", .path = "/p", .headers = "Accept: */*\r\nX-Two: 2\r\n", .body = "x=1&y=\xD0\xC7"},
     .expected = "post /p HTTP/1.1\r\nHost: {host}\r\nContent-Length: 8\r\nUser-Agent: agent/1\r\n"
                 "Accept: */*\r\nX-Two: 2\r\n\r\nx=1&y=\xD0\xC7"},
    {.name = "PostWithoutBodySaysContentLengthZero",
     .request = {.method = "POST", .path = "/p"},
     .expected = "POST /p HTTP/1.1\r\nHost: {host}\r\nContent-Length: 0\r\nUser-Agent: agent/1\r\n\r\n"},
    {.name = "CallerHostUserAgentAndContentLengthStandAtTheirOwnPlace",
     .request = {.method = "POST",
                 .headers = "X-First: 1\r\nuser-agent: Custom\r\nHost: other.example\r\nContent-Length: 3\r\n",
                 .body = "abc"},
     .expected = "POST / HTTP/1.1\r\nX-First: 1\r\nuser-agent: Custom\r\nHost: other.example\r\nContent-Length: 3\r\n\r\nabc"},
    {.name = "OfTwoCallerContentLengthsTheLastGoesOut",
     .request = {.method = "POST", .headers = "Content-Length: 99\r\nX-A: 1\r\nContent-Length: 3\r\n", .body = "abc"},
     .expected = "POST / HTTP/1.1\r\nHost: {host}\r\nUser-Agent: agent/1\r\nX-A: 1\r\nContent-Length: 3\r\n\r\nabc"},
    {.name = "CurlAddsNoLinesOfItsOwnToALargePost",
     .request = {.method = "POST", .headers = "Content-Type: text/plain\r\n", .body = std::string(1100 * 1024, 'b')},
     .expected = "POST / HTTP/1.1\r\nHost: {host}\r\nContent-Length: 1126400\r\nUser-Agent: agent/1\r\n"
                 "Content-Type: text/plain\r\n\r\n" + std::string(1100 * 1024, 'b')},
    {.name = "BlankValuesBareLineFeedsAndAMissingLastLineEnd",
     .request = {.headers = "X-Empty:\r\n\r\nX-Lf: 1\nX-Last: 2"},
     .expected = "GET / HTTP/1.1\r\nHost: {host}\r\nUser-Agent: agent/1\r\nX-Empty:\r\nX-Lf: 1\r\nX-Last: 2\r\n\r\n"},
    {.name = "TargetKeepsItsBytesButNotWhatWouldBreakTheLine",
     .request = {.path = "/a/../b c/\xD0\xC7?q=%41&r=\r\nX: y"},
     .expected = "GET /a/../b%20c/\xD0\xC7?q=%41&r=%0D%0AX:%20y HTTP/1.1\r\nHost: {host}\r\nUser-Agent: agent/1\r\n\r\n"},
    {.name = "CookiesOfAResponseGoBackLastInOneLine",
     .request = {.path = "/x", .headers = "X-A: 1\r\n"},
     .earlierCookies = {{"sid=abc; path=/; HttpOnly", "lonely", "deep=1; path=/x/y"}},
     .expected = "GET /x HTTP/1.1\r\nHost: {host}\r\nUser-Agent: agent/1\r\nX-A: 1\r\nCookie: sid=abc; lonely\r\n\r\n"},
    {.name = "APathNarrowsACookie",
     .request = {.path = "/x/y/z?q"},
     .earlierCookies = {{"a=1; path=/x/y", "b=2; path=/x/yz", "c=3; path=/x/"}},
     .expected = "GET /x/y/z?q HTTP/1.1\r\nHost: {host}\r\nUser-Agent: agent/1\r\nCookie: a=1; c=3\r\n\r\n"},
    {.name = "AnExpiryInThePastDeletes",
     .earlierCookies = {{"a=1", "lonely", "b=2"}, {std::string("a=x; expires=") + kPast, std::string("lonely; expires=") + kPast}},
     .expected = "GET / HTTP/1.1\r\nHost: {host}\r\nUser-Agent: agent/1\r\nCookie: b=2\r\n\r\n"},
    {.name = "StoringWhatTheResponseAlreadyStoredKeepsOne",
     .earlierCookies = {{"a=1; path=/", "lonely"}},
     .storedCookies = {{"a", "1; path=/"}, {"", "lonely"}, {"b", "2"}},
     .expected = "GET / HTTP/1.1\r\nHost: {host}\r\nUser-Agent: agent/1\r\nCookie: a=1; lonely; b=2\r\n\r\n"},
    {.name = "ExplicitStoreOfANamelessCookieWithAnExpiryDeletes",
     .earlierCookies = {{"lonely", "a=1"}},
     .storedCookies = {{"lonely; expires", kPast}},
     .expected = "GET / HTTP/1.1\r\nHost: {host}\r\nUser-Agent: agent/1\r\nCookie: a=1\r\n\r\n"},
    {.name = "ProxyGetsTheAbsoluteForm",
     .request = {.method = "POST", .path = "/x?y=1", .body = "a"},
     .viaProxyTo = std::pair<std::string, std::int32_t>("letters.example", 0),
     .expected = "POST http://letters.example/x?y=1 HTTP/1.1\r\nHost: letters.example\r\nContent-Length: 1\r\n"
                 "User-Agent: agent/1\r\n\r\na"},
    {.name = "ProxyGetsTheAbsoluteFormWithItsPort",
     .request = {.path = "/x"},
     .viaProxyTo = std::pair<std::string, std::int32_t>("letters.example", 8080),
     .expected = "GET http://letters.example:8080/x HTTP/1.1\r\nHost: letters.example:8080\r\nUser-Agent: agent/1\r\n\r\n"},
    {.name = "SingleCallReadIsHttp10WithAcceptFirst",
     .request = {.path = "/shujuzhongxin/banb.txt"},
     .earlierCookies = {{"sid=1"}},
     .readUrl = true,
     .expected = "GET /shujuzhongxin/banb.txt HTTP/1.0\r\nAccept: */*\r\nHost: {host}\r\n"
                 "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\nCookie: sid=1\r\n\r\n"},
};

void PrintTo(const WireCase& c, std::ostream* os)
{
    *os << c.name;
}

class RequestWire : public InetTest, public ::testing::WithParamInterface<WireCase> {};

TEST_P(RequestWire, ServerReceivesExactlyTheseBytes)
{
    const WireCase& c = GetParam();
    LoopbackServer server;
    for (const auto& cookies : c.earlierCookies)
        server.enqueue(httpReply(200, "OK", "", setCookies(cookies)));
    server.enqueue(httpReply(200, "OK", "done"));

    for (std::size_t i = 0; i < c.earlierCookies.size(); ++i)
        EXPECT_TRUE(fetch(server, {}).sent);
    for (const auto& [name, data] : c.storedCookies)
        setCookie(server.url("/"), name, data);

    std::string body;
    if (c.readUrl) {
        body = readUrl(server.url(c.request.path));
    }
    else if (c.viaProxyTo) {
        const auto session = InternetSession::open("agent/1", "127.0.0.1:" + std::to_string(server.port()));
        const auto connection = session->connect(c.viaProxyTo->first, c.viaProxyTo->second, {}, {});
        body = fetch(*connection, c.request).body;
    }
    else {
        body = fetch(server, c.request).body;
    }

    EXPECT_EQ(body, "done");
    const std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size(), c.earlierCookies.size() + 1);
    // Head and body apart, so that a large body does not bury the difference.
    const std::string expected = withHost(c.expected, server);
    const std::size_t headEnd = std::min(requests.back().find("\r\n\r\n"), requests.back().size());
    EXPECT_EQ(requests.back().substr(0, headEnd), expected.substr(0, expected.find("\r\n\r\n")));
    EXPECT_TRUE(requests.back().substr(headEnd) == expected.substr(std::min(expected.find("\r\n\r\n"), expected.size())))
        << "the bodies differ";
}

INSTANTIATE_TEST_SUITE_P(Cases, RequestWire, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
