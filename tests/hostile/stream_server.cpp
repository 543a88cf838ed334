#include "stream_server.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace xingfan::testing {

StreamServer::StreamServer(StreamReply reply) : reply_(std::move(reply))
{
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int pipeEnds[2];
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(listener_, 4) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0
        || ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("stream server: cannot listen on 127.0.0.1");
    port_ = ntohs(address.sin_port);
    wakeRead_ = pipeEnds[0];
    wakeWrite_ = pipeEnds[1];
    thread_ = std::thread(&StreamServer::serve, this);
}

StreamServer::~StreamServer()
{
    const char stop = 's';
    while (::write(wakeWrite_, &stop, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
    ::close(listener_);
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

std::string StreamServer::url(std::string_view path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::uint64_t StreamServer::bytesSent() const
{
    std::lock_guard guard(mutex_);
    return sent_;
}

bool StreamServer::waitForHangUp(std::chrono::milliseconds limit) const
{
    std::unique_lock lock(mutex_);
    return hungUpSignal_.wait_for(lock, limit, [this] { return hungUp_; });
}

void StreamServer::recordSent(std::uint64_t bytes)
{
    std::lock_guard guard(mutex_);
    sent_ += bytes;
}

void StreamServer::recordHangUp()
{
    {
        std::lock_guard guard(mutex_);
        hungUp_ = true;
    }
    hungUpSignal_.notify_all();
}

// Waits until `fd` is ready for `events` or the time passed: its returned events (0 when the
// time passed), or -1 when the server is told to stop.
int StreamServer::waitFor(int fd, short events, int timeoutMs) const
{
    pollfd polled[2] = {{.fd = wakeRead_, .events = POLLIN, .revents = 0}, {.fd = fd, .events = events, .revents = 0}};
    while (::poll(polled, 2, timeoutMs) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return polled[0].revents != 0 ? -1 : polled[1].revents;
}

void StreamServer::serve()
{
    if (waitFor(listener_, POLLIN, -1) < 0)
        return;
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (client < 0)
        return;
    constexpr short kHangUp = POLLRDHUP | POLLHUP | POLLERR;

    // The request: up to its blank line.
    std::string request;
    char buffer[65536];
    bool hungUp = false;
    while (request.find("\r\n\r\n") == std::string::npos && !hungUp) {
        if (waitFor(client, POLLIN, -1) < 0) {
            ::close(client);
            return;
        }
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n > 0)
            request.append(buffer, static_cast<std::size_t>(n));
        else
            hungUp = n == 0 || (errno != EAGAIN && errno != EINTR);
    }

    const std::uint64_t length = reply_.head.size() + reply_.total;
    // The reply's bytes [at, at + count) into `buffer`, copied a run at a time.
    const auto copyOut = [this, &buffer](std::uint64_t at, std::size_t count) {
        for (std::size_t done = 0; done < count;) {
            const std::uint64_t from = at + done;
            const std::string& source = from < reply_.head.size() ? reply_.head : reply_.fill;
            const std::size_t offset = from < reply_.head.size()
                                           ? static_cast<std::size_t>(from)
                                           : static_cast<std::size_t>((from - reply_.head.size()) % reply_.fill.size());
            const std::size_t run = std::min(count - done, source.size() - offset);
            std::memcpy(buffer + done, source.data() + offset, run);
            done += run;
        }
    };
    const bool dripping = reply_.interval.count() > 0;
    std::uint64_t at = 0;
    while (at < length && !hungUp) {
        // Dripping, each interval is waited out watching for the client to hang up.
        const int ready = dripping ? waitFor(client, POLLRDHUP, static_cast<int>(reply_.interval.count()))
                                   : waitFor(client, POLLOUT | POLLRDHUP, -1);
        if (ready < 0)
            break;
        if ((ready & kHangUp) != 0) {
            hungUp = true;
            break;
        }
        const std::size_t chunk = dripping ? 1 : static_cast<std::size_t>(std::min<std::uint64_t>(sizeof buffer, length - at));
        copyOut(at, chunk);
        const ssize_t n = ::send(client, buffer, chunk, MSG_NOSIGNAL);
        if (n > 0) {
            at += static_cast<std::uint64_t>(n);
            recordSent(static_cast<std::uint64_t>(n));
        }
        else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            hungUp = true;
        }
    }
    if (at == length && !hungUp) {
        // All sent: the client hangs up once it has read the reply.
        ::shutdown(client, SHUT_WR);
        for (int ready = 0; (ready = waitFor(client, POLLIN | POLLRDHUP, -1)) >= 0;) {
            if ((ready & kHangUp) != 0 || ::recv(client, buffer, sizeof buffer, 0) == 0) {
                hungUp = true;
                break;
            }
        }
    }
    if (hungUp)
        recordHangUp();
    ::close(client);
}

}  // namespace xingfan::testing
