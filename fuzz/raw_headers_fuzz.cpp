// Whatever a server answers, as the whole reply of a loopback server: the exchange either fails
// or rebuilds a raw header block that
// - starts with the status line and ends with the one empty line, every line ended by CR LF;
// - rebuilds to itself when a server answers with exactly that block.
// Every hop goes through the loopback server as the session's proxy, so that a redirect to any
// address still ends there and nothing leaves the machine. The connection has credentials, so
// that a challenge in the reply is answered too.
#include "platform/inet/cookie_store.hpp"
#include "platform/inet/inet.hpp"
#include "platform/inet/transfer_limits.hpp"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

namespace inet = xingfan::platform::inet;

void require(bool holds)
{
    if (!holds)
        std::abort();
}

// Answers every connection with the current reply, then closes its sending side.
class ReplyServer {
public:
    ReplyServer()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
            || ::listen(listener_, 16) != 0
            || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            std::abort();
        port_ = ntohs(address.sin_port);
        std::thread([this] { serve(); }).detach();
    }

    std::uint16_t port() const { return port_; }

    void setReply(std::string_view reply)
    {
        std::lock_guard guard(mutex_);
        reply_ = reply;
    }

private:
    void serve()
    {
        for (;;) {
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            answer(client);
            ::close(client);
        }
    }

    // Up to `limit` ms for the socket to become readable.
    static bool readable(int fd, int limit)
    {
        pollfd polled{.fd = fd, .events = POLLIN, .revents = 0};
        return ::poll(&polled, 1, limit) > 0;
    }

    void answer(int client)
    {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos && readable(client, 5000)) {
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0)
                return;
            request.append(buffer, static_cast<std::size_t>(n));
        }
        std::string reply;
        {
            std::lock_guard guard(mutex_);
            reply = reply_;
        }
        for (std::size_t sent = 0; sent < reply.size();) {
            const ssize_t n = ::send(client, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += static_cast<std::size_t>(n);
        }
        // Wait for the client to hang up, so that unread request bytes never turn the close
        // into a reset that could overtake the reply.
        ::shutdown(client, SHUT_WR);
        while (readable(client, 5000) && ::recv(client, buffer, sizeof buffer, 0) > 0) {
        }
    }

    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::mutex mutex_;
    std::string reply_;
};

ReplyServer& server()
{
    static ReplyServer* const instance = [] {
        inet::setTransferLimits({.connect = std::chrono::seconds(5), .idle = std::chrono::seconds(5)});
        return new ReplyServer;
    }();
    return *instance;
}

struct Fetched {
    bool sent = false;
    std::optional<std::string> headers;
};

Fetched fetch(std::string_view reply)
{
    server().setReply(reply);
    const auto session = inet::InternetSession::open("fuzz/1", "127.0.0.1:" + std::to_string(server().port()));
    const auto connection = session->connect("replies.example", 80, "user", "pass");
    const auto request = connection->openRequest("GET", "/reply", "HTTP/1.1");
    Fetched fetched;
    fetched.sent = request->send({}, {});
    char chunk[4096];
    while (request->read(chunk, sizeof chunk) > 0) {
    }
    fetched.headers = request->rawHeaders();
    return fetched;
}

void checkBlock(const std::string& block)
{
    // The status line as received: "HTTP/" in whatever case the server wrote it.
    std::string prefix = block.substr(0, 5);
    for (char& c : prefix)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    require(prefix == "http/");
    require(block.size() >= 4 && block.find("\r\n\r\n") == block.size() - 4);
    for (std::size_t lf = block.find('\n'); lf != std::string::npos; lf = block.find('\n', lf + 1))
        require(lf > 0 && block[lf - 1] == '\r');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    inet::CookieStore::instance().clear();

    const Fetched first = fetch(reply);
    // No headers without a response, and a request that was answered has its headers.
    require(first.sent == first.headers.has_value());
    if (!first.headers)
        return 0;
    checkBlock(*first.headers);

    // Curl takes a 101 as the final response and hands on what follows it as body, which is
    // what made it the response; the block alone, without those bytes, is none.
    const std::size_t space = first.headers->find(' ');
    if (space != std::string::npos && std::atoi(first.headers->c_str() + space + 1) < 200)
        return 0;
    const Fetched again = fetch(*first.headers);
    require(again.sent && again.headers == first.headers);
    return 0;
}
