// Set-Cookie values, one per input line, parsed and stored as a response's cookies are.
// Checked on every input:
// - a parsed cookie can never break the Cookie line it is sent in, and its path is absolute;
// - the worker's explicit store (name before the first "=", data after it) reads the same cookie
//   as the header itself;
// - the store follows its rule: a cookie replaces the one of the same name and path, an expired
//   one deletes it, and a request gets the matching cookies in the order first stored.
#include "platform/inet/cookie_store.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace xingfan::platform::inet;

constexpr std::time_t kNow = 1'700'000'000;
constexpr std::string_view kHost = "cookies.example";

void require(bool holds)
{
    if (!holds)
        std::abort();
}

bool hasLineBreakOrNul(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool trimmed(std::string_view text)
{
    const auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    return text.empty() || (!isSpace(text.front()) && !isSpace(text.back()));
}

void checkCookie(const CookieRecord& cookie)
{
    require(!cookie.name.empty() || !cookie.value.empty());
    require(!hasLineBreakOrNul(cookie.name) && !hasLineBreakOrNul(cookie.value));
    require(cookie.name.find_first_of("=;") == std::string::npos);
    require(cookie.value.find(';') == std::string::npos);
    require(trimmed(cookie.name) && trimmed(cookie.value));
    require(cookie.path.starts_with('/'));
}

// The worker cuts a Set-Cookie line at its first "=" into the name and the data.
std::optional<CookieRecord> asStoredByTheWorker(std::string_view header)
{
    const std::size_t equals = header.find('=');
    if (equals == std::string_view::npos)
        return parseCookieData({}, header);
    return parseCookieData(header.substr(0, equals), header.substr(equals + 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    CookieStore& store = CookieStore::instance();
    store.clear();

    // What the store must hold afterwards, in the order the cookies were first stored.
    std::vector<CookieRecord> model;
    while (!input.empty()) {
        const std::size_t end = std::min(input.find('\n'), input.size());
        const std::string_view header = input.substr(0, end);
        input.remove_prefix(std::min(end + 1, input.size()));

        const std::optional<CookieRecord> cookie = parseSetCookie(header);
        require(asStoredByTheWorker(header) == cookie);
        if (!cookie)
            continue;
        checkCookie(*cookie);

        store.store(kHost, *cookie, kNow);
        const auto same = std::find_if(model.begin(), model.end(), [&](const CookieRecord& kept) {
            return kept.name == cookie->name && kept.path == cookie->path;
        });
        if (cookie->expires && *cookie->expires <= kNow) {
            if (same != model.end())
                model.erase(same);
        }
        else if (same != model.end()) {
            *same = *cookie;
        }
        else {
            model.push_back(*cookie);
        }
    }

    std::vector<std::string> requestPaths = {"/", "/deep/er/path?q=/x"};
    for (const CookieRecord& kept : model)
        requestPaths.push_back(kept.path);
    for (const std::string& path : requestPaths) {
        std::vector<CookieRecord> expected;
        std::copy_if(model.begin(), model.end(), std::back_inserter(expected),
                     [&](const CookieRecord& kept) { return pathMatches(kept.path, path); });
        // The host is kept in lower case, whatever case a request names it in.
        const std::vector<CookieRecord> sent = store.cookiesFor("Cookies.Example", path, kNow);
        require(sent == expected);
        require(!hasLineBreakOrNul(cookieLineValue(sent)));
    }
    // A cookie always goes with a request for its own path, unless that path carries a query
    // or fragment part, which a request's path never matches.
    for (const CookieRecord& kept : model) {
        if (kept.path.find_first_of("?#") == std::string::npos)
            require(pathMatches(kept.path, kept.path) && pathMatches(kept.path, kept.path + "/below"));
    }
    return 0;
}
