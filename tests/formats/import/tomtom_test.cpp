// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>

#include "core/conversion_record.h"
#include "core/file_io.h"
#include "core/store.h"
#include "core/text_fields.h"
#include "formats/import/tomtom.h"
#include "tests/support/byte_builder.h"
#include "tests/support/test_files.h"

namespace {
const char* const kHeader = "Kestrelmaps Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\n\r\n";

void AddPoint(ByteBuilder& b, std::int32_t lon, std::int32_t lat, std::string_view name, std::uint8_t type = 2)
{
    b.u8(type).i32(static_cast<std::int32_t>(13 + name.size() + 1)).i32(lon).i32(lat).zeroText(name);
}

void AddSkipper(ByteBuilder& b) { b.u8(1).fill(20, 0x7F); }

class TomTomTest : public ::testing::Test {
protected:
    // Reads the bytes and returns the waypoint file the reader wrote.
    std::string Read(const ByteBuilder& b)
    {
        WriteText(dir.Path("in.ov2"), b.str());
        ReadTomTomFile(dir.Path("in.ov2"), dir.Path("out.wrt"));
        return ReadText(dir.Path("out.wpt"));
    }
    TempDir dir;
};
}  // namespace

TEST_F(TomTomTest, SkipperBlocksAreSkippedAndPointsBecomeNumberedWaypoints)
{
    ByteBuilder b;
    AddSkipper(b);
    AddPoint(b, 489123, 5237403, "Dam Square, Amsterdam");
    AddPoint(b, -15121000, -3386000, "");
    const std::string written = Read(b);
    ASSERT_EQ(WaypointCount, 2);
    EXPECT_EQ(WaypointList[1].Name, "DamSquareAmsterdam");
    EXPECT_EQ(WaypointList[1].Description, "Dam Square- Amsterdam");
    EXPECT_DOUBLE_EQ(WaypointList[1].Latitude, 52.37403);
    EXPECT_DOUBLE_EQ(WaypointList[1].Longitude, 4.89123);
    EXPECT_EQ(WaypointList[2].Name, "");
    EXPECT_EQ(WaypointList[2].Description, "");
    EXPECT_DOUBLE_EQ(WaypointList[2].Latitude, -33.86);
    EXPECT_DOUBLE_EQ(WaypointList[2].Longitude, -151.21);
    EXPECT_EQ(written, std::string(kHeader) +
                           "   1,DamSquareAmsterdam,  52.374030,   4.891230,33605.0000000,  0, 0, 3,         0,"
                           "     65535,Dam Square- Amsterdam, 0, 0,    0,   -777, 8, 0,17,0,10.0,2,,,\r\n"
                           "   2,, -33.860000,-151.210000,33605.0000000,  0, 0, 3,         0,"
                           "     65535,, 0, 0,    0,   -777, 8, 0,17,0,10.0,2,,,\r\n");
}

TEST_F(TomTomTest, NameKeepsLettersDigitsAndDashesWhileDescriptionKeepsEveryByte)
{
    ByteBuilder b;
    AddPoint(b, 0, 0, "A-9 b\x01\xE8z.,");
    AddPoint(b, 100, 200, "Second", 3);
    Read(b);
    ASSERT_EQ(WaypointCount, 2);
    EXPECT_EQ(WaypointList[1].Name, "A-9bz");
    EXPECT_EQ(WaypointList[1].Description, "A-9 b\x01\xE8z.-");
    EXPECT_EQ(WaypointList[2].Name, "Second");
    EXPECT_DOUBLE_EQ(WaypointList[2].Latitude, 0.002);
}

TEST_F(TomTomTest, RecordTypesAreReadByTheirLengths)
{
    ByteBuilder b;
    AddSkipper(b);
    AddPoint(b, 100, 100, "Deleted", 0);
    AddPoint(b, 200, 300, "Simple");
    // An extended point: its further texts lie inside its length, after the name.
    const std::string extra = std::string("Extended, too\0", 14) + "id 42" + '\0' + "+41 21 555" + '\0';
    b.u8(3).i32(static_cast<std::int32_t>(13 + extra.size())).i32(400).i32(500).text(extra);
    b.u8(0x2A).i32(9).u32(0x02020202);  // unknown type: skipped by its length
    AddPoint(b, 600, 700, "Last");
    Read(b);
    ASSERT_EQ(WaypointCount, 3);
    EXPECT_EQ(WaypointList[1].Name, "Simple");
    EXPECT_DOUBLE_EQ(WaypointList[1].Latitude, 0.003);
    EXPECT_EQ(WaypointList[2].Name, "Extendedtoo");
    EXPECT_EQ(WaypointList[2].Description, "Extended- too");
    EXPECT_DOUBLE_EQ(WaypointList[2].Longitude, 0.004);
    EXPECT_DOUBLE_EQ(WaypointList[2].Latitude, 0.005);
    EXPECT_EQ(WaypointList[3].Name, "Last");
    EXPECT_DOUBLE_EQ(WaypointList[3].Latitude, 0.007);
}

TEST_F(TomTomTest, ALengthTheRecordCannotHaveEndsTheReading)
{
    const struct {
        std::uint8_t type;
        std::int32_t length;  // of the second record, whose true length is 17
        int waypoints;
    } rows[] = {{2, 17, 3}, {3, 17, 3},  {0, 17, 2},   {9, 17, 2}, {2, 12, 1},
                {3, 0, 1},  {2, -17, 1}, {2, 1000, 1}, {0, 4, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << int(row.type) << " " << row.length);
        ByteBuilder b;
        AddPoint(b, 1, 1, "One");
        b.u8(row.type).i32(row.length).i32(2).i32(2).zeroText("Two");
        AddPoint(b, 3, 3, "Three");
        Read(b);
        ASSERT_EQ(WaypointCount, row.waypoints);
        EXPECT_EQ(WaypointList[1].Name, "One");
        EXPECT_EQ(WaypointList[WaypointCount].Name, row.waypoints == 1 ? "One" : "Three");
    }
    // A short length cuts the name: the record ends there.
    ByteBuilder b;
    b.u8(2).i32(15).i32(0).i32(0).zeroText("Long name");
    AddPoint(b, 3, 3, "Next");
    Read(b);
    ASSERT_EQ(WaypointCount, 1);
    EXPECT_EQ(WaypointList[1].Name, "Lo");
}
TEST_F(TomTomTest, EmptyFileWritesTheHeaderOnly)
{
    WaypointCount = 3;
    EXPECT_EQ(Read(ByteBuilder()), kHeader);
    EXPECT_EQ(WaypointCount, 0);
}

TEST_F(TomTomTest, TwelveThousandPointsGiveTenThousandAndTheFileIsStillWritten)
{
    ByteBuilder b;
    for (int i = 1; i <= 12000; ++i) AddPoint(b, i, -i, "P" + std::to_string(i));
    const auto lines = SplitCrLf(Read(b));
    EXPECT_EQ(WaypointCount, 10000);
    ASSERT_EQ(lines.size(), 4u + 10000u);
    EXPECT_EQ(GetField(lines.back(), 1, ""), "10000");
    EXPECT_EQ(GetField(lines.back(), 2, ""), "P10000");
}

TEST_F(TomTomTest, ARecordCutShortByTheFileEndIsNotRead)
{
    ByteBuilder b;
    AddPoint(b, 100000, 200000, "Whole");
    b.u8(2).i32(18).i32(-250000).u8(0x10);  // the latitude has one byte of four
    StartConversionRecord();
    Read(b);
    EXPECT_TRUE(InputReadInPart());
    ASSERT_EQ(WaypointCount, 1);
    EXPECT_EQ(WaypointList[1].Name, "Whole");

    ByteBuilder skipper;
    AddPoint(skipper, 1, 1, "");
    skipper.u8(1).fill(5, 0x02);  // a cut skipper yields nothing
    StartConversionRecord();
    Read(skipper);
    EXPECT_TRUE(InputReadInPart());
    EXPECT_EQ(WaypointCount, 1);
}

TEST_F(TomTomTest, AMissingInputRaisesAFileErrorAndWritesNothing)
{
    EXPECT_THROW(ReadTomTomFile(dir.Path("absent.ov2"), dir.Path("out")), FileError);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out.wpt")));
}

TEST_F(TomTomTest, RandomAndTruncatedInputsEndCleanly)
{
    ByteBuilder valid;
    AddSkipper(valid);
    for (int i = 0; i < 30; ++i) AddPoint(valid, i * 1000, -i * 1000, "Point, number " + std::to_string(i));
    std::mt19937 random(8122026);
    auto run = [&](const std::vector<std::uint8_t>& bytes) {
        WriteText(dir.Path("f.ov2"), std::string(bytes.begin(), bytes.end()));
        try {
            ReadTomTomFile(dir.Path("f.ov2"), dir.Path("f"));
        } catch (const FileError&) {
        } catch (const ConversionError&) {}
        ASSERT_LE(WaypointCount, kMaxWaypoints);
    };
    for (std::size_t length = 0; length <= valid.size(); length += 13)
        run(std::vector<std::uint8_t>(valid.bytes.begin(), valid.bytes.begin() + length));
    for (int round = 0; round < 60; ++round) {
        const std::size_t size = round < 20 ? round : random() % 200001;
        std::vector<std::uint8_t> bytes(size);
        // Mostly zeros and small types so that many short records come up.
        for (auto& byte : bytes) byte = static_cast<std::uint8_t>(round % 2 ? random() : random() % 3);
        run(bytes);
    }
}

TEST_F(TomTomTest, RealPointsFile)
{
    ReadTomTomFile(FixturePath("tomtom/tomtom.ov2"), dir.Path("real"));
    ASSERT_EQ(WaypointCount, 54);
    EXPECT_EQ(WaypointList[1].Name, "AebiFrresBogis-Bossey");
    EXPECT_EQ(WaypointList[1].Description, "Aebi Fr\xE8res- Bogis-Bossey");
    EXPECT_DOUBLE_EQ(WaypointList[1].Latitude, 46.35438);
    EXPECT_DOUBLE_EQ(WaypointList[1].Longitude, 6.17021);
    EXPECT_EQ(WaypointList[54].Name, "TrocknungsgeEiken");
    EXPECT_EQ(SplitCrLf(ReadText(dir.Path("real.wpt"))).size(), 4u + 54u);
}
