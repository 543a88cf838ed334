#include "net/url_parts.hpp"

#include <gtest/gtest.h>

using namespace xingfan::net;

namespace {

struct UrlCase {
    const char* url;
    const char* host;
    const char* hostWithPort;
    const char* path;
    int port;
};

const UrlCase kUrlCases[] = {
    {"http://MiXeD.Example:8080/x?y=1", "mixed.example", "mixed.example:8080", "/x?y=1", 8080},
    {"http://letters.example/shujuzhongxin/shouxin.php?ms=726300", "letters.example", "letters.example",
     "/shujuzhongxin/shouxin.php?ms=726300", 80},
    {"name/p", "name", "name", "/p", 80},
    {"HTTP://Host.Example/p", "http", "http:", "//Host.Example/p", 0},
    {"https://secure.example/p", "https", "https:", "//secure.example/p", 0},
    {"http://host.example", "host.example", "host.example", "/", 80},
    {"http://host.example?x=1", "host.example?x=1", "host.example?x=1", "/", 80},
    {"http://host.example:/p", "host.example", "host.example:", "/p", 0},
    {"http://host.example:8080abc/p", "host.example", "host.example:8080abc", "/p", 8080},
    {"", "", "", "/", 80},
    {"see http://A.example/q", "a.example", "a.example", "/q", 80},
    // The path starts at the first "/" after the host's first occurrence, wherever it stands.
    {"http://a/b/a/c", "a", "a", "/b/a/c", 80},
    {"http://\xC4\xE3.example/\xC4\xE3", "\xC4\xE3.example", "\xC4\xE3.example", "/\xC4\xE3", 80},
};

class UrlPartsTest : public testing::TestWithParam<UrlCase> {};

TEST_P(UrlPartsTest, SplitsTheAddress)
{
    const UrlCase& c = GetParam();
    EXPECT_EQ(urlHost(c.url), c.host);
    EXPECT_EQ(urlHost(c.url, true), c.hostWithPort);
    EXPECT_EQ(urlPath(c.url), c.path);
    EXPECT_EQ(urlPort(c.url), c.port);
}

INSTANTIATE_TEST_SUITE_P(Cases, UrlPartsTest, testing::ValuesIn(kUrlCases));

TEST(UrlPort, ReadsTheLeadingNumber)
{
    EXPECT_EQ(urlPort("http://h:-5/"), -5);
    EXPECT_EQ(urlPort("http://h:12.9/"), 12);
    EXPECT_EQ(urlPort("http://h:99999999999/"), 2147483647);
    EXPECT_EQ(urlPort("http://h:x80/"), 0);
}

}  // namespace
