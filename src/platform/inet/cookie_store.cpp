#include "platform/inet/cookie_store.hpp"

#include "text/gbk_search.hpp"

#include <algorithm>

#include <curl/curl.h>

namespace xingfan::platform::inet {
namespace {

std::string_view trim(std::string_view text)
{
    const auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// A cookie that would break the Cookie line it is sent in is not kept.
bool sendable(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// Applies the "; attribute=value" list that follows a cookie's value.
void applyAttributes(CookieRecord& cookie, std::string_view attributes)
{
    while (!attributes.empty()) {
        const std::size_t end = std::min(attributes.find(';'), attributes.size());
        const std::string_view attribute = attributes.substr(0, end);
        attributes.remove_prefix(std::min(end + 1, attributes.size()));

        const std::size_t equals = attribute.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string key = text::asciiLower(trim(attribute.substr(0, equals)));
        const std::string_view value = trim(attribute.substr(equals + 1));
        if (key == "expires") {
            const std::time_t when = curl_getdate(std::string(value).c_str(), nullptr);
            if (when != -1)
                cookie.expires = when;
        }
        else if (key == "path" && value.starts_with('/')) {
            cookie.path = std::string(value);
        }
    }
}

std::optional<CookieRecord> finish(CookieRecord cookie, std::string_view attributes)
{
    if ((cookie.name.empty() && cookie.value.empty()) || !sendable(cookie.name) || !sendable(cookie.value))
        return std::nullopt;
    applyAttributes(cookie, attributes);
    return cookie;
}

std::string_view afterFirstSemicolon(std::string_view text)
{
    const std::size_t semicolon = text.find(';');
    return semicolon == std::string_view::npos ? std::string_view() : text.substr(semicolon + 1);
}

}  // namespace

std::optional<CookieRecord> parseSetCookie(std::string_view header)
{
    const std::string_view pair = header.substr(0, header.find(';'));
    CookieRecord cookie;
    const std::size_t equals = pair.find('=');
    if (equals == std::string_view::npos) {
        cookie.value = trim(pair);
    }
    else {
        cookie.name = trim(pair.substr(0, equals));
        cookie.value = trim(pair.substr(equals + 1));
    }
    return finish(std::move(cookie), afterFirstSemicolon(header));
}

std::optional<CookieRecord> parseCookieData(std::string_view name, std::string_view data)
{
    // A name never holds ";": such a name is a header cut at the first "=" of an attribute
    // ("lonely; expires" + "<date>"), so the whole of it is read as the header it came from.
    if (name.find(';') != std::string_view::npos)
        return parseSetCookie(std::string(name) + "=" + std::string(data));
    CookieRecord cookie;
    cookie.name = trim(name);
    cookie.value = trim(data.substr(0, data.find(';')));
    return finish(std::move(cookie), afterFirstSemicolon(data));
}

bool pathMatches(std::string_view cookiePath, std::string_view requestPath)
{
    requestPath = requestPath.substr(0, requestPath.find_first_of("?#"));
    if (!requestPath.starts_with('/'))
        requestPath = "/";
    if (!requestPath.starts_with(cookiePath))
        return false;
    return requestPath.size() == cookiePath.size() || cookiePath.ends_with('/')
        || requestPath[cookiePath.size()] == '/';
}

std::string cookieLineValue(const std::vector<CookieRecord>& cookies)
{
    std::string line;
    for (const CookieRecord& cookie : cookies) {
        if (!line.empty())
            line += "; ";
        line += cookie.name.empty() ? cookie.value : cookie.name + "=" + cookie.value;
    }
    return line;
}

CookieStore& CookieStore::instance()
{
    // Never destroyed: a cancelled worker that is still running down as the program exits may
    // store its cookies after static objects are gone.
    static CookieStore* const store = new CookieStore;
    return *store;
}

void CookieStore::store(std::string_view host, CookieRecord cookie, std::time_t now)
{
    std::lock_guard guard(mutex_);
    std::vector<CookieRecord>& kept = cookies_[text::asciiLower(host)];
    const auto same = std::find_if(kept.begin(), kept.end(), [&](const CookieRecord& other) {
        return other.name == cookie.name && other.path == cookie.path;
    });
    if (cookie.expires && *cookie.expires <= now) {
        if (same != kept.end())
            kept.erase(same);
    }
    else if (same != kept.end()) {
        *same = std::move(cookie);
    }
    else {
        kept.push_back(std::move(cookie));
    }
}

std::vector<CookieRecord> CookieStore::cookiesFor(std::string_view host, std::string_view path, std::time_t now) const
{
    std::lock_guard guard(mutex_);
    std::vector<CookieRecord> found;
    const auto kept = cookies_.find(text::asciiLower(host));
    if (kept == cookies_.end())
        return found;
    for (const CookieRecord& cookie : kept->second) {
        if ((!cookie.expires || *cookie.expires > now) && pathMatches(cookie.path, path))
            found.push_back(cookie);
    }
    return found;
}

void CookieStore::clear()
{
    std::lock_guard guard(mutex_);
    cookies_.clear();
}

}  // namespace xingfan::platform::inet
