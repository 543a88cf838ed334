#include "platform/inet/http_exchange.hpp"

#include "platform/inet/cookie_store.hpp"
#include "platform/inet/request_lines.hpp"
#include "text/gbk_search.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <ctime>
#include <memory>

namespace xingfan::platform::inet {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kMaxRedirects = 10;

// Lines curl would add of its own; listed first with an empty value, each is switched off.
constexpr std::array<const char*, 5> kCurlOwnLines = {"Host:", "Accept:", "Content-Type:", "Expect:",
                                                      "Proxy-Connection:"};

// Curl leaves out a line whose value is blank; "Name;" is how it sends one with an empty value.
std::string curlHeaderEntry(const std::string& line)
{
    const std::size_t colon = line.find(':');
    if (colon != std::string::npos && line.find_first_not_of(" \t", colon + 1) == std::string::npos)
        return line.substr(0, colon) + ";";
    return line;
}

std::string_view trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// A method goes into the request line as it is, so it must be one token.
bool isToken(std::string_view method)
{
    return std::none_of(method.begin(), method.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7F;
    });
}

// A 1xx announces the real response. A status line that carries no code (curl still takes
// "HTTP/" and anything after it for one) is a response like any other.
bool isInterim(int status)
{
    return status >= 100 && status < 200;
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// A multi handle costs more to make than the client's own share of a loopback exchange (it opens
// the socket pair that curl_multi_wakeup writes to), so each thread keeps the handle its last
// exchange finished with. Only exchanges without credentials share it: their transfers close
// their connections as they end and look names up afresh, so the handle comes back holding
// nothing of them. (With credentials, curl keeps an NTLM or Negotiate connection open between
// the steps of its handshake; such an exchange has a handle of its own.)
struct MultiCleanup {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
thread_local std::unique_ptr<CURLM, MultiCleanup> spareMulti;

CURLM* takeSpareMulti()
{
    return spareMulti ? spareMulti.release() : curl_multi_init();
}

void giveBackMulti(CURLM* multi)
{
    if (!spareMulti)
        spareMulti.reset(multi);
    else
        curl_multi_cleanup(multi);
}

// Lets cancel() wake the multi handle only while it is being driven.
class Attachment {
public:
    Attachment(Cancellation* cancellation, CURLM* multi) : cancellation_(cancellation)
    {
        if (cancellation_ != nullptr)
            cancellation_->attach(multi);
    }
    ~Attachment()
    {
        if (cancellation_ != nullptr)
            cancellation_->detach();
    }
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

private:
    Cancellation* cancellation_;
};

}  // namespace

HttpRequest::Exchange::Exchange(std::shared_ptr<const Connection::Target> target, std::string method,
                                std::string path, std::string version, std::vector<std::string> leadingLines)
    : target_(std::move(target)),
      cancellation_(target_->session->cancellation),
      method_(std::move(method)),
      version_(std::move(version)),
      leadingLines_(std::move(leadingLines))
{
    ensureCurlInitialised();
    origin_.host = target_->host;
    origin_.port = target_->port == 0 ? 80 : target_->port;
    origin_.path = path.empty() ? "/" : std::move(path);
    multi_ = sharesThreadMulti() ? takeSpareMulti() : curl_multi_init();
    easy_ = curl_easy_init();
}

HttpRequest::Exchange::~Exchange()
{
    endAttempt();
    if (easy_ != nullptr)
        curl_easy_cleanup(easy_);
    if (multi_ != nullptr && sharesThreadMulti())
        giveBackMulti(multi_);
    else if (multi_ != nullptr)
        curl_multi_cleanup(multi_);
    curl_slist_free_all(headerList_);
}

bool HttpRequest::Exchange::sharesThreadMulti() const
{
    return target_->user.empty();
}

bool HttpRequest::Exchange::cancelled() const
{
    return cancellation_ != nullptr && cancellation_->cancelled();
}

bool HttpRequest::Exchange::hasCredentialsFor(const HttpAddress& address) const
{
    // The credentials belong to the connection's server, not to one a redirect leads to.
    return !target_->user.empty() && address.host == origin_.host && address.port == origin_.port;
}

long HttpRequest::Exchange::offeredAuthentication() const
{
    long offered = 0;
    for (const HeaderField& field : headers_) {
        if (text::asciiLower(field.name) != "www-authenticate")
            continue;
        const std::string_view value = trim(field.value);
        const std::string scheme = text::asciiLower(value.substr(0, value.find_first_of(" ,")));
        if (scheme == "ntlm")
            offered |= CURLAUTH_NTLM;
        else if (scheme == "digest")
            offered |= CURLAUTH_DIGEST;
        else if (scheme == "basic")
            offered |= CURLAUTH_BASIC;
        else if (scheme == "negotiate")
            offered |= CURLAUTH_NEGOTIATE;
    }
    // One scheme, so that curl answers at once instead of probing again.
    for (const long scheme : {CURLAUTH_NTLM, CURLAUTH_DIGEST, CURLAUTH_BASIC, CURLAUTH_NEGOTIATE})
        if ((offered & scheme) != 0)
            return scheme;
    return 0;
}

std::optional<std::string_view> HttpRequest::Exchange::header(std::string_view lowerName) const
{
    for (const HeaderField& field : headers_)
        if (field.hasColon && text::asciiLower(field.name) == lowerName)
            return std::string_view(field.value);
    return std::nullopt;
}

void HttpRequest::Exchange::resetResponse()
{
    statusLine_.clear();
    status_ = 0;
    headers_.clear();
    headersComplete_ = false;
    responseFinal_ = false;
}

void HttpRequest::Exchange::resetTransfer()
{
    resetResponse();
    transferEnded_ = false;
    connected_ = false;
    lastDownloaded_ = 0;
    lastUploaded_ = 0;
    pending_.clear();
    pendingOffset_ = 0;
    paused_ = false;
}

void HttpRequest::Exchange::startAttempt(bool withCredentials, long authentication)
{
    resetTransfer();
    credentialsOnAttempt_ = withCredentials;
    lastActivity_ = Clock::now();

    const InternetSession::Settings& session = *target_->session;
    RequestLineParts parts;
    parts.leading = leadingLines_;
    parts.host = current_.hostAndPort();
    parts.method = method_;
    if (!body_.empty())
        parts.bodySize = body_.size();
    parts.agent = session.agent;
    parts.callerHeaders = callerHeaders_;
    parts.keepCallerHost = current_.host == origin_.host && current_.port == origin_.port;
    parts.keepCallerContentLength = keepCallerContentLength_;
    parts.cookie = cookieLineValue(CookieStore::instance().cookiesFor(current_.host, current_.path, std::time(nullptr)));

    curl_slist_free_all(headerList_);
    headerList_ = nullptr;
    for (const char* line : kCurlOwnLines)
        headerList_ = curl_slist_append(headerList_, line);
    for (const std::string& line : requestHeaderLines(parts))
        headerList_ = curl_slist_append(headerList_, curlHeaderEntry(line).c_str());

    curl_easy_reset(easy_);
    const std::string url = "http://" + current_.host + ":" + std::to_string(current_.port) + "/";
    const std::string requestTarget = escapeRequestTarget(session.proxy.empty() ? current_.path : current_.absolute());
    curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy_, CURLOPT_REQUEST_TARGET, requestTarget.c_str());
    curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(easy_, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
    if (sharesThreadMulti()) {
        curl_easy_setopt(easy_, CURLOPT_FORBID_REUSE, 1L);
        curl_easy_setopt(easy_, CURLOPT_DNS_CACHE_TIMEOUT, 0L);
    }
    // An empty proxy keeps the environment's proxy variables out.
    curl_easy_setopt(easy_, CURLOPT_PROXY, session.proxy.c_str());
    if (!session.proxy.empty()) {
        curl_easy_setopt(easy_, CURLOPT_PROXYPORT, 80L);
        curl_easy_setopt(easy_, CURLOPT_NOPROXY, "");
    }
    curl_easy_setopt(easy_, CURLOPT_HTTP_VERSION,
                     version_ == "HTTP/1.0" ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headerList_);
    if (!method_.empty())
        curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, method_.c_str());
    if (text::asciiUpper(method_) == "HEAD")
        curl_easy_setopt(easy_, CURLOPT_NOBODY, 1L);
    if (!body_.empty()) {
        curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, body_.data());
        curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body_.size()));
    }
    if (withCredentials) {
        curl_easy_setopt(easy_, CURLOPT_USERNAME, target_->user.c_str());
        curl_easy_setopt(easy_, CURLOPT_PASSWORD, target_->password.c_str());
        curl_easy_setopt(easy_, CURLOPT_HTTPAUTH, authentication);
    }
    curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits_.connect.count()));
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &Exchange::onHeader);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &Exchange::onBody);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy_, CURLOPT_PREREQFUNCTION, &Exchange::onConnected);
    curl_easy_setopt(easy_, CURLOPT_PREREQDATA, this);
    curl_easy_setopt(easy_, CURLOPT_XFERINFOFUNCTION, &Exchange::onProgress);
    curl_easy_setopt(easy_, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(easy_, CURLOPT_NOPROGRESS, 0L);

    attemptActive_ = curl_multi_add_handle(multi_, easy_) == CURLM_OK;
    transferEnded_ = !attemptActive_;
}

void HttpRequest::Exchange::endAttempt()
{
    if (attemptActive_)
        curl_multi_remove_handle(multi_, easy_);
    attemptActive_ = false;
}

void HttpRequest::Exchange::abandon()
{
    endAttempt();
    transferEnded_ = true;
    paused_ = false;
}

void HttpRequest::Exchange::collectFinished()
{
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left))
        if (message->msg == CURLMSG_DONE)
            transferEnded_ = true;
}

std::vector<curl_waitfd> HttpRequest::Exchange::socketsBeingRead() const
{
    fd_set read;
    fd_set write;
    fd_set error;
    FD_ZERO(&read);
    FD_ZERO(&write);
    FD_ZERO(&error);
    int highest = -1;
    std::vector<curl_waitfd> sockets;
    if (curl_multi_fdset(multi_, &read, &write, &error, &highest) != CURLM_OK)
        return sockets;
    for (int fd = 0; fd <= highest; ++fd)
        if (FD_ISSET(fd, &read))
            sockets.push_back({.fd = fd, .events = CURL_WAIT_POLLIN, .revents = 0});
    return sockets;
}

void HttpRequest::Exchange::drive(const std::function<bool()>& done)
{
    const Clock::time_point started = Clock::now();
    const Attachment attachment(cancellation_.get(), multi_);
    for (;;) {
        // Checked after attaching: a cancel() before it shows here, one after it wakes the poll.
        if (cancelled()) {
            dead_ = true;
            abandon();
            return;
        }
        int running = 0;
        if (curl_multi_perform(multi_, &running) != CURLM_OK) {
            abandon();
            return;
        }
        collectFinished();
        if (done() || transferEnded_)
            return;

        // Silence is counted once connected, and only while someone waits for the transfer.
        const Clock::time_point now = Clock::now();
        milliseconds wait{1000};
        if (connected_) {
            const auto silent = std::chrono::duration_cast<milliseconds>(now - std::max(lastActivity_, started));
            if (silent >= limits_.idle) {
                abandon();
                return;
            }
            wait = std::min(wait, limits_.idle - silent);
        }
        long curlWait = -1;
        curl_multi_timeout(multi_, &curlWait);
        if (curlWait >= 0)
            wait = std::min(wait, milliseconds(curlWait));

        // Curl reports header lines only once complete, so bytes arriving are seen on the
        // sockets it reads from: watched alongside its own poll, any of them ready is activity.
        std::vector<curl_waitfd> reading = socketsBeingRead();
        curl_multi_poll(multi_, reading.data(), static_cast<unsigned>(reading.size()),
                        static_cast<int>(std::max<long long>(wait.count(), 0)), nullptr);
        if (std::any_of(reading.begin(), reading.end(), [](const curl_waitfd& fd) { return fd.revents != 0; }))
            lastActivity_ = Clock::now();
    }
}

bool HttpRequest::Exchange::send(std::string_view headers, std::string_view body)
{
    if (sendCalled_ || dead_)
        return false;
    sendCalled_ = true;
    if (cancelled()) {
        dead_ = true;
        return false;
    }
    if (multi_ == nullptr || easy_ == nullptr || origin_.host.empty() || origin_.port < 1 || origin_.port > 65535
        || !isToken(method_))
        return false;

    limits_ = transferLimits();
    callerHeaders_ = headers;
    // A GET never carries a body.
    if (!isGetMethod(method_))
        body_ = body;
    current_ = origin_;

    int redirects = 0;
    bool answeredChallenge = false;
    startAttempt(false, 0);
    for (;;) {
        drive([this] { return responseFinal_; });
        if (dead_)
            return false;
        if (!responseFinal_) {
            // The transfer ended: a complete header block (a 401 that curl did not answer
            // after all) is the response; anything less is a failure.
            if (!headersComplete_ || isInterim(status_)) {
                resetResponse();
                return false;
            }
            responseFinal_ = true;
        }

        if (status_ == 401 && !answeredChallenge && hasCredentialsFor(current_)) {
            if (const long scheme = offeredAuthentication(); scheme != 0) {
                answeredChallenge = true;
                endAttempt();
                startAttempt(true, scheme);
                continue;
            }
        }

        if (isRedirect(status_) && redirects < kMaxRedirects) {
            const std::optional<std::string_view> location = header("location");
            const std::optional<HttpAddress> next = location ? resolveLocation(current_, *location) : std::nullopt;
            if (next) {
                ++redirects;
                endAttempt();
                if (status_ == 301 || status_ == 302 || status_ == 303) {
                    method_ = "GET";
                    body_.clear();
                    keepCallerContentLength_ = false;
                }
                current_ = *next;
                answeredChallenge = false;
                startAttempt(false, 0);
                continue;
            }
        }

        sendSucceeded_ = true;
        return true;
    }
}

std::size_t HttpRequest::Exchange::read(char* buffer, std::size_t size)
{
    if (dead_ || !sendSucceeded_ || size == 0)
        return 0;
    if (cancelled()) {
        dead_ = true;
        abandon();
        return 0;
    }
    if (pendingOffset_ < pending_.size()) {
        const std::size_t n = std::min(size, pending_.size() - pendingOffset_);
        std::memcpy(buffer, pending_.data() + pendingOffset_, n);
        pendingOffset_ += n;
        if (pendingOffset_ == pending_.size()) {
            pending_.clear();
            pendingOffset_ = 0;
        }
        return n;
    }
    if (transferEnded_)
        return 0;

    readTarget_ = buffer;
    readCapacity_ = size;
    readCount_ = 0;
    if (paused_) {
        // Curl hands the chunk it kept back to onBody from within this call.
        paused_ = false;
        curl_easy_pause(easy_, CURLPAUSE_CONT);
    }
    if (readCount_ == 0)
        drive([this] { return readCount_ > 0; });
    readTarget_ = nullptr;
    return dead_ ? 0 : readCount_;
}

std::optional<std::string> HttpRequest::Exchange::rawHeaders() const
{
    if (!responseFinal_ || statusLine_.empty())
        return std::nullopt;
    std::string block = statusLine_ + "\r\n";
    for (const HeaderField& field : headers_)
        block += (field.hasColon ? field.name + ": " + field.value : field.name) + "\r\n";
    return block + "\r\n";
}

std::size_t HttpRequest::Exchange::onHeader(char* data, std::size_t size, std::size_t count, void* self)
{
    auto& exchange = *static_cast<Exchange*>(self);
    const std::size_t length = size * count;
    std::string_view line(data, length);
    exchange.lastActivity_ = Clock::now();

    // Once the final response's block is complete, what comes are the trailers of a chunked
    // body: not headers of the response. Only a 401 that curl may still answer itself is
    // followed by another response.
    if (exchange.headersComplete_ && exchange.responseFinal_ && !(exchange.status_ == 401 && exchange.credentialsOnAttempt_))
        return length;

    // A new response begins (the first, a 1xx before the real one, or the answer to a
    // challenge) with a status line, whose "HTTP/" curl reads in any case; inside a header
    // block such a line is a header.
    const bool startsResponse = exchange.statusLine_.empty() || exchange.headersComplete_;
    if (startsResponse && text::asciiLower(line.substr(0, 5)) == "http/") {
        exchange.resetResponse();
        exchange.statusLine_ = trim(line);
        const std::size_t space = exchange.statusLine_.find(' ');
        if (space != std::string::npos)
            exchange.status_ = std::atoi(exchange.statusLine_.c_str() + space + 1);
        return length;
    }
    // The block ends, for curl, at a line that begins with CR or LF, whatever follows on it.
    if (line.empty() || line.front() == '\r' || line.front() == '\n') {
        exchange.headersEnded();
        return length;
    }
    // A line of blanks inside the block adds nothing.
    if (trim(line).empty())
        return length;
    if ((line.front() == ' ' || line.front() == '\t') && !exchange.headers_.empty()) {
        // A folded line continues the previous header's value.
        HeaderField& previous = exchange.headers_.back();
        if (!previous.value.empty())
            previous.value += ' ';
        previous.value += trim(line);
        return length;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        exchange.headers_.push_back({std::string(trim(line)), {}, false});
    else
        exchange.headers_.push_back({std::string(trim(line.substr(0, colon))), std::string(trim(line.substr(colon + 1))), true});
    return length;
}

void HttpRequest::Exchange::headersEnded()
{
    headersComplete_ = true;
    if (isInterim(status_))
        return;
    // Every response's cookies are kept, as the platform does, redirects and challenges included.
    const std::time_t now = std::time(nullptr);
    for (const HeaderField& field : headers_) {
        if (!field.hasColon || text::asciiLower(field.name) != "set-cookie")
            continue;
        if (std::optional<CookieRecord> cookie = parseSetCookie(field.value))
            CookieStore::instance().store(current_.host, std::move(*cookie), now);
    }
    // With credentials in play curl may answer a 401 itself; that response is final only once
    // its body starts or the transfer ends.
    if (!(status_ == 401 && credentialsOnAttempt_))
        responseFinal_ = true;
}

std::size_t HttpRequest::Exchange::onBody(char* data, std::size_t size, std::size_t count, void* self)
{
    auto& exchange = *static_cast<Exchange*>(self);
    const std::size_t length = size * count;
    exchange.lastActivity_ = Clock::now();
    exchange.responseFinal_ = true;
    if (exchange.pendingOffset_ < exchange.pending_.size()) {
        exchange.paused_ = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    std::size_t taken = 0;
    if (exchange.readTarget_ != nullptr) {
        taken = std::min(length, exchange.readCapacity_ - exchange.readCount_);
        std::memcpy(exchange.readTarget_ + exchange.readCount_, data, taken);
        exchange.readCount_ += taken;
    }
    exchange.pending_.assign(data + taken, length - taken);
    exchange.pendingOffset_ = 0;
    return length;
}

int HttpRequest::Exchange::onConnected(void* self, char*, char*, int, int)
{
    auto& exchange = *static_cast<Exchange*>(self);
    exchange.connected_ = true;
    exchange.lastActivity_ = Clock::now();
    return CURL_PREREQFUNC_OK;
}

int HttpRequest::Exchange::onProgress(void* self, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded)
{
    auto& exchange = *static_cast<Exchange*>(self);
    if (downloaded != exchange.lastDownloaded_ || uploaded != exchange.lastUploaded_) {
        exchange.lastDownloaded_ = downloaded;
        exchange.lastUploaded_ = uploaded;
        exchange.lastActivity_ = Clock::now();
    }
    return 0;
}

}  // namespace xingfan::platform::inet
