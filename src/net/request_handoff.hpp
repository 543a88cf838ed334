#pragma once

#include "platform/inet/inet.hpp"

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace xingfan::net {

// The record through which the caller hands a request to the worker thread and gets the reply
// back: a stream of values, read and written in order at one position that can be set back to
// the start. A text stops at its first NUL; a byte buffer comes back byte for byte. Reading
// where the stream holds no value yields an empty one.
//
// The stream itself takes no lock. The two sides meet at two moments only (the worker taking the
// request, the worker writing its reply, each answered by the caller reading after the worker
// has ended or been cancelled), and each such moment holds lock() for its whole set of values.
class RequestHandoff {
public:
    // The request marker, written first by the caller, and the reply marker, written first by
    // the worker.
    static constexpr std::string_view kRequestMarker = "Velquin";
    static constexpr std::string_view kReplyMarker = "Velquin_OK";

    void rewind() { position_ = 0; }
    // Sets the position to the start and deletes the whole content.
    void clear();

    // Writing replaces whatever the record held from the position on.
    void writeText(std::string_view text);
    void writeBytes(std::string_view bytes);

    std::string readText();
    std::string readBytes();

    [[nodiscard]] std::unique_lock<std::mutex> lock() { return std::unique_lock(mutex_); }

    // Shared with the worker's HTTP handles, so that the caller can stop a running exchange.
    const std::shared_ptr<platform::inet::Cancellation>& cancellation() const { return cancellation_; }

private:
    void write(std::string_view bytes);

    std::vector<char> data_;
    std::size_t position_ = 0;
    std::mutex mutex_;
    std::shared_ptr<platform::inet::Cancellation> cancellation_ = std::make_shared<platform::inet::Cancellation>();
};

}  // namespace xingfan::net
