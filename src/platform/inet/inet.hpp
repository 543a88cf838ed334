#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

// The program's HTTP platform: an Internet session, a connection to one server, one request on
// it, and the single-call read of an address. Closing a handle is destroying its object.
//
// What reaches the server is fixed byte for byte:
//
//   <method as given; GET when empty> <path> HTTP/1.1
//   Host: <host>            (":<port>" only when the port is not 80)
//   Content-Length: 0       (only for a method other than GET that sends no body)
//   User-Agent: <the session's agent>
//   <the caller's header lines, in their order>
//   Cookie: n=v; n2=v2     (only when the cookie store holds cookies for the host)
//
// A caller line named Host, User-Agent or Content-Length replaces that line and stands at its
// own place. Redirects are followed (at most 10 hops; 301/302/303 become a GET without body,
// 307/308 keep method and body), a 401 challenge is answered with the connection's user and
// password, connecting (name look-up included) may take 60 s and a silence while receiving 30 s.
namespace xingfan::platform::inet {

// The agent string of every request the program makes.
inline constexpr std::string_view kBrowserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// Lets another thread stop a transfer: cancel() wakes whatever transfer of the handles that
// share this object is running, and every later call on them fails at once. Thread-safe.
class Cancellation {
public:
    Cancellation();
    ~Cancellation();
    Cancellation(const Cancellation&) = delete;
    Cancellation& operator=(const Cancellation&) = delete;

    void cancel();
    bool cancelled() const;

    // For the transfer code: the multi handle being driven, so that cancel() can wake it.
    void attach(void* curlMulti);
    void detach();

private:
    mutable std::mutex mutex_;
    bool cancelled_ = false;
    void* multi_ = nullptr;
};

class HttpRequest;
class Connection;

// InternetOpen: the agent and the proxy. An empty proxy means a direct connection (proxy
// settings of the environment are never used); otherwise plain-HTTP requests go through
// `proxy`, given as it would follow "http=" in a proxy list.
class InternetSession {
public:
    static std::unique_ptr<InternetSession> open(std::string agent, std::string proxy,
                                                 std::shared_ptr<Cancellation> cancellation = {});

    // InternetConnect. An empty user or password means none. Port 0 stands for 80.
    std::unique_ptr<Connection> connect(std::string host, std::int32_t port, std::string user, std::string password);

    struct Settings;
    explicit InternetSession(std::shared_ptr<const Settings> settings);
    ~InternetSession();

private:
    std::shared_ptr<const Settings> settings_;
};

class Connection {
public:
    // HttpOpenRequest: the method as it goes out (empty means GET), the object path and the
    // protocol version ("HTTP/1.1" or "HTTP/1.0"). Always fetched from the server.
    std::unique_ptr<HttpRequest> openRequest(std::string method, std::string path, std::string version);

    struct Target;
    explicit Connection(std::shared_ptr<const Target> target);
    ~Connection();

private:
    std::shared_ptr<const Target> target_;
};

class HttpRequest {
public:
    // HttpSendRequest: sends the request with `headers` (lines each ended by CR LF) and `body`,
    // and returns once the final response's headers have arrived; false when the exchange
    // failed before that (no connection, a host that does not resolve, cancelled, timed out).
    bool send(std::string_view headers, std::string_view body);

    // InternetReadFile: up to `size` bytes of the body; 0 at its end or on any failure.
    std::size_t read(char* buffer, std::size_t size);

    // HttpQueryInfo(RAW_HEADERS_CRLF): the final response's status line and headers as
    // "Name: Value" lines in the order received, each ended by CR LF, then one more CR LF.
    // Empty when no response arrived.
    std::optional<std::string> rawHeaders() const;

    struct Exchange;
    explicit HttpRequest(std::unique_ptr<Exchange> exchange);
    ~HttpRequest();

private:
    std::unique_ptr<Exchange> exchange_;
};

// InternetSetCookie: stores a cookie for the host of `url` in the process-wide store. `data` is
// the value followed by any attributes ("v; path=/; expires=..."): the value runs to the first
// ";", an expiry in the past deletes the cookie, a path narrows it. An empty name stores a
// cookie that is sent as its value alone.
void setCookie(std::string_view url, std::string_view name, std::string_view data);

// The single-call read of an address: an HTTP/1.0 GET with "Accept: */*" and the browser agent,
// through no proxy, the body read to its end whatever the status. Empty bytes on a failure
// before the body arrives; what was received on a failure while reading.
std::string readUrl(std::string_view url);

}  // namespace xingfan::platform::inet
