#include "support/loopback_server.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace xingfan::testsupport;
using namespace std::chrono_literals;
using namespace std::string_literals;

namespace {

struct Received {
    std::string bytes;
    bool reset = false;  // the connection ended with ECONNRESET rather than an orderly close
};

int connectTo(std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return fd;
}

void sendAll(int fd, std::string_view bytes)
{
    ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
}

Received readToEnd(int fd)
{
    Received received;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            received.bytes.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        received.reset = n < 0 && errno == ECONNRESET;
        break;
    }
    ::close(fd);
    return received;
}

Received roundTrip(const LoopbackServer& server, std::string_view request)
{
    const int fd = connectTo(server.port());
    sendAll(fd, request);
    return readToEnd(fd);
}

}  // namespace

TEST(LoopbackServer, RecordsRequestsWithTheirBodiesAndAnswersInOrder)
{
    LoopbackServer server;
    server.enqueue(httpReply(200, "OK", "a\0b"s, {{"Set-Cookie", "k=v"}}));
    server.enqueue(ScriptedReply{.bytes = "raw", .delay = 20ms});

    const std::string post = "POST /p HTTP/1.1\r\ncontent-length: 5\r\n\r\nx=1&y";
    EXPECT_EQ(roundTrip(server, post).bytes,
              "HTTP/1.1 200 OK\r\nSet-Cookie: k=v\r\nContent-Length: 3\r\nConnection: close\r\n\r\na\0b"s);
    EXPECT_EQ(roundTrip(server, "GET / HTTP/1.0\r\n\r\n").bytes, "raw");
    // Nothing left to answer with: a 404 without a body.
    EXPECT_EQ(roundTrip(server, "GET /x HTTP/1.1\r\n\r\n").bytes,
              "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");

    EXPECT_EQ(server.requests(),
              (std::vector<std::string>{post, "GET / HTTP/1.0\r\n\r\n", "GET /x HTTP/1.1\r\n\r\n"}));
    EXPECT_EQ(server.connectionCount(), 3u);
    EXPECT_EQ(server.url("/a?b"), "http://127.0.0.1:" + std::to_string(server.port()) + "/a?b");
}

TEST(LoopbackServer, DripsWholeRepliesAndResetsAfterAPrefix)
{
    LoopbackServer server;
    server.enqueue(ScriptedReply{.bytes = "dripped", .dripInterval = 2ms});
    server.enqueue(ScriptedReply{.bytes = "0123456789", .resetAfter = 4, .dripInterval = 1ms});
    server.enqueue(ScriptedReply{.bytes = "0123456789", .resetAfter = 0});

    const Received dripped = roundTrip(server, "GET / HTTP/1.1\r\n\r\n");
    EXPECT_EQ(dripped.bytes, "dripped");
    EXPECT_FALSE(dripped.reset);

    const Received cut = roundTrip(server, "GET / HTTP/1.1\r\n\r\n");
    EXPECT_EQ(cut.bytes, "0123");
    EXPECT_TRUE(cut.reset);

    const Received refused = roundTrip(server, "GET / HTTP/1.1\r\n\r\n");
    EXPECT_EQ(refused.bytes, "");
    EXPECT_TRUE(refused.reset);
}

TEST(LoopbackServer, SilentConnectionsStayOpenUntilTheServerStops)
{
    auto server = std::make_unique<LoopbackServer>();
    server->enqueue(ScriptedReply{.silent = true});
    server->enqueue(ScriptedReply{.bytes = "partial", .keepOpen = true});
    const int silent = connectTo(server->port());
    sendAll(silent, "GET / HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(server->waitForRequests(1, 5s));
    const int held = connectTo(server->port());
    sendAll(held, "GET / HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(server->waitForRequests(2, 5s));
    // A request that has not arrived yet is not reported.
    EXPECT_FALSE(server->waitForRequests(3, 10ms));

    server.reset();  // must not wait for either client
    EXPECT_EQ(readToEnd(silent).bytes, "");
    EXPECT_EQ(readToEnd(held).bytes, "partial");
}

TEST(LoopbackServer, ARequestCutShortIsRecordedAsFarAsItArrived)
{
    LoopbackServer server;
    const int fd = connectTo(server.port());
    sendAll(fd, "POST / HTTP/1.1\r\nContent-Length: 10\r\n\r\nabc");
    ::shutdown(fd, SHUT_WR);
    EXPECT_EQ(readToEnd(fd).bytes, "");
    ASSERT_TRUE(server.waitForRequests(1, 5s));
    EXPECT_EQ(server.requests().front(), "POST / HTTP/1.1\r\nContent-Length: 10\r\n\r\nabc");
}
