#include "platform/inet/http_address.hpp"

#include <gtest/gtest.h>

using namespace xingfan::platform::inet;

namespace xingfan::platform::inet {
void PrintTo(const HttpAddress& a, std::ostream* os)
{
    *os << a.host << " " << a.port << " " << a.path;
}
}  // namespace xingfan::platform::inet

namespace {

HttpAddress address(std::string host, std::int32_t port, std::string path)
{
    return HttpAddress{.host = std::move(host), .port = port, .path = std::move(path)};
}

}  // namespace

TEST(HttpAddress, Parsing)
{
    struct Case {
        const char* url;
        std::optional<HttpAddress> expected;
    };
    const Case cases[] = {
        {"http://Host.Example/a/b?c=1#frag", address("host.example", 80, "/a/b?c=1")},
        {"HTTP://h.example:8080", address("h.example", 8080, "/")},
        {"http://h.example?q", address("h.example", 80, "/?q")},
        {"http://user:pw@h.example:81/x", address("h.example", 81, "/x")},
        {"http://[::1]:8080/x", address("[::1]", 8080, "/x")},
        {"http://h.example:/x", address("h.example", 80, "/x")},
        {"https://h.example/", std::nullopt},
        {"http:///x", std::nullopt},
        {"http://h.example:0/", std::nullopt},
        {"http://h.example:65536/", std::nullopt},
        {"http://h.example:8o/", std::nullopt},
        {"h.example/x", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseHttpAddress(c.url), c.expected) << c.url;
    EXPECT_EQ(address("h.example", 80, "/x").absolute(), "http://h.example/x");
    EXPECT_EQ(address("h.example", 8080, "/x").absolute(), "http://h.example:8080/x");
}

TEST(HttpAddress, RedirectLocations)
{
    const HttpAddress base = address("a.example", 8080, "/dir/page.php?x=1");
    struct Case {
        const char* location;
        std::optional<HttpAddress> expected;
    };
    const Case cases[] = {
        {"http://b.example/z", address("b.example", 80, "/z")},
        {"//b.example:81/z", address("b.example", 81, "/z")},
        {"/other?y=2#top", address("a.example", 8080, "/other?y=2")},
        {"next.php", address("a.example", 8080, "/dir/next.php")},
        {"../up/./x", address("a.example", 8080, "/up/x")},
        {"../../../x", address("a.example", 8080, "/x")},
        {"sub/..", address("a.example", 8080, "/dir/")},
        {"?y=2", address("a.example", 8080, "/dir/page.php?y=2")},
        {" /spaced ", address("a.example", 8080, "/spaced")},
        {"ftp://b.example/z", std::nullopt},
        {"https://b.example/z", std::nullopt},
        {"", std::nullopt},
        {"#only-a-fragment", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(resolveLocation(base, c.location), c.expected) << c.location;
}

TEST(HttpAddress, RequestTargetEscapesOnlyWhatWouldBreakTheRequestLine)
{
    EXPECT_EQ(escapeRequestTarget("/a b/\r\n\x7F?q=\xD0\xC7%20"), "/a%20b/%0D%0A%7F?q=\xD0\xC7%20");
}
