#include "platform/inet/cookie_store.hpp"

#include <gtest/gtest.h>

using namespace xingfan::platform::inet;

namespace xingfan::platform::inet {
void PrintTo(const CookieRecord& c, std::ostream* os)
{
    *os << "{'" << c.name << "', '" << c.value << "', '" << c.path << "', "
        << (c.expires ? std::to_string(*c.expires) : "session") << "}";
}
}  // namespace xingfan::platform::inet

namespace {

constexpr std::time_t kNow = 1'700'000'000;  // Tue, 14 Nov 2023 22:13:20 GMT

struct SetCookieCase {
    const char* header;
    std::optional<CookieRecord> expected;
};

CookieRecord cookie(std::string name, std::string value, std::string path = "/", std::optional<std::time_t> expires = {})
{
    return CookieRecord{.name = std::move(name), .value = std::move(value), .path = std::move(path), .expires = expires};
}

}  // namespace

TEST(CookieParsing, SetCookieHeaders)
{
    const SetCookieCase cases[] = {
        {"a=b", cookie("a", "b")},
        {" sid = x y ;Path=/p; HttpOnly", cookie("sid", "x y", "/p")},
        {"a=b=c; domain=other.example", cookie("a", "b=c")},
        {"lonely", cookie("", "lonely")},
        {"lonely; path=/x", cookie("", "lonely", "/x")},
        {"=v", cookie("", "v")},
        {"a=; path=/", cookie("a", "")},
        {"a=b; EXPIRES=Thu, 01 Jan 1970 00:00:00 GMT", cookie("a", "b", "/", 0)},
        {"a=b; expires=Wed, 09-Jun-2027 10:18:14 GMT", cookie("a", "b", "/", 1812536294)},
        // Attributes that do not parse are left out, the cookie stays.
        {"a=b; expires=someday; path=relative", cookie("a", "b")},
        {"", std::nullopt},
        {" ; path=/", std::nullopt},
        {"a=b\r\nX-Injected: 1", std::nullopt},
    };
    for (const SetCookieCase& c : cases)
        EXPECT_EQ(parseSetCookie(c.header), c.expected) << c.header;
}

TEST(CookieParsing, NameAndDataAsStoredExplicitly)
{
    EXPECT_EQ(parseCookieData("sid", "x; path=/p; expires=Thu, 01 Jan 1970 00:00:00 GMT"), cookie("sid", "x", "/p", 0));
    EXPECT_EQ(parseCookieData("", "lonely; path=/x"), cookie("", "lonely", "/x"));
    EXPECT_EQ(parseCookieData("", "a=b"), cookie("", "a=b"));
    // A header cut at the "=" of an attribute is read back whole.
    EXPECT_EQ(parseCookieData("lonely; expires", "Thu, 01 Jan 1970 00:00:00 GMT"), cookie("", "lonely", "/", 0));
    EXPECT_EQ(parseCookieData("", ""), std::nullopt);
}

TEST(CookieParsing, PathMatching)
{
    struct Case {
        const char* cookiePath;
        const char* requestPath;
        bool matches;
    };
    const Case cases[] = {
        {"/", "/", true},          {"/", "/any/thing?q=1", true}, {"/a", "/a", true},
        {"/a", "/a/b", true},      {"/a", "/a?x=/", true},        {"/a/", "/a/b", true},
        {"/a", "/ab", false},      {"/a/", "/a", false},          {"/a", "/", false},
        {"/a", "/b?/a", false},    {"/", "", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pathMatches(c.cookiePath, c.requestPath), c.matches) << c.cookiePath << " for " << c.requestPath;
}

TEST(CookieParsing, CookieLine)
{
    EXPECT_EQ(cookieLineValue({cookie("a", "1"), cookie("", "lonely"), cookie("b", "")}), "a=1; lonely; b=");
    EXPECT_EQ(cookieLineValue({}), "");
}

TEST(CookieStore, KeepsOnePerNameAndPathAndForgetsExpiredOnes)
{
    CookieStore store;
    store.store("Site.Example", cookie("a", "1"), kNow);
    store.store("site.example", cookie("", "lonely"), kNow);
    store.store("site.example", cookie("a", "1", "/deep"), kNow);
    store.store("site.example", cookie("b", "2", "/", kNow + 60), kNow);
    store.store("other.example", cookie("o", "1"), kNow);
    // Storing the same cookie again, as the automatic and the explicit store both do, keeps one;
    // a new value takes the old one's place.
    store.store("site.example", cookie("a", "1"), kNow);
    store.store("site.example", cookie("", "again"), kNow);

    EXPECT_EQ(store.cookiesFor("SITE.example", "/", kNow),
              (std::vector{cookie("a", "1"), cookie("", "again"), cookie("b", "2", "/", kNow + 60)}));
    EXPECT_EQ(store.cookiesFor("site.example", "/deep/x", kNow).size(), 4u);
    // Past its expiry a cookie is no longer sent.
    EXPECT_EQ(store.cookiesFor("site.example", "/", kNow + 60).size(), 2u);

    // An expiry in the past deletes exactly the cookie of that name and path.
    store.store("site.example", cookie("a", "x", "/", kNow - 1), kNow);
    store.store("site.example", cookie("", "x", "/", kNow), kNow);
    EXPECT_EQ(store.cookiesFor("site.example", "/deep", kNow),
              (std::vector{cookie("a", "1", "/deep"), cookie("b", "2", "/", kNow + 60)}));
    EXPECT_EQ(store.cookiesFor("nowhere.example", "/", kNow), std::vector<CookieRecord>{});
}
