#include "text/gbk_codec.hpp"

#include <gtest/gtest.h>

using namespace xingfan::text;

TEST(GbkCodec, RoundTripsChineseText)
{
    const std::string gbk = "\xD0\xC7\xB7\xAB\xB5\xBC\xBA\xBD" "V1.2\xA3\xBA";  // 星帆导航V1.2：
    const QString unicode = fromGbk(gbk);
    EXPECT_EQ(unicode, QStringLiteral("星帆导航V1.2："));
    EXPECT_EQ(toGbk(unicode), gbk);
}
