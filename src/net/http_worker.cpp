#include "net/http_worker.hpp"

#include "net/url_parts.hpp"
#include "platform/inet/inet.hpp"
#include "text/gbk_search.hpp"

#include <string>
#include <string_view>

namespace xingfan::net {
namespace {

namespace inet = platform::inet;
using text::findTextIgnoreCase;

constexpr std::string_view kDefaultAccept =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";
constexpr std::string_view kDefaultAcceptLanguage = "Accept-Language: zh-cn\r\n";
constexpr std::string_view kFormContentType = "Content-Type: application/x-www-form-urlencoded\r\n";

// The raw header text is taken through a buffer of 1024 bytes that also holds its NUL; a block
// that does not fit leaves the buffer's spaces.
constexpr std::size_t kHeaderBufferSize = 1024;

struct Request {
    std::string url;
    std::string method;
    std::string proxy;
    std::string user;
    std::string password;
    std::string headers;
    std::string body;
};

bool takeRequest(RequestHandoff& record, Request& request)
{
    auto lock = record.lock();
    record.rewind();
    if (record.readText() != RequestHandoff::kRequestMarker)
        return false;
    request.url = record.readText();
    request.method = record.readText();
    request.proxy = record.readText();
    request.user = record.readText();
    request.password = record.readText();
    request.headers = record.readText();
    request.body = record.readText();
    record.clear();
    return true;
}

std::string unlessBlank(const std::string& value)
{
    return text::isBlank(value) ? std::string() : value;
}

void appendUnlessPresent(std::string& headers, std::string_view searched, std::string_view line)
{
    if (findTextIgnoreCase(headers, searched) < 1)
        headers += line;
}

// Drops every line of `headers` whose name is `name` (ASCII case ignored). A request must carry
// one Content-Length only, the one computed from the body.
std::string withoutHeader(std::string_view headers, std::string_view name)
{
    std::string kept;
    kept.reserve(headers.size());
    std::size_t lineStart = 0;
    while (lineStart < headers.size()) {
        const std::size_t lf = headers.find('\n', lineStart);
        const std::size_t lineEnd = lf == std::string_view::npos ? headers.size() : lf + 1;
        const std::string_view line = headers.substr(lineStart, lineEnd - lineStart);
        const bool named = line.size() > name.size() && line[name.size()] == ':' &&
                           text::asciiLower(line.substr(0, name.size())) == text::asciiLower(name);
        if (!named)
            kept += line;
        lineStart = lineEnd;
    }
    return kept;
}

std::string readBody(inet::HttpRequest& request)
{
    std::string body;
    char chunk[512];
    while (const std::size_t count = request.read(chunk, sizeof chunk))
        body.append(chunk, count);
    return body;
}

std::string headerText(const inet::HttpRequest& request)
{
    const auto raw = request.rawHeaders();
    if (raw && raw->size() < kHeaderBufferSize)
        return *raw;
    return std::string(kHeaderBufferSize, ' ');
}

void writeReply(RequestHandoff& record, std::string_view headers, std::string_view body)
{
    auto lock = record.lock();
    record.rewind();
    record.writeText(RequestHandoff::kReplyMarker);
    record.writeText(headers);
    record.writeBytes(body);
}

// Copies the cookies of every "Set-Cookie: " line to the store under the request's host: the
// first 12 bytes of the line go, the name runs to the first "=", the rest is the cookie's data.
void storeCookies(std::string_view headers, const std::string& host)
{
    if (findTextIgnoreCase(headers, "Set-Cookie: ") < 1)
        return;
    const std::string cookieUrl = "http://" + host;
    std::size_t lineStart = 0;
    while (lineStart < headers.size()) {
        const std::size_t lf = headers.find('\n', lineStart);
        std::string_view line = headers.substr(lineStart, lf == std::string_view::npos ? lf : lf - lineStart);
        lineStart = lf == std::string_view::npos ? headers.size() : lf + 1;
        if (lf != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (findTextIgnoreCase(line, "Set-Cookie: ") < 1)
            continue;
        const std::string_view cookie = line.substr(12);
        const std::size_t equals = cookie.find('=');
        if (equals == std::string_view::npos)
            inet::setCookie(cookieUrl, {}, cookie);
        else
            inet::setCookie(cookieUrl, cookie.substr(0, equals), cookie.substr(equals + 1));
    }
}

}  // namespace

void httpWorker(RequestHandoff* record)
{
    if (record == nullptr)
        return;
    Request request;
    if (!takeRequest(*record, request))
        return;

    const std::string host = urlHost(request.url);
    const std::string path = urlPath(request.url);

    // Declared in opening order, so that they close newest first.
    const auto session = inet::InternetSession::open(std::string(inet::kBrowserAgent), unlessBlank(request.proxy),
                                                     record->cancellation());
    if (!session)
        return;
    const auto connection = session->connect(host, urlPort(request.url), unlessBlank(request.user),
                                             unlessBlank(request.password));
    if (!connection)
        return;
    const auto exchange = connection->openRequest(request.method, path, "HTTP/1.1");
    if (!exchange)
        return;

    std::string headers = std::move(request.headers);
    appendUnlessPresent(headers, "Accept: ", kDefaultAccept);
    appendUnlessPresent(headers, "Referer: ", "Referer: " + request.url + "\r\n");
    appendUnlessPresent(headers, "Accept-Language: ", kDefaultAcceptLanguage);

    const std::string method = text::asciiUpper(request.method);
    if (method.empty() || method == "GET") {
        exchange->send(headers, {});
    } else if (method == "POST") {
        if (!request.body.empty()) {
            appendUnlessPresent(headers, "Content-Type: ", kFormContentType);
            headers = withoutHeader(headers, "Content-Length");
            headers += "Content-Length: " + std::to_string(request.body.size()) + "\r\n";
        }
        exchange->send(headers, request.body);
    } else {
        return;
    }

    const std::string body = readBody(*exchange);
    const std::string rawHeaders = headerText(*exchange);
    writeReply(*record, rawHeaders, body);
    storeCookies(rawHeaders, host);
}

}  // namespace xingfan::net
