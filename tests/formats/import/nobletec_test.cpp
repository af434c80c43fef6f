// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/clock.h"
#include "core/file_io.h"
#include "core/store.h"
#include "core/text_fields.h"
#include "formats/import/Nobletec.h"
#include "tests/support/random_text.h"
#include "tests/support/test_files.h"

namespace {
constexpr double kLocalNow = 45000.75;  // 2023-03-15 18:00 local
constexpr double kUtcNow = kLocalNow - 0.05;

class NobletecExport : public ::testing::Test {
protected:
    void SetUp() override { PinClock(kLocalNow, kUtcNow); }
    void TearDown() override { UnpinClock(); }

    std::string Write(const std::string& content)
    {
        WriteText(dir.Path("export.txt"), content);
        return dir.Path("export.txt");
    }

    TempDir dir;
};

std::string Mark(const std::string& desc, const std::string& latLon)
{
    std::string s = "[Mark]\r\nType = Mark\r\nName = ignored\r\n";
    if (!desc.empty()) s += "Desc = " + desc + "\r\n";
    if (!latLon.empty()) s += "LatLon = " + latLon + "\r\n";
    return s;
}

std::string Section(int count, int firstDegree)
{
    std::string s = "NumberOfTrackMarks = " + std::to_string(count) + "\r\nTrackMarks:\r\n";
    for (int k = 0; k < count; ++k) s += std::to_string(firstDegree + k) + " 30.000 N 122 30.000 W\r\n";
    return s;
}
}  // namespace

TEST(NobletecLatLon, DegreesMinutesAndHemispheres)
{
    auto near = [](const NobletecPosition& p, double lat, double lon) {
        EXPECT_NEAR(p.Latitude, lat, 1e-9);
        EXPECT_NEAR(p.Longitude, lon, 1e-9);
    };
    near(ParseNobletecLatLon("47 36.000 N 122 30.000 W"), 47.6, -122.5);
    near(ParseNobletecLatLon("33 51,6 S 151 12,6 E"), -33.86, 151.21);
    near(ParseNobletecLatLon("33 51.6 s 151 12.6 w"), 33.86, 151.21);
    near(ParseNobletecLatLon("  47   36.000  N 122 30.000 W extra"), 47.6, -122.5);
    near(ParseNobletecLatLon("47\t36.000\tN\t122\t30.000\tW"), 47.6, -122.5);
    near(ParseNobletecLatLon("47 30"), 47.5, 0);
    near(ParseNobletecLatLon(""), 0, 0);
}

TEST_F(NobletecExport, MarkNamesDescriptionsAndCarriedValues)
{
    std::string file = "Header line\r\n";
    file += Mark("Harbour entrance buoy", "47 36.000 N 122 30.000 W");
    file += Mark("", "33 51,6 S 151 12,6 E");  // takes the previous description
    file += Mark("Short", "");                 // no position: no waypoint
    file += Mark("", "1 0 N 1 0 E");
    file += Mark("{{", "2 0 N 2 0 E");                         // the 4th waypoint
    file += "Type = Mark\r\n  LatLon = 3 30.000 S 4 0 W\r\n";  // blanks before the keyword
    ReadNobletecWaypoints(Write(file));
    ASSERT_EQ(WaypointCount, 5);
    const WayPoints& first = WaypointList[1];
    EXPECT_EQ(first.Name, "Harbour en");
    EXPECT_EQ(first.Description, "Harbour entrance buoy");
    EXPECT_NEAR(first.Latitude, 47.6, 1e-9);
    EXPECT_NEAR(first.Longitude, -122.5, 1e-9);
    EXPECT_EQ(first.Altitude, kNoAltitude);
    EXPECT_DOUBLE_EQ(first.DateTime, kUtcNow);
    EXPECT_EQ(first.Number, -1);

    EXPECT_EQ(WaypointList[2].Name, "Harbour en");
    EXPECT_EQ(WaypointList[2].Description, "Harbour entrance buoy");
    EXPECT_NEAR(WaypointList[2].Latitude, -33.86, 1e-9);
    EXPECT_EQ(WaypointList[3].Name, "Short");
    EXPECT_NEAR(WaypointList[3].Latitude, 1, 1e-9);
    EXPECT_EQ(WaypointList[4].Name, "WP0004");
    EXPECT_EQ(WaypointList[4].Description, "");
    EXPECT_EQ(WaypointList[5].Name, "WP0004");
    EXPECT_NEAR(WaypointList[5].Latitude, -3.5, 1e-9);
    EXPECT_NEAR(WaypointList[5].Longitude, -4, 1e-9);
}

TEST_F(NobletecExport, ReadsMarksUpToTheStoreCapacity)
{
    std::string file;
    for (int i = 0; i < 12000; ++i) file += "Type = Mark\nLatLon = 1 0 N 1 0 E\n";
    ReadNobletecWaypoints(Write(file));
    EXPECT_EQ(WaypointCount, 10000);
}

TEST_F(NobletecExport, SectionsOfTenNoneAndFiveMakeOneTrack)
{
    ReadNobletecTracks(Write(Mark("A mark", "1 0 N 1 0 E") + Section(10, 0) + Section(0, 0) + Section(5, 20)));
    ASSERT_EQ(TrackProps.PointCount, 15);
    EXPECT_EQ(TrackProps.Name, "2023-03-15");
    for (int i = 0; i < 15; ++i) EXPECT_EQ(TrackPointList[i].NewSection, i == 0 || i == 10 ? 1 : 0) << i;
    EXPECT_NEAR(TrackPointList[10].Latitude, 20.5, 1e-9);
    EXPECT_NEAR(TrackPointList[14].Longitude, -122.5, 1e-9);
    EXPECT_EQ(TrackPointList[14].Altitude, kNoAltitude);
    EXPECT_DOUBLE_EQ(TrackPointList[14].DateTime, kUtcNow);
}

TEST_F(NobletecExport, ASectionCutShortByTheEndOfTheFileKeepsItsPoints)
{
    ReadNobletecTracks(Write(Section(3, 0) + "NumberOfTrackMarks = 2000000000\r\nTrackMarks:\r\n1 0 N 2 0 E\r\n"));
    ASSERT_EQ(TrackProps.PointCount, 4);
    EXPECT_EQ(TrackPointList[3].NewSection, 1);
    EXPECT_EQ(TrackPointList[4].Latitude, kNoPosition);
}

TEST_F(NobletecExport, TrackPointCountThatIsNotANumberIsAConversionError)
{
    for (const char* count : {"ten", "+-5", "--5", "-+5", "+"})
        EXPECT_THROW(ReadNobletecTracks(Write(std::string("NumberOfTrackMarks = ") + count + "\r\n")), ConversionError)
            << count;
    ReadNobletecTracks(Write("NumberOfTrackMarks\r\nskipped\r\n1 0 N 1 0 E\r\n"));  // no count: no points
    EXPECT_EQ(TrackProps.PointCount, 0);
}

TEST_F(NobletecExport, TrackStopsAtTheStoreCapacity)
{
    ReadNobletecTracks(Write(Section(60000, 0) + Section(60000, 0)));
    EXPECT_EQ(TrackProps.PointCount, 100000);
    EXPECT_EQ(TrackPointList[60000].NewSection, 1);
}

TEST_F(NobletecExport, RandomAndTruncatedInputsNeverCrash)
{
    const std::vector<std::string> pieces = {"Type = Mark",
                                             "Desc =",
                                             "Desc = {{",
                                             "LatLon = ",
                                             "  LatLon",
                                             "NumberOfTrackMarks = ",
                                             "NumberOfTrackMarks = 2147483647",
                                             "\r\n",
                                             "\n",
                                             "\r",
                                             "\x1A",
                                             "47",
                                             "36,5",
                                             " ",
                                             "\t",
                                             "S",
                                             "W",
                                             "-",
                                             "1e999",
                                             "=",
                                             "12"};
    std::string valid;
    for (int i = 0; i < 300; ++i) valid += Mark("Harbour entrance buoy", "47 36.000 N 122 30.000 W") + Section(5, 1);
    for (const std::string& input : RandomTextInputs(valid, pieces, 5)) {
        for (const bool track : {false, true}) {
            try {
                if (track) ReadNobletecTracks(Write(input));
                else ReadNobletecWaypoints(Write(input));
                ASSERT_LE(TrackProps.PointCount, 100000);
                ASSERT_LE(WaypointCount, 10000);
            } catch (const ConversionError&) {
            } catch (const FileError&) {}
        }
    }
}
