#include "platform/shell/shell.hpp"

#include "url_recorder.hpp"

#include <gtest/gtest.h>

#include <string>

namespace shell = xingfan::platform::shell;

namespace {

struct AddressCase {
    const char* name;
    std::string address;  // GBK
    const char* opened;   // encoded, or nullptr when nothing may open
};

class OpenAddress : public ::testing::TestWithParam<AddressCase> {};

TEST_P(OpenAddress, OpensWebAddressesOnly)
{
    xingfan::testing::UrlRecorder browser;
    shell::openAddress(GetParam().address);
    if (GetParam().opened == nullptr) {
        EXPECT_TRUE(browser.opened.isEmpty()) << browser.opened.value(0).toString().toStdString();
        return;
    }
    ASSERT_EQ(browser.opened.size(), 1);
    EXPECT_EQ(browser.opened.front().toEncoded().toStdString(), GetParam().opened);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, OpenAddress,
    ::testing::Values(
        AddressCase{"Http", "http://www.jindan.example/i.aspx?c=XF726300", "http://www.jindan.example/i.aspx?c=XF726300"},
        AddressCase{"Https", "https://pan.share.example/s/1xFanV12", "https://pan.share.example/s/1xFanV12"},
        AddressCase{"RootOfASite", "http://www.xingfan.example/", "http://www.xingfan.example/"},
        AddressCase{"NoScheme", "www.xingfan.example/news", "http://www.xingfan.example/news"},
        AddressCase{"TrailingLineBreak", "http://www.xingfan.example/\r\n", "http://www.xingfan.example/"},
        AddressCase{"SurroundingSpaces", "  http://www.xingfan.example/a  ", "http://www.xingfan.example/a"},
        AddressCase{"SpaceInside", "http://www.xingfan.example/a b", "http://www.xingfan.example/a%20b"},
        // "路径" in GBK
        AddressCase{"GbkPath", "http://www.xingfan.example/\xC2\xB7\xBE\xB6",
                    "http://www.xingfan.example/%E8%B7%AF%E5%BE%84"},
        AddressCase{"Empty", "", nullptr},
        AddressCase{"Blank", " \t\r\n", nullptr},
        AddressCase{"NoHost", "http://", nullptr},
        AddressCase{"LocalFile", "file:///etc/passwd", nullptr},
        AddressCase{"LocalPath", "/usr/bin/xterm", nullptr},
        AddressCase{"HomePath", "~/.bashrc", nullptr},
        AddressCase{"Script", "javascript:alert(1)", nullptr},
        AddressCase{"Mail", "mailto:someone@xingfan.example", nullptr},
        AddressCase{"Ftp", "ftp://files.xingfan.example/setup.exe", nullptr},
        AddressCase{"NotGbk", "\xFF\xFE\xFF", nullptr}),
    [](const ::testing::TestParamInfo<AddressCase>& info) { return std::string(info.param.name); });

}  // namespace
