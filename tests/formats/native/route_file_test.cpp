// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/store.h"
#include "formats/native/Kes.h"
#include "tests/support/test_files.h"

namespace {
class RouteFile : public ::testing::Test {
protected:
    void SetUp() override { ClearRoutes(); }
    RouteWpRecord& Point(int route, int j, int number, const std::string& name)
    {
        RouteWpRecord& p = RouteList[route].Points[j];
        p.Number = number;
        p.Name = name;
        p.Latitude = 51.5;
        p.Longitude = -0.1;
        p.DateTime = 36000.5;
        return p;
    }
    std::vector<std::string> Written()
    {
        WriteRouteFile(dir.Path("out.wpt"));
        return SplitCrLf(ReadText(dir.Path("out.rte")));
    }
    TempDir dir;
};
}  // namespace

TEST_F(RouteFile, WritesTheExampleLinesExactly)
{
    RouteList[1].Name = "Home run";
    RouteList[1].PointCount = 1;
    Point(1, 1, 5, "WP1");
    RouteCount = 1;
    const auto lines = Written();
    ASSERT_EQ(lines.size(), 4u + 101u + 1u);
    EXPECT_EQ(lines[0], "Kestrelmaps Route File Version 1.0");
    EXPECT_EQ(lines[1], "WGS 84");
    EXPECT_EQ(lines[2], "Reserved 1");
    EXPECT_EQ(lines[3], "Reserved 2");
    EXPECT_EQ(lines[4], "R,  0,R0              ,,255");
    EXPECT_EQ(lines[5], "R,  1,Home run        ,,16711680");
    EXPECT_EQ(
        lines[6],
        "W,  1,  1,  5,WP1             ,  51.500000,  -0.100000,36000.5000000, 0, 0, 3,         0,     65535,, 0, 0");
    EXPECT_EQ(lines[7], "R,  2,R2              ,,65280");
    EXPECT_EQ(lines.back(), "R,100,R100            ,,65280");
}

TEST_F(RouteFile, SkipsUnnumberedPointsWithoutRenumbering)
{
    RouteList[3].PointCount = 3;
    Point(3, 1, 7, "A");
    Point(3, 2, 0, "B");
    Point(3, 3, 9, "C");
    const auto lines = Written();
    EXPECT_EQ(lines[8].substr(0, 14), "W,  3,  1,  7,");
    EXPECT_EQ(lines[9].substr(0, 14), "W,  3,  3,  9,");
    EXPECT_EQ(lines[10].substr(0, 6), "R,  4,");
}

TEST_F(RouteFile, NamesAreCutOrFilledToSixteen)
{
    RouteList[2].Name = "ABCDEFGHIJKLMNOPQRST";
    RouteList[4].Name = "AB";
    RouteList[4].Description = "x,y";
    const auto lines = Written();
    EXPECT_EQ(lines[6], "R,  2,ABCDEFGHIJKLMNOP,,65280");
    EXPECT_EQ(lines[8], "R,  4,AB              ,x\xD1y,16711935");
}
