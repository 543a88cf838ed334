// What a server, or anything between it and the program, may send, through the whole request
// call: each reply ends with the result the request call lays down (the body, or an empty buffer
// with the header text the worker wrote), never a crash or a hang, and the worker always runs
// down (the sanitizer builds check for leaks and races).
//
// Endless headers: the worker gives up on a header block once one line passes 100 KB or the
// whole block 300 KB (the limits of the HTTP library underneath). That is a failed send: an
// empty buffer, and the header text of 1024 spaces that a block too long for its buffer gives.
#include "net/http_request.hpp"
#include "platform/inet/cookie_store.hpp"
#include "platform/inet/transfer_limits.hpp"
#include "stream_server.hpp"
#include "support/loopback_server.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using xingfan::net::httpRequest;
using xingfan::net::HttpRequestOptions;
using xingfan::testing::StreamReply;
using xingfan::testing::StreamServer;
using xingfan::testsupport::httpReply;
using xingfan::testsupport::LoopbackServer;
using xingfan::testsupport::ScriptedReply;
namespace inet = xingfan::platform::inet;

const std::string kSpaces(1024, ' ');

// Silences end a transfer after half a second here instead of 30 s; connecting keeps its limit.
class HostileServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        inet::CookieStore::instance().clear();
        inet::setTransferLimits({.connect = 60s, .idle = 500ms});
    }
    void TearDown() override
    {
        inet::setTransferLimits({});
        inet::CookieStore::instance().clear();
    }
};

struct ScriptedCase {
    const char* name;
    std::vector<ScriptedReply> replies;
    std::string expectedBody;
    std::string expectedHeaders;
    std::size_t expectedRequests;
    std::string user{};
};

// A failing case is named, not dumped byte by byte.
void PrintTo(const ScriptedCase& c, std::ostream* out)
{
    *out << c.name;
}

ScriptedReply raw(std::string bytes)
{
    return ScriptedReply{.bytes = std::move(bytes)};
}

std::vector<ScriptedReply> repeated(int count, const std::function<ScriptedReply(int)>& reply)
{
    std::vector<ScriptedReply> replies;
    for (int i = 0; i < count; ++i)
        replies.push_back(reply(i));
    return replies;
}

const std::string kGzipBody =
    "\x1F\x8B\x08\x00\x00\x00\x00\x00\x02\x03\xCB\xCB\x2F\xC9\x4C\x4E\x55\x28\x49\xAD\x28\xD1\x51\x48\xCE\xCF\x2D"
    "\x28\x4A\x2D\x2E\x4E\x4D\x51\x48\xAA\x54\x48\x54\x28\x4E\x2D\x2A\x4B\x2D\x52\xC8\xCB\x4F\xCA\x4F\x01\xF2\x8B"
    "\xB3\x53\x53\x00\x8E\x40\xC5\x99\x30\x00\x00\x00"s;

std::vector<ScriptedCase> scriptedCases()
{
    const auto challenge = [](int i) {
        return httpReply(401, "Unauthorized", "denied " + std::to_string(i), {{"WWW-Authenticate", "Basic realm=\"mail\""}});
    };
    const auto digestChallenge = [](int i) {
        return httpReply(401, "Unauthorized", "denied " + std::to_string(i),
                         {{"WWW-Authenticate", "Digest realm=\"mail\", nonce=\"n" + std::to_string(i) + "\", qop=\"auth\""}});
    };
    return {
        {"GarbageWhereTheStatusLineBelongs", {raw("\x16\x03\x01\x02\x00\x01\x00\x01\xFC\x03\x03garbage\r\n\r\nbody"s)}, "",
         kSpaces, 1},
        {"ABodyWithoutAnyHead", {raw("just a body: no status line, no headers")}, "", kSpaces, 1},
        {"AStatusLineAndNoHeaders", {raw("HTTP/1.1 200 OK\r\n\r\nthe body runs to the close")},
         "the body runs to the close", "HTTP/1.1 200 OK\r\n\r\n", 1},
        {"ContentLengthLargerThanTheBodyThenAClose",
         {raw("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nonly this much")}, "only this much",
         "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n", 1},
        {"ContentLengthLargerThanTheBodyThenSilence",
         {ScriptedReply{.bytes = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nonly this much", .keepOpen = true}},
         "only this much", "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n", 1},
        {"ANegativeContentLength", {raw("HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\nbody")}, "", kSpaces, 1},
        {"AServerThatNeverAnswers", {ScriptedReply{.silent = true}}, "", kSpaces, 1},
        {"AChunkedBodyWithExtensionsAndTrailers",
         {raw("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5;ext=1\r\nhello\r\n6\r\n world\r\n0\r\n"
              "X-Trailer: t\r\n\r\n")},
         "hello world", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", 1},
        {"AChunkedBodyWithAMalformedChunkSize",
         {raw("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\nzz\r\nworld\r\n0\r\n\r\n")}, "hello",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", 1},
        {"AGzipBodyNobodyAskedFor", {httpReply(200, "OK", kGzipBody, {{"Content-Encoding", "gzip"}})}, kGzipBody,
         "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: 66\r\nConnection: close\r\n\r\n", 1},
        {"ARedirectLoopEndsAfterTenHops",
         repeated(12, [](int i) { return httpReply(302, "Found", "hop " + std::to_string(i), {{"Location", "/loop"}}); }),
         "hop 10", "HTTP/1.1 302 Found\r\nLocation: /loop\r\nContent-Length: 6\r\nConnection: close\r\n\r\n", 11},
        {"ARedirectToAnotherSchemeIsNotFollowed",
         {httpReply(302, "Found", "moved", {{"Location", "ftp://127.0.0.1/x"}})}, "moved",
         "HTTP/1.1 302 Found\r\nLocation: ftp://127.0.0.1/x\r\nContent-Length: 5\r\nConnection: close\r\n\r\n", 1},
        {"A401ThatNeverAcceptsIsAnsweredOnce", repeated(4, challenge), "denied 1",
         "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"mail\"\r\nContent-Length: 8\r\n"
         "Connection: close\r\n\r\n",
         2, "user"},
        {"A401DigestThatNeverAccepts", repeated(5, digestChallenge), "denied 2",
         "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Digest realm=\"mail\", nonce=\"n2\", qop=\"auth\"\r\n"
         "Content-Length: 8\r\nConnection: close\r\n\r\n",
         3, "user"},
        {"A401WithoutCredentialsIsTheResponse", repeated(2, challenge), "denied 0",
         "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"mail\"\r\nContent-Length: 8\r\n"
         "Connection: close\r\n\r\n",
         1},
    };
}

class ScriptedReplies : public HostileServer, public ::testing::WithParamInterface<ScriptedCase> {};

TEST_P(ScriptedReplies, EndWithTheResultLaidDown)
{
    const ScriptedCase& c = GetParam();
    LoopbackServer server;
    for (const ScriptedReply& reply : c.replies)
        server.enqueue(reply);
    HttpRequestOptions options;
    options.method = "POST";
    options.body = "bt=1&fy=1";
    options.user = c.user;
    options.password = c.user.empty() ? "" : "pass";

    std::string headers = "old";
    EXPECT_EQ(httpRequest(server.url("/start"), options, &headers), c.expectedBody);
    EXPECT_EQ(headers, c.expectedHeaders);
    EXPECT_EQ(server.requests().size(), c.expectedRequests);
    // Nothing asks for a coding the program would have to undo.
    for (const std::string& request : server.requests())
        EXPECT_EQ(request.find("Accept-Encoding"), std::string::npos) << request;
}

INSTANTIATE_TEST_SUITE_P(Hostile, ScriptedReplies, ::testing::ValuesIn(scriptedCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// A far larger reply than the library's header limits, and far less than a client that kept
// everything would take before the server stops.
constexpr std::uint64_t kEndless = std::uint64_t{1} << 30;
constexpr std::uint64_t kTakenAtMost = std::uint64_t{64} << 20;

struct EndlessCase {
    const char* name;
    StreamReply reply;
};

void PrintTo(const EndlessCase& c, std::ostream* out)
{
    *out << c.name;
}

class EndlessHeaders : public HostileServer, public ::testing::WithParamInterface<EndlessCase> {};

TEST_P(EndlessHeaders, GiveUpAsAFailedSend)
{
    StreamServer server(GetParam().reply);
    std::string headers = "old";
    EXPECT_EQ(httpRequest(server.url("/"), {}, &headers), "");
    EXPECT_EQ(headers, kSpaces);
    EXPECT_TRUE(server.waitForHangUp(10s));
    EXPECT_LT(server.bytesSent(), kTakenAtMost);
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, EndlessHeaders,
    ::testing::Values(EndlessCase{"OneEndlessLine", {.head = "HTTP/1.1 200 OK\r\nX-Endless: ", .fill = "a", .total = kEndless}},
                      EndlessCase{"EndlessLines", {.head = "HTTP/1.1 200 OK\r\n", .fill = "X-More: 1\r\n", .total = kEndless}},
                      EndlessCase{"EndlessInterimResponses", {.head = "", .fill = "HTTP/1.1 100 Continue\r\n\r\n", .total = kEndless}}),
    [](const auto& info) { return std::string(info.param.name); });

// The program sets no limit on a body: 100 MB come whole, byte for byte.
TEST_F(HostileServer, AHundredMegabyteBodyComesWhole)
{
    constexpr std::uint64_t kSize = std::uint64_t{100} << 20;
    // 251 bytes: a prime period, so a lost, repeated or misplaced block shows.
    std::string period;
    for (int i = 0; i < 251; ++i)
        period += static_cast<char>(i);
    StreamServer server({.head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kSize) + "\r\n\r\n",
                         .fill = period,
                         .total = kSize});

    const std::string body = httpRequest(server.url("/big"));
    ASSERT_EQ(body.size(), kSize);
    // Compared a megabyte of periods at a time.
    std::string periods;
    while (periods.size() < (std::size_t{1} << 20))
        periods += period;
    std::size_t differingBlocks = 0;
    for (std::size_t at = 0; at < body.size(); at += periods.size()) {
        const std::size_t length = std::min(periods.size(), body.size() - at);
        differingBlocks += std::memcmp(body.data() + at, periods.data(), length) != 0 ? 1 : 0;
    }
    EXPECT_EQ(differingBlocks, 0u);
}

// One byte a second never lets the transfer's own silence limit strike; the call's time-out
// still does, and the cancelled worker hangs up instead of taking bytes for ever.
TEST_F(HostileServer, OneByteASecondGivesUpAtTheTimeout)
{
    inet::setTransferLimits({});
    StreamServer server({.head = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n", .fill = "x", .total = 100, .interval = 1s});
    HttpRequestOptions options;
    options.timeoutSeconds = 2;
    std::string headers = "old";
    EXPECT_EQ(httpRequest(server.url("/"), options, &headers), "");
    // The worker had not written its reply when the time-out struck.
    EXPECT_EQ(headers, "");
    EXPECT_TRUE(server.waitForHangUp(10s));
    EXPECT_LT(server.bytesSent(), std::uint64_t{100});
}

}  // namespace
