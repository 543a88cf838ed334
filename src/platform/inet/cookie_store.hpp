#pragma once

#include <ctime>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The process-wide cookie store and the parsing behind it. Cookies are kept per host (lower
// case, port ignored); of their attributes only the expiry and the path count.
namespace xingfan::platform::inet {

struct CookieRecord {
    std::string name;                    // empty: sent as its value alone
    std::string value;
    std::string path = "/";              // sent only with requests at or below this path
    std::optional<std::time_t> expires;  // absent: kept for the life of the process

    friend bool operator==(const CookieRecord&, const CookieRecord&) = default;
};

// A cookie as it follows "Set-Cookie:": "n=v; path=/x; expires=...". Text without "=" before
// the first ";" is a cookie without a name. Nullopt when nothing usable is there.
std::optional<CookieRecord> parseSetCookie(std::string_view header);

// A cookie given as a name and its data (the value followed by any attributes, "v; path=/").
// A name holding ";" is read back as the header "<name>=<data>" it was cut from.
std::optional<CookieRecord> parseCookieData(std::string_view name, std::string_view data);

// Whether a cookie kept under `cookiePath` goes with a request for `requestPath` (its query is
// ignored): the paths are equal, or the cookie's is a prefix that ends at a "/" of the request's.
bool pathMatches(std::string_view cookiePath, std::string_view requestPath);

// The value of one "Cookie:" line: "n=v; n2=v2", a cookie without a name as its value alone.
std::string cookieLineValue(const std::vector<CookieRecord>& cookies);

class CookieStore {
public:
    static CookieStore& instance();

    // Stores `cookie` for `host`, replacing one of the same name and path; a cookie whose expiry
    // is not after `now` deletes that one instead.
    void store(std::string_view host, CookieRecord cookie, std::time_t now);

    // The cookies that go with a request to `host` at `path`, in the order they were first stored.
    std::vector<CookieRecord> cookiesFor(std::string_view host, std::string_view path, std::time_t now) const;

    // Forgets everything; tests start from an empty store with it.
    void clear();

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::vector<CookieRecord>, std::less<>> cookies_;
};

}  // namespace xingfan::platform::inet
