#pragma once

#include "platform/inet/cookie_store.hpp"
#include "platform/inet/inet.hpp"
#include "platform/inet/transfer_limits.hpp"
#include "support/loopback_server.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace xingfan::platform::inet::testing {

// Every loopback request goes to 127.0.0.1, so each test starts with an empty cookie store and
// leaves the transfer limits as it found them.
class InetTest : public ::testing::Test {
protected:
    void SetUp() override { CookieStore::instance().clear(); }
    void TearDown() override
    {
        setTransferLimits({});
        CookieStore::instance().clear();
    }
};

struct Outcome {
    bool sent = false;
    std::optional<std::string> headers;
    std::string body{};
};

struct RequestParts {
    std::string method{};
    std::string path = "/";
    std::string headers{};
    std::string body{};
    std::string version = "HTTP/1.1";
};

// One request through the handles, its body read in `chunk`-byte reads.
inline Outcome fetch(Connection& connection, const RequestParts& parts, std::size_t chunk = 512)
{
    Outcome outcome;
    const auto request = connection.openRequest(parts.method, parts.path, parts.version);
    outcome.sent = request->send(parts.headers, parts.body);
    std::string buffer(chunk, '\0');
    while (const std::size_t n = request->read(buffer.data(), buffer.size()))
        outcome.body.append(buffer.data(), n);
    outcome.headers = request->rawHeaders();
    return outcome;
}

inline Outcome fetch(const testsupport::LoopbackServer& server, const RequestParts& parts, std::string user = {},
                     std::string password = {})
{
    const auto session = InternetSession::open("agent/1", {});
    const auto connection = session->connect("127.0.0.1", server.port(), std::move(user), std::move(password));
    return fetch(*connection, parts);
}

}  // namespace xingfan::platform::inet::testing
