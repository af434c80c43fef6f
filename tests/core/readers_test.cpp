#include <gtest/gtest.h>

#include "core/byte_reader.h"
#include "core/line_reader.h"
#include "tests/support/byte_builder.h"

namespace {
std::vector<std::string> AllLines(const std::string& content)
{
    LineReader reader(content);
    std::vector<std::string> lines;
    std::string line;
    while (reader.Next(line)) lines.push_back(line);
    return lines;
}
}  // namespace

TEST(LineReader, EveryLineEndAndTheEndOfFileByte)
{
    using Lines = std::vector<std::string>;
    EXPECT_EQ(AllLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(AllLines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(AllLines("a\r\n\r\n"), (Lines{"a", ""}));
    EXPECT_EQ(AllLines("a\n\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(AllLines("a\n\r"), (Lines{"a", ""}));  // LF then a lone CR: two breaks
    EXPECT_EQ(AllLines("a\r\nb\x1A" "c\r\nd"), (Lines{"a", "b"}));
    EXPECT_EQ(AllLines("\x1A" "abc"), Lines{});
    EXPECT_EQ(AllLines(""), Lines{});
}

TEST(ByteReader, ReadsLittleEndianAndNeverPastTheEnd)
{
    ByteBuilder b;
    b.u16(0x1234).i32(-2).f64(1.5).u8(7);
    ByteReader r(b.bytes);
    std::uint16_t u = 0;
    std::int32_t i = 0;
    double d = 0;
    std::uint8_t byte = 0;
    ASSERT_TRUE(r.u16(u));
    ASSERT_TRUE(r.i32(i));
    ASSERT_TRUE(r.f64(d));
    EXPECT_EQ(u, 0x1234);
    EXPECT_EQ(i, -2);
    EXPECT_EQ(d, 1.5);
    std::uint32_t tooWide = 99;
    EXPECT_FALSE(r.u32(tooWide));
    EXPECT_EQ(tooWide, 99u);
    EXPECT_EQ(r.position(), 14u);
    ASSERT_TRUE(r.u8(byte));
    EXPECT_TRUE(r.at_end());
    EXPECT_FALSE(r.u8(byte));
}

TEST(ByteReader, SeeksAndSkipsCannotOverflowTheBound)
{
    ByteBuilder b;
    b.fill(10, 0xAB);
    ByteReader r(b.bytes);
    EXPECT_FALSE(r.skip(static_cast<std::size_t>(-1)));
    EXPECT_FALSE(r.seek(11));
    EXPECT_TRUE(r.seek(10));
    EXPECT_TRUE(r.seek(4));
    EXPECT_FALSE(r.skip(7));
    EXPECT_EQ(r.position(), 4u);
    std::uint8_t out[8] = {};
    EXPECT_EQ(r.read_some(out), 6u);
    std::string text;
    EXPECT_FALSE(r.text(1, text));
}
