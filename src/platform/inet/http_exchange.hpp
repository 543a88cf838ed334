#pragma once

#include "platform/inet/http_address.hpp"
#include "platform/inet/inet.hpp"
#include "platform/inet/transfer_limits.hpp"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <curl/curl.h>

// The handles' state, and one request's exchange driven on curl's multi interface from the
// calling thread: send() runs until the final response's headers are in, read() until the
// caller's buffer holds something. Redirects and the answer to a 401 are separate transfers
// set up here, so that every hop carries its own Host and cookies.
namespace xingfan::platform::inet {

struct InternetSession::Settings {
    std::string agent;
    std::string proxy;  // empty: direct
    std::shared_ptr<Cancellation> cancellation;
};

struct Connection::Target {
    std::shared_ptr<const InternetSession::Settings> session;
    std::string host;
    std::int32_t port = 80;  // 0 stands for 80
    std::string user;        // empty: none
    std::string password;
};

struct HttpRequest::Exchange {
    // `leadingLines` go before the Host line (the single-call read's Accept).
    Exchange(std::shared_ptr<const Connection::Target> target, std::string method, std::string path,
             std::string version, std::vector<std::string> leadingLines = {});
    ~Exchange();
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    bool send(std::string_view headers, std::string_view body);
    std::size_t read(char* buffer, std::size_t size);
    std::optional<std::string> rawHeaders() const;

private:
    struct HeaderField {
        std::string name;
        std::string value;
        bool hasColon = true;
    };

    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self);
    static int onConnected(void* self, char*, char*, int, int);
    static int onProgress(void* self, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded);

    bool cancelled() const;
    // Exchanges without credentials use the thread's spare multi handle (see takeSpareMulti).
    bool sharesThreadMulti() const;
    bool hasCredentialsFor(const HttpAddress& address) const;
    long offeredAuthentication() const;
    std::optional<std::string_view> header(std::string_view lowerName) const;

    void startAttempt(bool withCredentials, long authentication);
    void endAttempt();
    void resetResponse();   // the response's fields
    void resetTransfer();   // those and the transfer's
    void headersEnded();
    void abandon();
    // Runs the transfer until `done` holds, it ends, it times out or it is cancelled.
    void drive(const std::function<bool()>& done);
    void collectFinished();
    std::vector<curl_waitfd> socketsBeingRead() const;

    std::shared_ptr<const Connection::Target> target_;
    std::shared_ptr<Cancellation> cancellation_;
    TransferLimits limits_;
    std::string method_;
    std::string version_;
    std::vector<std::string> leadingLines_;
    HttpAddress origin_;
    HttpAddress current_;

    CURLM* multi_ = nullptr;
    CURL* easy_ = nullptr;
    curl_slist* headerList_ = nullptr;
    bool attemptActive_ = false;

    std::string callerHeaders_;
    std::string body_;
    bool keepCallerContentLength_ = true;
    bool credentialsOnAttempt_ = false;

    bool sendCalled_ = false;
    bool sendSucceeded_ = false;
    bool dead_ = false;  // cancelled: every later call fails

    // The response of the current attempt.
    std::string statusLine_;
    int status_ = 0;
    std::vector<HeaderField> headers_;
    bool headersComplete_ = false;
    bool responseFinal_ = false;

    // The transfer.
    bool transferEnded_ = false;
    bool connected_ = false;
    std::chrono::steady_clock::time_point lastActivity_;
    curl_off_t lastDownloaded_ = 0;
    curl_off_t lastUploaded_ = 0;

    // Body bytes on their way to the caller: straight into the caller's buffer while a read
    // waits, the rest of curl's chunk kept here; while this holds bytes the transfer is paused.
    char* readTarget_ = nullptr;
    std::size_t readCapacity_ = 0;
    std::size_t readCount_ = 0;
    std::string pending_;
    std::size_t pendingOffset_ = 0;
    bool paused_ = false;
};

}  // namespace xingfan::platform::inet
