#include "platform/inet/inet.hpp"

#include "platform/inet/cookie_store.hpp"
#include "platform/inet/http_address.hpp"
#include "platform/inet/http_exchange.hpp"

#include <ctime>

namespace xingfan::platform::inet {
namespace {

std::string trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

}  // namespace

std::unique_ptr<InternetSession> InternetSession::open(std::string agent, std::string proxy,
                                                       std::shared_ptr<Cancellation> cancellation)
{
    ensureCurlInitialised();
    return std::make_unique<InternetSession>(std::make_shared<const Settings>(
        Settings{.agent = std::move(agent), .proxy = trimmed(proxy), .cancellation = std::move(cancellation)}));
}

InternetSession::InternetSession(std::shared_ptr<const Settings> settings) : settings_(std::move(settings)) {}
InternetSession::~InternetSession() = default;

std::unique_ptr<Connection> InternetSession::connect(std::string host, std::int32_t port, std::string user,
                                                     std::string password)
{
    return std::make_unique<Connection>(std::make_shared<const Connection::Target>(Connection::Target{
        .session = settings_, .host = std::move(host), .port = port, .user = std::move(user), .password = std::move(password)}));
}

Connection::Connection(std::shared_ptr<const Target> target) : target_(std::move(target)) {}
Connection::~Connection() = default;

std::unique_ptr<HttpRequest> Connection::openRequest(std::string method, std::string path, std::string version)
{
    return std::make_unique<HttpRequest>(
        std::make_unique<HttpRequest::Exchange>(target_, std::move(method), std::move(path), std::move(version)));
}

HttpRequest::HttpRequest(std::unique_ptr<Exchange> exchange) : exchange_(std::move(exchange)) {}
HttpRequest::~HttpRequest() = default;

bool HttpRequest::send(std::string_view headers, std::string_view body)
{
    return exchange_->send(headers, body);
}

std::size_t HttpRequest::read(char* buffer, std::size_t size)
{
    return exchange_->read(buffer, size);
}

std::optional<std::string> HttpRequest::rawHeaders() const
{
    return exchange_->rawHeaders();
}

void setCookie(std::string_view url, std::string_view name, std::string_view data)
{
    const std::optional<HttpAddress> address = parseHttpAddress(url);
    if (!address)
        return;
    if (std::optional<CookieRecord> cookie = parseCookieData(name, data))
        CookieStore::instance().store(address->host, std::move(*cookie), std::time(nullptr));
}

std::string readUrl(std::string_view url)
{
    const std::optional<HttpAddress> address = parseHttpAddress(url);
    if (!address)
        return {};
    auto session = std::make_shared<const InternetSession::Settings>(
        InternetSession::Settings{.agent = std::string(kBrowserAgent), .proxy = {}, .cancellation = {}});
    auto target = std::make_shared<const Connection::Target>(
        Connection::Target{.session = std::move(session), .host = address->host, .port = address->port, .user = {}, .password = {}});
    HttpRequest::Exchange exchange(std::move(target), "GET", address->path, "HTTP/1.0", {"Accept: */*"});
    if (!exchange.send({}, {}))
        return {};
    std::string body;
    char buffer[16384];
    while (const std::size_t n = exchange.read(buffer, sizeof buffer))
        body.append(buffer, n);
    return body;
}

}  // namespace xingfan::platform::inet
