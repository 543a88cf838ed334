#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

// An HTTP server on 127.0.0.1 for tests: it records every request byte for byte and answers
// each with the next scripted reply, which may be delayed, dripped, cut off by a reset, or never
// sent. One connection carries one request; the connection is closed after the reply.
namespace xingfan::testsupport {

struct ScriptedReply {
    std::string bytes{};                        // sent as they are: status line, headers, body (NULs allowed)
    std::chrono::milliseconds delay{0};         // wait this long after the request was read, before replying
    bool silent = false;                        // read the request, then never answer (socket stays open until the server stops)
    std::optional<std::size_t> resetAfter{};    // send only this many bytes of `bytes`, then reset the connection
    std::chrono::milliseconds dripInterval{0};  // when > 0: send `bytes` one byte per interval
    bool keepOpen = false;                      // after sending, neither close nor reset until the server stops
};

// "HTTP/1.1 <status> <reason>", the given headers in order, then Content-Length and
// Connection: close, then the body.
ScriptedReply httpReply(int status, std::string_view reason, std::string_view body,
                        std::vector<std::pair<std::string, std::string>> headers = {});

class LoopbackServer {
public:
    // Binds 127.0.0.1 on a free port and starts serving on a thread of its own.
    LoopbackServer();
    // Stops promptly, closing connections that are silent or still dripping.
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t port() const;
    // "http://127.0.0.1:<port>" followed by `path`.
    std::string url(std::string_view path) const;

    // One reply per request, in order; once they are used up every request gets a 404 with an
    // empty body.
    void enqueue(ScriptedReply reply);

    // Every request received, in order of arrival: the head and as much body as its
    // Content-Length announces. A request whose connection ended before it was complete is
    // recorded as far as it arrived.
    std::vector<std::string> requests() const;
    std::size_t connectionCount() const;
    // True once at least `n` requests have been recorded; false when `limit` passed first.
    bool waitForRequests(std::size_t n, std::chrono::milliseconds limit) const;

private:
    struct Client;

    void serve();
    void record(std::string request);
    ScriptedReply nextReply();

    int listener_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::uint16_t port_ = 0;

    mutable std::mutex mutex_;
    mutable std::condition_variable recorded_;
    std::deque<ScriptedReply> replies_;
    std::vector<std::string> requests_;
    std::size_t connections_ = 0;

    std::thread thread_;
};

}  // namespace xingfan::testsupport
