#include "letters/letter_requests.hpp"

#include "config/addresses.hpp"
#include "letters/letters.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

using namespace xingfan::letters;
using namespace xingfan::letters::testing;

namespace {

using xingfan::letters::testing::PrintTo;

constexpr std::string_view kBase = "http://svc.example/";

struct RequestCase {
    const char* name;
    LetterRequest request;
    std::string url;
    std::string body;
};

class LetterRequestTest : public ::testing::TestWithParam<RequestCase> {};

TEST_P(LetterRequestTest, AddressAndBodyGoOutAsSpelled)
{
    const RequestCase& c = GetParam();
    EXPECT_EQ(c.request.url, c.url);
    EXPECT_EQ(c.request.body, c.body);
}

const std::string kListingUrl = "http://svc.example/shujuzhongxin/shouxin.php?ms=726300";
const std::string kReadingUrl = "http://svc.example/shujuzhongxin/duqu.php?ms=726300";

// djfx is the GBK of 查询 / 确定, percent-encoded with upper-case digits, as plain ASCII bytes.
const RequestCase kRequestCases[] = {
    {"listing one letter of page one", listingRequest(kBase, "726300", 1, 1), kListingUrl,
     "bt=1&fy=1&msnr=726300&djfx=%B2%E9%D1%AF"},
    {"listing count and page 0 stand for 20 and 1", listingRequest(kBase, "726300", 0, 0), kListingUrl,
     "bt=20&fy=1&msnr=726300&djfx=%B2%E9%D1%AF"},
    {"listing negative values go out unchanged", listingRequest(kBase, "726300", -1, -1), kListingUrl,
     "bt=-1&fy=-1&msnr=726300&djfx=%B2%E9%D1%AF"},
    {"listing extremes in plain decimal",
     listingRequest(kBase, "726300", std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()),
     kListingUrl, "bt=-2147483648&fy=2147483647&msnr=726300&djfx=%B2%E9%D1%AF"},
    {"listing mailbox number inserted unchanged", listingRequest(kBase, "007 x", 20, 2),
     "http://svc.example/shujuzhongxin/shouxin.php?ms=007 x", "bt=20&fy=2&msnr=007 x&djfx=%B2%E9%D1%AF"},
    {"reading a letter", readingRequest(kBase, "726300", 5, 2), kReadingUrl,
     "scly=xj&bt=5&msnr=726300&djfx=%C8%B7%B6%A8"},
    {"reading a message", readingRequest(kBase, "726300", 0, 1), kReadingUrl,
     "scly=ly&bt=0&msnr=726300&djfx=%C8%B7%B6%A8"},
    {"reading a negative number", readingRequest(kBase, "726300", -12, 2), kReadingUrl,
     "scly=xj&bt=-12&msnr=726300&djfx=%C8%B7%B6%A8"},
    {"reading kind 3 has an empty body", readingRequest(kBase, "726300", 5, 3), kReadingUrl, ""},
    {"reading kind 0 has an empty body", readingRequest(kBase, "726300", 5, 0), kReadingUrl, ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, LetterRequestTest, ::testing::ValuesIn(kRequestCases), CaseName{});

TEST(NoticeAddresses, AreTheTwoFilesUnderTheBase)
{
    EXPECT_EQ(noticeFlagAddress(kBase), "http://svc.example/shujuzhongxin/banb.txt");
    EXPECT_EQ(noticeAddressFileAddress(kBase), "http://svc.example/shujuzhongxin/wz.txt");
}

TEST(LetterServiceBase, EnvironmentOverridesOnlyWhenNotEmpty)
{
    const std::string builtIn(xingfan::config::kLetterServiceBase);
    ASSERT_FALSE(builtIn.empty());

    ::unsetenv("XINGFAN_LETTER_SERVICE");
    EXPECT_EQ(letterServiceBase(), builtIn);
    ::setenv("XINGFAN_LETTER_SERVICE", "", 1);
    EXPECT_EQ(letterServiceBase(), builtIn);
    ::setenv("XINGFAN_LETTER_SERVICE", "http://127.0.0.1:8080/", 1);
    EXPECT_EQ(letterServiceBase(), "http://127.0.0.1:8080/");
    ::unsetenv("XINGFAN_LETTER_SERVICE");
}

}  // namespace
