#include "loopback_server.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace xingfan::testsupport {
namespace {

using Clock = std::chrono::steady_clock;

void setNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The Content-Length of a request head (the bytes before its blank line); 0 when it has none.
std::size_t contentLength(std::string_view head)
{
    std::size_t lineStart = head.find("\r\n");
    while (lineStart != std::string_view::npos) {
        lineStart += 2;
        const std::size_t lineEnd = std::min(head.find("\r\n", lineStart), head.size());
        const std::string_view line = head.substr(lineStart, lineEnd - lineStart);
        constexpr std::string_view name = "content-length:";
        if (line.size() >= name.size()
            && std::equal(name.begin(), name.end(), line.begin(),
                          [](char a, char b) { return a == asciiLower(b); }))
            return std::strtoull(std::string(line.substr(name.size())).c_str(), nullptr, 10);
        lineStart = lineEnd < head.size() ? lineEnd : std::string_view::npos;
    }
    return 0;
}

}  // namespace

ScriptedReply httpReply(int status, std::string_view reason, std::string_view body,
                        std::vector<std::pair<std::string, std::string>> headers)
{
    std::string bytes = "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) + "\r\n";
    for (const auto& [name, value] : headers)
        bytes += name + ": " + value + "\r\n";
    bytes += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
    bytes += body;
    return ScriptedReply{.bytes = std::move(bytes)};
}

struct LoopbackServer::Client {
    enum class State { Reading, Waiting, Sending, Silent, Draining, Closed };

    int fd = -1;
    State state = State::Reading;
    std::string received{};
    ScriptedReply reply{};
    std::size_t sent = 0;
    std::size_t limit = 0;
    Clock::time_point due{};  // when the next reply bytes may go out

    bool dripping() const { return state == State::Sending && reply.dripInterval.count() > 0; }
    bool hasTimer() const { return state == State::Waiting || dripping(); }
};

LoopbackServer::LoopbackServer()
{
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    int pipeEnds[2];
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(listener_, 64) != 0
        || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0
        || ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("loopback server: cannot listen on 127.0.0.1");
    port_ = ntohs(address.sin_port);
    wakeRead_ = pipeEnds[0];
    wakeWrite_ = pipeEnds[1];
    setNonBlocking(listener_);
    thread_ = std::thread(&LoopbackServer::serve, this);
}

LoopbackServer::~LoopbackServer()
{
    const char stop = 's';
    while (::write(wakeWrite_, &stop, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
    ::close(listener_);
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

std::uint16_t LoopbackServer::port() const
{
    return port_;
}

std::string LoopbackServer::url(std::string_view path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

void LoopbackServer::enqueue(ScriptedReply reply)
{
    std::lock_guard guard(mutex_);
    replies_.push_back(std::move(reply));
}

std::vector<std::string> LoopbackServer::requests() const
{
    std::lock_guard guard(mutex_);
    return requests_;
}

std::size_t LoopbackServer::connectionCount() const
{
    std::lock_guard guard(mutex_);
    return connections_;
}

bool LoopbackServer::waitForRequests(std::size_t n, std::chrono::milliseconds limit) const
{
    std::unique_lock lock(mutex_);
    return recorded_.wait_for(lock, limit, [&] { return requests_.size() >= n; });
}

void LoopbackServer::record(std::string request)
{
    {
        std::lock_guard guard(mutex_);
        requests_.push_back(std::move(request));
    }
    recorded_.notify_all();
}

ScriptedReply LoopbackServer::nextReply()
{
    std::lock_guard guard(mutex_);
    if (replies_.empty())
        return httpReply(404, "Not Found", "");
    ScriptedReply reply = std::move(replies_.front());
    replies_.pop_front();
    return reply;
}

void LoopbackServer::serve()
{
    std::vector<Client> clients;
    std::vector<pollfd> polled;

    const auto close = [](Client& client) {
        ::close(client.fd);
        client.state = Client::State::Closed;
    };
    const auto startReply = [&](Client& client, Clock::time_point now) {
        client.reply = nextReply();
        client.limit = std::min(client.reply.bytes.size(), client.reply.resetAfter.value_or(client.reply.bytes.size()));
        client.state = client.reply.silent ? Client::State::Silent : Client::State::Waiting;
        client.due = now + client.reply.delay;
    };
    const auto finishReply = [&](Client& client) {
        if (client.reply.resetAfter) {
            const linger abortive{.l_onoff = 1, .l_linger = 0};
            ::setsockopt(client.fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
            close(client);
            return;
        }
        if (client.reply.keepOpen) {
            client.state = Client::State::Silent;
            return;
        }
        // Let the client see the end of the reply, then wait for it to hang up, so that no
        // unread request bytes turn the close into a reset.
        ::shutdown(client.fd, SHUT_WR);
        client.state = Client::State::Draining;
    };
    const auto sendSome = [&](Client& client, Clock::time_point now) {
        if (client.dripping() && now < client.due)
            return;
        const std::size_t remaining = client.limit - client.sent;
        const std::size_t chunk = client.dripping() ? std::min<std::size_t>(1, remaining) : remaining;
        if (chunk > 0) {
            const ssize_t n = ::send(client.fd, client.reply.bytes.data() + client.sent, chunk, MSG_NOSIGNAL);
            if (n < 0) {
                if (errno != EAGAIN && errno != EINTR)
                    close(client);
                return;
            }
            client.sent += static_cast<std::size_t>(n);
            client.due = now + client.reply.dripInterval;
        }
        if (client.sent == client.limit)
            finishReply(client);
    };
    const auto receive = [&](Client& client, Clock::time_point now) {
        char buffer[16384];
        const ssize_t n = ::recv(client.fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (n <= 0) {
            if (client.state == Client::State::Reading && !client.received.empty())
                record(std::move(client.received));
            close(client);
            return;
        }
        if (client.state != Client::State::Reading)
            return;  // bytes after the request are read and dropped
        client.received.append(buffer, static_cast<std::size_t>(n));
        const std::size_t headEnd = client.received.find("\r\n\r\n");
        if (headEnd == std::string::npos)
            return;
        const std::size_t total = headEnd + 4 + contentLength(std::string_view(client.received).substr(0, headEnd));
        if (client.received.size() < total)
            return;
        client.received.resize(total);
        record(std::move(client.received));
        client.received.clear();
        startReply(client, now);
    };

    for (;;) {
        const Clock::time_point now = Clock::now();
        int timeout = -1;
        polled.clear();
        polled.push_back({.fd = wakeRead_, .events = POLLIN, .revents = 0});
        polled.push_back({.fd = listener_, .events = POLLIN, .revents = 0});
        for (const Client& client : clients) {
            short events = 0;
            switch (client.state) {
            case Client::State::Reading:
            case Client::State::Silent:
            case Client::State::Draining: events = POLLIN; break;
            case Client::State::Sending: events = client.dripping() && now < client.due ? 0 : POLLOUT; break;
            default: break;
            }
            polled.push_back({.fd = client.fd, .events = events, .revents = 0});
            if (client.hasTimer()) {
                const auto wait = std::chrono::ceil<std::chrono::milliseconds>(client.due - now).count();
                const int ms = static_cast<int>(std::max<long long>(0, wait));
                timeout = timeout < 0 ? ms : std::min(timeout, ms);
            }
        }
        if (::poll(polled.data(), polled.size(), timeout) < 0 && errno != EINTR)
            break;
        if (polled[0].revents != 0)
            break;

        const Clock::time_point woke = Clock::now();
        for (std::size_t i = 0; i < clients.size(); ++i) {
            Client& client = clients[i];
            const short revents = polled[i + 2].revents;
            if (client.state == Client::State::Waiting && woke >= client.due) {
                client.state = Client::State::Sending;
                client.due = woke;
            }
            if (client.state == Client::State::Sending) {
                if ((revents & (POLLERR | POLLHUP)) != 0)
                    close(client);
                else if ((revents & POLLOUT) != 0 || client.dripping())
                    sendSome(client, woke);
            }
            else if ((revents & (POLLIN | POLLERR | POLLHUP)) != 0
                     && (client.state == Client::State::Reading || client.state == Client::State::Silent
                         || client.state == Client::State::Draining))
                receive(client, woke);
        }
        std::erase_if(clients, [](const Client& client) { return client.state == Client::State::Closed; });

        if ((polled[1].revents & POLLIN) != 0) {
            for (;;) {
                const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (fd < 0)
                    break;
                {
                    std::lock_guard guard(mutex_);
                    ++connections_;
                }
                clients.push_back(Client{.fd = fd});
            }
        }
    }

    for (Client& client : clients)
        ::close(client.fd);
}

}  // namespace xingfan::testsupport
