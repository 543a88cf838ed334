#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

// A loopback server for replies too long to hold in memory: it answers its first connection
// with `head`, then with `fill` repeated until `total` bytes of it have gone, as fast as the
// client takes them or one byte per `interval`. It counts what it sent and notices when the
// client hangs up, which is how a test sees that the client gave up on a reply, or ran down
// after its call had returned.
namespace xingfan::testing {

struct StreamReply {
    std::string head;
    std::string fill;
    std::uint64_t total = 0;                // bytes of `fill` after the head
    std::chrono::milliseconds interval{0};  // > 0: every byte (head included) one interval apart
};

class StreamServer {
public:
    explicit StreamServer(StreamReply reply);
    // Stops promptly, whatever the connection is doing.
    ~StreamServer();
    StreamServer(const StreamServer&) = delete;
    StreamServer& operator=(const StreamServer&) = delete;

    // "http://127.0.0.1:<port>" followed by `path`.
    std::string url(std::string_view path) const;

    std::uint64_t bytesSent() const;
    // True once the client has closed or reset the connection; false when `limit` passed first.
    bool waitForHangUp(std::chrono::milliseconds limit) const;

private:
    void serve();
    int waitFor(int fd, short events, int timeoutMs) const;
    void recordSent(std::uint64_t bytes);
    void recordHangUp();

    StreamReply reply_;
    int listener_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::uint16_t port_ = 0;

    mutable std::mutex mutex_;
    mutable std::condition_variable hungUpSignal_;
    std::uint64_t sent_ = 0;
    bool hungUp_ = false;

    std::thread thread_;
};

}  // namespace xingfan::testing
