#include "net/request_handoff.hpp"

#include <gtest/gtest.h>

using namespace xingfan::net;
using namespace std::string_literals;

TEST(RequestHandoff, ValuesComeBackInOrderByteForByte)
{
    RequestHandoff record;
    record.writeText("Velquin");
    record.writeText("");
    record.writeBytes("a\0b\xFF"s);
    record.writeText("\xD0\xC7\xB7\xAB");

    record.rewind();
    EXPECT_EQ(record.readText(), "Velquin");
    EXPECT_EQ(record.readText(), "");
    EXPECT_EQ(record.readBytes(), "a\0b\xFF"s);
    EXPECT_EQ(record.readText(), "\xD0\xC7\xB7\xAB");
    // Past the end every value reads empty, of either kind.
    EXPECT_EQ(record.readText(), "");
    EXPECT_EQ(record.readBytes(), "");
}

TEST(RequestHandoff, ATextStopsAtItsFirstNul)
{
    RequestHandoff record;
    record.writeText("ab\0cd"s);
    record.writeBytes("x\0y"s);
    record.rewind();
    EXPECT_EQ(record.readText(), "ab");
    EXPECT_EQ(record.readText(), "x");
}

TEST(RequestHandoff, ClearDeletesEverythingAndWritingFromTheStartReplaces)
{
    RequestHandoff record;
    record.writeText("Velquin");
    record.writeText("http://a.example/");
    record.clear();
    record.rewind();
    EXPECT_EQ(record.readText(), "");

    record.writeText("one");
    record.writeText("two");
    record.rewind();
    record.writeText("three");
    record.rewind();
    EXPECT_EQ(record.readText(), "three");
    EXPECT_EQ(record.readText(), "");
}
