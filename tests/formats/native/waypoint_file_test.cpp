// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/file_io.h"
#include "core/frontend.h"
#include "core/store.h"
#include "formats/native/Kes.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/test_files.h"

namespace {
const std::string kHeader = "Kestrelmaps Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\n\r\n";
const std::string kExampleLine = "   1,WP1,  51.500000,  -0.100000,33605.0000000,  0, 0, 3,         0,     65535,, 0, "
                                 "0,    0,   -777, 8, 0,17,0,10.0,2,,,";

class WaypointFile : public ::testing::Test {
protected:
    void SetUp() override { ClearWaypoints(); }
    void Add(const std::string& name, double lat, double lon)
    {
        WayPoints& w = WaypointList[++WaypointCount];
        w.Name = name;
        w.Latitude = lat;
        w.Longitude = lon;
    }
    std::vector<std::string> WrittenLines()
    {
        WriteWaypointFile(dir.Path("out"));
        return SplitCrLf(ReadText(dir.Path("out.wpt")));
    }
    void ReadLines(const std::string& body)
    {
        WriteText(dir.Path("in.wpt"), kHeader + body);
        ReadWaypointFile(dir.Path("in.wpt"));
    }
    TempDir dir;
};
}  // namespace

TEST_F(WaypointFile, WritesTheExampleLineExactly)
{
    Add("WP1", 51.5, -0.1);
    WriteWaypointFile(dir.Path("out.txt"));
    EXPECT_EQ(ReadText(dir.Path("out.wpt")), kHeader + kExampleLine + "\r\n");
}

TEST_F(WaypointFile, NoWaypointsWritesTheHeaderOnly)
{
    WriteWaypointFile(dir.Path("empty"));
    EXPECT_EQ(ReadText(dir.Path("empty.wpt")), kHeader);
}

TEST_F(WaypointFile, RoundingOfAltitudeAndLatitude)
{
    Add("A", 1.23456789, 0);
    WaypointList[1].Altitude = 123.6f;
    Add("B", 0, 0);
    WaypointList[2].Altitude = 2.5f;  // an exact half goes to the even neighbour
    const auto lines = WrittenLines();
    EXPECT_EQ(lines[4].substr(0, 18), "   1,A,   1.234568");
    EXPECT_NE(lines[4].find(",    124,"), std::string::npos);
    EXPECT_NE(lines[5].find(",      2,"), std::string::npos);
}

TEST_F(WaypointFile, TextColumnsCannotBreakTheLine)
{
    Add("a,b", 0, 0);
    WaypointList[1].Description = "line\r\nbreak\x1A";
    WaypointList[1].Column23 = "x,y";
    const auto lines = WrittenLines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[4].substr(0, 9), "   1,a\xD1"
                                     "b,");
    EXPECT_NE(lines[4].find(",line  break ,"), std::string::npos);

    ReadWaypointFile(dir.Path("out.wpt"));
    EXPECT_EQ(WaypointList[1].Name, "a\xD1"
                                    "b");  // stays the escape byte outside columns 22 to 24
    EXPECT_EQ(WaypointList[1].Column23, "x,y");
    EXPECT_EQ(WaypointList[1].Latitude, 0);
}

TEST_F(WaypointFile, MissingColumnsTakeTheReaderDefaults)
{
    ReadLines("1,Home,52.1,4.3\r\n");
    ASSERT_EQ(WaypointCount, 1);
    const WayPoints& w = WaypointList[1];
    EXPECT_EQ(w.Name, "Home");
    EXPECT_DOUBLE_EQ(w.Latitude, 52.1);
    EXPECT_DOUBLE_EQ(w.Longitude, 4.3);
    EXPECT_EQ(w.DateTime, 33605.0);
    EXPECT_EQ(w.Altitude, -777.0f);
    EXPECT_EQ(w.Column8, 0);
    EXPECT_EQ(w.Column10, 65535);
    EXPECT_EQ(w.Column16, 8);
    EXPECT_EQ(w.Column18, 17);
    EXPECT_EQ(w.Column20, 10.0f);
    EXPECT_EQ(w.Column21, 2);
    const auto lines = WrittenLines();
    EXPECT_NE(lines[4].find(",  0, 0, 0,         0,     65535,"), std::string::npos);
}

TEST_F(WaypointFile, ColumnOneIsIgnoredAndEmptyLinesAreWaypoints)
{
    ReadLines("5,A\r\n9,B\r\n\r\n12,C\r\n");
    ASSERT_EQ(WaypointCount, 4);
    EXPECT_EQ(WaypointList[3].Name, "");
    const auto lines = WrittenLines();
    EXPECT_EQ(lines[7].substr(0, 7), "   4,C,");
}

TEST_F(WaypointFile, EveryColumnSurvivesARoundTrip)
{
    const std::string line = "   1,Name,  -1.000001, 179.999999,36000.5000000, 17,-3, 4,1234567890,        -1,Desc, 1, "
                             "2,12345,  -1000, 9, 7,18,5,12.5,3,p,q,r";
    ReadLines(line + "\r\n");
    EXPECT_EQ(WrittenLines()[4], line);
}

TEST_F(WaypointFile, ReadsUpToTheStoreCapacity)
{
    std::string body;
    for (int i = 0; i < 12000; ++i) body += "1,W" + std::to_string(i) + ",1,2\r\n";
    ReadLines(body);
    EXPECT_EQ(WaypointCount, 10000);
    EXPECT_EQ(WaypointList[10000].Name, "W9999");
    EXPECT_EQ(WrittenLines()[10003].substr(0, 12), "10000,W9999,");
}

TEST_F(WaypointFile, DatumOtherThanWgs84OnlyWarns)
{
    RecordingFrontEnd f;
    ScopedFrontEnd scope(f);
    WriteText(dir.Path("d.wpt"), "x\r\nWGS84\r\n\r\n\r\n1,A,1,2\r\n");
    ReadWaypointFile(dir.Path("d.wpt"));
    EXPECT_EQ(f.messages, std::vector<std::string>{"The Data file datum must be WGS84"});
    EXPECT_EQ(WaypointCount, 1);

    f.messages.clear();
    WriteText(dir.Path("two.wpt"), "x\r\nWGS 84\r\n");
    ReadWaypointFile(dir.Path("two.wpt"));
    EXPECT_TRUE(f.messages.empty());
    EXPECT_EQ(WaypointCount, 0);
}

TEST_F(WaypointFile, LinesEndedByLineFeedAlone)
{
    WriteText(dir.Path("lf.wpt"), "x\nWGS 84\n\n\n1,A,1,2\n1,B,3,4\n");
    ReadWaypointFile(dir.Path("lf.wpt"));
    ASSERT_EQ(WaypointCount, 2);
    EXPECT_EQ(WaypointList[2].Name, "B");
}

TEST_F(WaypointFile, MissingFileRaisesAFileError) { EXPECT_THROW(ReadWaypointFile(dir.Path("none.wpt")), FileError); }
