// Responses, redirects, challenges, failures, time-outs and cancellation.
#include "inet_fixture.hpp"

#include <cstring>
#include <set>
#include <thread>
#include <vector>

using namespace xingfan::platform::inet;
using namespace xingfan::platform::inet::testing;
using xingfan::testsupport::httpReply;
using xingfan::testsupport::LoopbackServer;
using xingfan::testsupport::ScriptedReply;
using namespace std::chrono_literals;
using namespace std::string_literals;

namespace {

std::string hostLine(const LoopbackServer& server)
{
    return "Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n";
}

// A port on which nothing listens: a server's, once it has stopped.
std::uint16_t closedPort()
{
    return LoopbackServer().port();
}

using ResponseTest = InetTest;

TEST_F(ResponseTest, RawHeadersAreRebuiltFromTheFinalResponse)
{
    const std::string longValue(2000, 'v');
    struct Case {
        const char* name;
        std::string reply;
        std::string headers;
        std::string body;
    };
    const Case cases[] = {
        {"spaces trimmed, folded line joined, names as received",
         "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nX-Spaced:   v  \r\nFolded: a\r\n  b\r\nlower-case: x\r\n\r\nok",
         "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nX-Spaced: v\r\nFolded: a b\r\nlower-case: x\r\n\r\n", "ok"},
        {"a value that starts on the folded line", "HTTP/1.1 200 OK\r\nFolded:\r\n  b\r\nContent-Length: 0\r\n\r\n",
         "HTTP/1.1 200 OK\r\nFolded: b\r\nContent-Length: 0\r\n\r\n", ""},
        {"bare line feeds, HTTP/1.0 body up to the close",
         "HTTP/1.0 404 Not Found\nServer: x\n\nmissing", "HTTP/1.0 404 Not Found\r\nServer: x\r\n\r\n", "missing"},
        {"a block far over 1023 bytes comes whole",
         "HTTP/1.1 200 OK\r\nX-Long: " + longValue + "\r\nContent-Length: 1\r\n\r\nz",
         "HTTP/1.1 200 OK\r\nX-Long: " + longValue + "\r\nContent-Length: 1\r\n\r\n", "z"},
        {"an interim 100 is not the response",
         "HTTP/1.1 100 Continue\r\nX-Interim: 1\r\n\r\nHTTP/1.1 201 Created\r\nContent-Length: 1\r\n\r\nc",
         "HTTP/1.1 201 Created\r\nContent-Length: 1\r\n\r\n", "c"},
        {"a status line in any case, as curl reads it", "hTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n",
         "hTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", ""},
        {"a header that looks like a status line stays a header",
         "HTTP/1.1 200 OK\r\nHTTP/1.1 302 Found: /x\r\nContent-Length: 1\r\n\r\nz",
         "HTTP/1.1 200 OK\r\nHTTP/1.1 302 Found: /x\r\nContent-Length: 1\r\n\r\n", "z"},
        {"a line of blanks is no end, a line that begins with CR is one",
         "HTTP/1.1 100 Continue\r\n\rjunk\r\nHTTP/1.1 200 OK\r\nX-A: 1\r\n \t \r\nContent-Length: 1\r\n\r\nz",
         "HTTP/1.1 200 OK\r\nX-A: 1\r\nContent-Length: 1\r\n\r\n", "z"},
        {"a status line without a code is the response, as curl takes it",
         "HTTP/x\r\nSet-Cookie: c=1\r\n\r\n", "HTTP/x\r\nSet-Cookie: c=1\r\n\r\n", ""},
        {"chunked body arrives decoded",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "abcde"},
        {"trailers of a chunked body are no headers",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1\r\na\r\n0\r\nX-Trailer: t\r\nSet-Cookie: t=1\r\n\r\n",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "a"},
    };
    for (const Case& c : cases) {
        LoopbackServer server;
        server.enqueue(ScriptedReply{.bytes = c.reply});
        const Outcome outcome = fetch(server, {});
        EXPECT_TRUE(outcome.sent) << c.name;
        EXPECT_EQ(outcome.headers, c.headers) << c.name;
        EXPECT_EQ(outcome.body, c.body) << c.name;
    }
}

TEST_F(ResponseTest, BodyComesByteForByteWhateverTheStatusAndTheReadSize)
{
    std::string body = "a\0b\0\xFF"s;
    for (unsigned i = 0; body.size() < 300'000; ++i)
        body += static_cast<char>((i * 7919u) >> 3);
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{512}, std::size_t{1} << 20}) {
        LoopbackServer server;
        server.enqueue(httpReply(500, "Internal Server Error", body));
        const auto session = InternetSession::open("agent/1", {});
        const auto connection = session->connect("127.0.0.1", server.port(), {}, {});
        const Outcome outcome = fetch(*connection, {}, chunk);
        EXPECT_TRUE(outcome.sent);
        EXPECT_TRUE(outcome.body == body) << "read size " << chunk << ": " << outcome.body.size() << " bytes";
    }
}

TEST_F(ResponseTest, AChallengeIsAnsweredOnlyWithCredentialsAndOnlyOnce)
{
    const auto challenge = [] {
        return httpReply(401, "Unauthorized", "denied", {{"WWW-Authenticate", "Basic realm=\"mail\""}, {"Set-Cookie", "c=401"}});
    };
    struct Case {
        const char* name;
        std::string user;
        std::vector<ScriptedReply> replies;
        std::size_t requests;
        std::string status;
        std::string body;
    };
    const Case cases[] = {
        {"accepted", "user", {challenge(), httpReply(200, "OK", "welcome")}, 2, "HTTP/1.1 200 OK", "welcome"},
        {"never accepted", "user", {challenge(), challenge()}, 2, "HTTP/1.1 401 Unauthorized", "denied"},
        {"no credentials", "", {challenge()}, 1, "HTTP/1.1 401 Unauthorized", "denied"},
        {"no scheme that can be answered", "user",
         {httpReply(401, "Unauthorized", "bearer", {{"WWW-Authenticate", "Bearer"}})}, 1, "HTTP/1.1 401 Unauthorized", "bearer"},
    };
    for (const Case& c : cases) {
        CookieStore::instance().clear();
        LoopbackServer server;
        for (const ScriptedReply& reply : c.replies)
            server.enqueue(reply);
        const Outcome outcome = fetch(server, {.method = "POST", .path = "/secret", .body = "a=1"}, c.user, "pass");
        EXPECT_TRUE(outcome.sent) << c.name;
        EXPECT_EQ(outcome.body, c.body) << c.name;
        ASSERT_TRUE(outcome.headers) << c.name;
        EXPECT_EQ(outcome.headers->substr(0, c.status.size()), c.status) << c.name;

        const std::vector<std::string> requests = server.requests();
        ASSERT_EQ(requests.size(), c.requests) << c.name;
        const std::string plain = "POST /secret HTTP/1.1\r\n" + hostLine(server) + "Content-Length: 3\r\nUser-Agent: agent/1\r\n";
        EXPECT_EQ(requests[0], plain + "\r\na=1") << c.name;
        // The answer repeats the request with the credentials (curl puts them first) and the
        // challenge's cookie.
        if (c.requests == 2) {
            EXPECT_EQ(requests[1], "POST /secret HTTP/1.1\r\nAuthorization: Basic dXNlcjpwYXNz\r\n" + hostLine(server)
                                       + "Content-Length: 3\r\nUser-Agent: agent/1\r\nCookie: c=401\r\n\r\na=1")
                << c.name;
        }
    }
}

TEST_F(ResponseTest, RedirectsChangeOrKeepTheMethodAndCarryTheHopsCookies)
{
    struct Case {
        int status;
        bool keepsMethod;
    };
    for (const Case c : {Case{301, false}, Case{302, false}, Case{303, false}, Case{307, true}, Case{308, true}}) {
        CookieStore::instance().clear();
        LoopbackServer server;
        server.enqueue(httpReply(c.status, "Moved", "moved", {{"Location", "next?n=1"}, {"Set-Cookie", "hop=1"}}));
        server.enqueue(httpReply(200, "OK", "arrived"));
        const Outcome outcome =
            fetch(server, {.method = "post", .path = "/dir/first", .headers = "X-A: 1\r\nContent-Length: 3\r\n", .body = "a=1"});
        EXPECT_TRUE(outcome.sent);
        EXPECT_EQ(outcome.body, "arrived");
        EXPECT_EQ(outcome.headers, "HTTP/1.1 200 OK\r\nContent-Length: 7\r\nConnection: close\r\n\r\n");

        const std::vector<std::string> requests = server.requests();
        ASSERT_EQ(requests.size(), 2u) << c.status;
        const std::string expected =
            c.keepsMethod ? "post /dir/next?n=1 HTTP/1.1\r\n" + hostLine(server) + "User-Agent: agent/1\r\nX-A: 1\r\nContent-Length: 3\r\nCookie: hop=1\r\n\r\na=1"
                          : "GET /dir/next?n=1 HTTP/1.1\r\n" + hostLine(server) + "User-Agent: agent/1\r\nX-A: 1\r\nCookie: hop=1\r\n\r\n";
        EXPECT_EQ(requests[1], expected) << c.status;
    }
}

TEST_F(ResponseTest, ARedirectLoopEndsAfterTenHopsWithTheLastResponse)
{
    LoopbackServer server;
    for (int i = 0; i <= 11; ++i)
        server.enqueue(httpReply(302, "Found", "hop " + std::to_string(i), {{"Location", "/loop"}}));
    const Outcome outcome = fetch(server, {.path = "/start"});
    EXPECT_TRUE(outcome.sent);
    EXPECT_EQ(outcome.body, "hop 10");
    ASSERT_TRUE(outcome.headers);
    EXPECT_EQ(outcome.headers->rfind("HTTP/1.1 302 Found\r\nLocation: /loop\r\n", 0), 0u);
    EXPECT_EQ(server.requests().size(), 11u);
}

TEST_F(ResponseTest, EachHopToAnotherHostCarriesThatHostAndItsCookiesOnly)
{
    LoopbackServer proxy;
    proxy.enqueue(httpReply(302, "Found", "", {{"Location", "http://Other.Example:8080/z"}}));
    proxy.enqueue(httpReply(200, "OK", "there"));
    setCookie("http://letters.example", "mine", "1");
    setCookie("http://other.example", "theirs", "2");

    const auto session = InternetSession::open("agent/1", "127.0.0.1:" + std::to_string(proxy.port()));
    const auto connection = session->connect("letters.example", 80, "user", "pass");
    const Outcome outcome = fetch(*connection, {.path = "/a", .headers = "Host: letters.example\r\nX-A: 1\r\n"});
    EXPECT_EQ(outcome.body, "there");

    const std::vector<std::string> requests = proxy.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], "GET http://letters.example/a HTTP/1.1\r\nUser-Agent: agent/1\r\nHost: letters.example\r\n"
                           "X-A: 1\r\nCookie: mine=1\r\n\r\n");
    // The caller's Host line was for the first server.
    EXPECT_EQ(requests[1], "GET http://other.example:8080/z HTTP/1.1\r\nHost: other.example:8080\r\n"
                           "User-Agent: agent/1\r\nX-A: 1\r\nCookie: theirs=2\r\n\r\n");
}

TEST_F(ResponseTest, FailuresBeforeAResponseLeaveNoHeaders)
{
    struct Case {
        const char* name;
        std::string host;
        std::int32_t port;
        std::string method;
        std::optional<ScriptedReply> reply;
    };
    LoopbackServer server;
    const Case cases[] = {
        {"refused", "127.0.0.1", closedPort(), "GET", std::nullopt},
        {"unresolvable", "nowhere.invalid", 80, "GET", std::nullopt},
        {"reset before a byte", "127.0.0.1", server.port(), "GET", ScriptedReply{.bytes = "HTTP/1.1 200 OK\r\n", .resetAfter = 0}},
        {"reset inside the headers", "127.0.0.1", server.port(), "GET",
         ScriptedReply{.bytes = "HTTP/1.1 200 OK\r\nContent-Le", .resetAfter = 20}},
        {"method that is not one token", "127.0.0.1", server.port(), "PO ST", std::nullopt},
        {"port out of range", "127.0.0.1", 70000, "GET", std::nullopt},
    };
    for (const Case& c : cases) {
        if (c.reply)
            server.enqueue(*c.reply);
        const std::size_t before = server.requests().size();
        const auto session = InternetSession::open("agent/1", {});
        const auto connection = session->connect(c.host, c.port, {}, {});
        const auto request = connection->openRequest(c.method, "/", "HTTP/1.1");
        EXPECT_FALSE(request->send({}, {})) << c.name;
        char byte = 0;
        EXPECT_EQ(request->read(&byte, 1), 0u) << c.name;
        EXPECT_EQ(request->rawHeaders(), std::nullopt) << c.name;
        EXPECT_EQ(server.requests().size(), before + (c.reply ? 1 : 0)) << c.name;
    }
}

TEST_F(ResponseTest, AResetWhileReadingGivesWhatArrived)
{
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n";
    const ScriptedReply cut{.bytes = head + std::string(100, 'x'), .resetAfter = head.size() + 10};
    LoopbackServer server;
    server.enqueue(cut);
    const Outcome outcome = fetch(server, {});
    EXPECT_TRUE(outcome.sent);
    EXPECT_EQ(outcome.headers, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n");
    EXPECT_EQ(outcome.body, std::string(10, 'x'));

    server.enqueue(cut);
    EXPECT_EQ(readUrl(server.url("/notice.txt")), std::string(10, 'x'));
}

TEST_F(ResponseTest, SilenceEndsTheExchangeButSteadyDataDoesNot)
{
    setTransferLimits({.connect = 60s, .idle = 300ms});
    LoopbackServer server;

    server.enqueue(ScriptedReply{.silent = true});
    const Outcome silent = fetch(server, {});
    EXPECT_FALSE(silent.sent);
    EXPECT_EQ(silent.headers, std::nullopt);

    server.enqueue(ScriptedReply{.bytes = "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\npart", .keepOpen = true});
    const Outcome stalled = fetch(server, {});
    EXPECT_TRUE(stalled.sent);
    EXPECT_EQ(stalled.body, "part");

    // Bytes every 20 ms keep the exchange alive well past one silence limit in all.
    server.enqueue(ScriptedReply{.bytes = "HTTP/1.1 200 OK\r\nContent-Length: 12\r\n\r\nslow-but-ok!", .dripInterval = 20ms});
    const Outcome dripped = fetch(server, {});
    EXPECT_TRUE(dripped.sent);
    EXPECT_EQ(dripped.body, "slow-but-ok!");
}

// A cancel() from another thread must end a wait that nothing else would end: the silence limit
// is set far beyond the test's run time, so only the cancellation can let these calls return.
class CancellationTest : public InetTest {
protected:
    void SetUp() override
    {
        InetTest::SetUp();
        setTransferLimits({.connect = 60s, .idle = 24h});
    }

    std::shared_ptr<Cancellation> cancellation = std::make_shared<Cancellation>();
    LoopbackServer server;
};

TEST_F(CancellationTest, CancelDuringASendEndsItAndEveryLaterCall)
{
    server.enqueue(ScriptedReply{.silent = true});
    server.enqueue(httpReply(200, "OK", "never asked for"));
    const auto session = InternetSession::open("agent/1", {}, cancellation);
    const auto connection = session->connect("127.0.0.1", server.port(), {}, {});
    const auto request = connection->openRequest({}, "/", "HTTP/1.1");

    std::thread canceller([&] {
        if (server.waitForRequests(1, 10s))
            cancellation->cancel();
    });
    EXPECT_FALSE(request->send({}, {}));
    canceller.join();
    EXPECT_TRUE(cancellation->cancelled());

    char byte = 0;
    EXPECT_EQ(request->read(&byte, 1), 0u);
    EXPECT_FALSE(connection->openRequest({}, "/", "HTTP/1.1")->send({}, {}));
    EXPECT_EQ(server.connectionCount(), 1u);
}

TEST_F(CancellationTest, CancelDuringAReadEndsIt)
{
    server.enqueue(ScriptedReply{.bytes = "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\npart", .keepOpen = true});
    const auto session = InternetSession::open("agent/1", {}, cancellation);
    const auto connection = session->connect("127.0.0.1", server.port(), {}, {});
    const auto request = connection->openRequest({}, "/", "HTTP/1.1");
    ASSERT_TRUE(request->send({}, {}));
    char buffer[16];
    ASSERT_EQ(request->read(buffer, sizeof buffer), 4u);

    std::thread canceller([&] {
        std::this_thread::sleep_for(50ms);
        cancellation->cancel();
    });
    EXPECT_EQ(request->read(buffer, sizeof buffer), 0u);
    canceller.join();
    EXPECT_EQ(request->read(buffer, sizeof buffer), 0u);
}

TEST_F(CancellationTest, CancelledBeforeSendingNothingGoesOut)
{
    cancellation->cancel();
    const auto session = InternetSession::open("agent/1", {}, cancellation);
    EXPECT_FALSE(session->connect("127.0.0.1", server.port(), {}, {})->openRequest({}, "/", "HTTP/1.1")->send({}, {}));
    EXPECT_EQ(server.connectionCount(), 0u);
}

// Exchanges made one after another on a thread share curl's multi handle; nothing of one may
// carry over to the next. The server answers each connection once and keeps it open, so a
// request sent down an earlier exchange's connection would never be answered.
TEST_F(CancellationTest, ExchangesOnOneThreadEachOpenTheirOwnConnectionEvenAfterACancel)
{
    setTransferLimits({.connect = 60s, .idle = 5s});
    server.enqueue(ScriptedReply{.silent = true});
    {
        const auto session = InternetSession::open("agent/1", {}, cancellation);
        const auto request = session->connect("127.0.0.1", server.port(), {}, {})->openRequest({}, "/", "HTTP/1.1");
        std::thread canceller([&] {
            if (server.waitForRequests(1, 10s))
                cancellation->cancel();
        });
        EXPECT_FALSE(request->send({}, {}));
        canceller.join();
    }

    for (const char* body : {"first", "second"}) {
        server.enqueue(ScriptedReply{.bytes = "HTTP/1.1 200 OK\r\nContent-Length: "s + std::to_string(std::strlen(body)) +
                                              "\r\n\r\n" + body,
                                     .keepOpen = true});
        const Outcome outcome = fetch(server, {});
        EXPECT_TRUE(outcome.sent) << body;
        EXPECT_EQ(outcome.body, body);
    }
    EXPECT_EQ(server.connectionCount(), 3u);
}

using SingleCallReadTest = InetTest;

TEST_F(SingleCallReadTest, ReadsTheBodyWhateverTheStatusAndFollowsRedirects)
{
    LoopbackServer server;
    server.enqueue(httpReply(404, "Not Found", "no such\0file"s));
    EXPECT_EQ(readUrl(server.url("/missing.txt")), "no such\0file"s);

    server.enqueue(httpReply(302, "Found", "", {{"Location", "/moved.txt"}}));
    server.enqueue(httpReply(200, "OK", "1"));
    EXPECT_EQ(readUrl(server.url("/banb.txt")), "1");
    const std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[2], "GET /moved.txt HTTP/1.0\r\nAccept: */*\r\n" + hostLine(server)
                               + "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n\r\n");

    EXPECT_EQ(readUrl("http://127.0.0.1:" + std::to_string(closedPort()) + "/x"), "");
    EXPECT_EQ(readUrl("http://nowhere.invalid/x"), "");
    EXPECT_EQ(readUrl("https://127.0.0.1/x"), "");
}

// Transfers on several threads at once share only the cookie store.
TEST_F(InetTest, ConcurrentTransfersShareTheCookieStore)
{
    constexpr int kThreads = 4;
    constexpr int kRounds = 8;
    std::vector<std::unique_ptr<LoopbackServer>> servers;
    for (int t = 0; t < kThreads; ++t) {
        servers.push_back(std::make_unique<LoopbackServer>());
        for (int r = 0; r < kRounds; ++r)
            servers.back()->enqueue(httpReply(200, "OK", std::to_string(r), {{"Set-Cookie", "t" + std::to_string(t) + "=" + std::to_string(r)}}));
    }
    std::vector<std::string> bodies(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int r = 0; r < kRounds; ++r) {
                bodies[static_cast<std::size_t>(t)] += fetch(*servers[static_cast<std::size_t>(t)], {}).body;
                setCookie("http://127.0.0.1/", "explicit" + std::to_string(t), std::to_string(r));
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const std::string& body : bodies)
        EXPECT_EQ(body, "01234567");
    // One cookie per name survives, with its last value.
    std::set<std::string> kept;
    for (const CookieRecord& cookie : CookieStore::instance().cookiesFor("127.0.0.1", "/", std::time(nullptr)))
        kept.insert(cookie.name + "=" + cookie.value);
    std::set<std::string> expected;
    for (int t = 0; t < kThreads; ++t) {
        expected.insert("t" + std::to_string(t) + "=7");
        expected.insert("explicit" + std::to_string(t) + "=7");
    }
    EXPECT_EQ(kept, expected);
}

}  // namespace
