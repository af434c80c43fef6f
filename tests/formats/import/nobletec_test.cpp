// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/clock.h"
#include "core/text_fields.h"
#include "formats/import/Nobletec.h"
#include "tests/support/document_points.h"
#include "tests/support/random_text.h"

namespace {
std::string Mark(const std::string& desc, const std::string& latLon, const std::string& name = "")
{
    std::string s = "[Mark]\r\nType = Mark\r\n";
    if (!name.empty()) s += "Name = " + name + "\r\n";
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
    const struct {
        const char* text;
        double latitude, longitude;
    } rows[] = {{"47 36.000 N 122 30.000 W", 47.6, -122.5},
                {"33 51,6 S 151 12,6 E", -33.86, 151.21},
                {"33 51.6 s 151 12.6 w", 33.86, 151.21},
                {"  47   36.000  N 122 30.000 W extra", 47.6, -122.5},
                {"47\t36.000\tN\t122\t30.000\tW", 47.6, -122.5},
                {"47 30", 47.5, 0},
                {"", 0, 0}};
    for (const auto& row : rows) {
        const NobletecPosition p = ParseNobletecLatLon(row.text);
        EXPECT_NEAR(p.Latitude, row.latitude, 1e-9) << row.text;
        EXPECT_NEAR(p.Longitude, row.longitude, 1e-9) << row.text;
    }
}

// A mark takes only what it says itself: its own name, or else its
// description, in full; no time, no elevation.
TEST(NobletecExport, MarksKeepTheirOwnTextsAndBorrowNone)
{
    const std::string longText(300, 'd');
    std::string file = "Header line\r\n";
    file += Mark("Harbour entrance buoy", "47 36.000 N 122 30.000 W");
    file += Mark("", "33 51,6 S 151 12,6 E");  // nothing of the mark before
    file += Mark("Short", "");                 // no position: the next mark's ends it
    file += Mark("", "1 0 N 1 0 E");
    file += Mark("{{", "2 0 N 2 0 E", "{{");
    file += "Type = Mark\r\n  LatLon = 3 30.000 S 4 0 W\r\n";  // blanks before the keyword
    file += Mark("Harbour entrance buoy", "1 0 N 2 0 E", "Gr\xFCne Boje");
    file += Mark(longText, "1 0 N 2 0 E");
    const std::vector<Point> points = ReadMemory(ReadNobletecWaypoints, file).document.waypoints.ToVector();
    std::vector<std::string> held;
    for (const Point& p : points) held.push_back(Held(p));
    EXPECT_EQ(held, (std::vector<std::string>{
                        "Harbour entrance buoy||Harbour entrance buoy|||", "|||||", "Short||Short|||", "|||||", "|||||",
                        "Gr\xC3\xBCne Boje||Harbour entrance buoy|||", longText + "||" + longText + "|||"}));
    ASSERT_EQ(points.size(), 7u);
    for (const Point& p : points) EXPECT_TRUE(p.native.Empty());
    EXPECT_NEAR(points[1].latitude, -33.86, 1e-9);
    EXPECT_NEAR(points[2].latitude, 1, 1e-9);
    EXPECT_NEAR(points[4].latitude, -3.5, 1e-9);
    EXPECT_NEAR(points[4].longitude, -4, 1e-9);
}

TEST(NobletecExport, EveryMarkAndTrackPointIsRead)
{
    std::string marks;
    for (int i = 0; i < 12000; ++i) marks += "Type = Mark\nLatLon = 1 0 N 1 0 E\n";
    EXPECT_EQ(ReadMemory(ReadNobletecWaypoints, marks).document.waypoints.size(), 12000u);
    EXPECT_EQ(ReadMemory(ReadNobletecTracks, Section(60000, 0) + Section(60000, 0)).document.TrackPointCount(), 120000);
}

// The file names no track, and its points have neither time nor elevation.
TEST(NobletecExport, SectionsOfTenNoneAndFiveMakeOneTrack)
{
    PinClock(45000.75, 45000.7);  // 2023-03-15 18:00 local
    const ReadResult read =
        ReadMemory(ReadNobletecTracks, Mark("A mark", "1 0 N 1 0 E") + Section(10, 0) + Section(0, 0) + Section(5, 20));
    ASSERT_EQ(read.document.tracks.size(), 1u);
    // No name is made up for it.
    EXPECT_EQ(read.document.tracks[0].info, GroupInfo{});
    const std::vector<Point> points = TrackPoints(read);
    ASSERT_EQ(points.size(), 15u);
    for (std::size_t i = 0; i < 15; ++i) {
        EXPECT_EQ(points[i].newSection, i == 0 || i == 10) << i;
        EXPECT_EQ(Held(points[i]), "|||||") << i;
    }
    EXPECT_NEAR(points[10].latitude, 20.5, 1e-9);
    EXPECT_NEAR(points[14].longitude, -122.5, 1e-9);
    UnpinClock();
}

TEST(NobletecExport, ASectionCutShortByTheEndOfTheFileKeepsItsPoints)
{
    const std::vector<Point> points = TrackPoints(ReadMemory(
        ReadNobletecTracks, Section(3, 0) + "NumberOfTrackMarks = 2000000000\r\nTrackMarks:\r\n1 0 N 2 0 E\r\n"));
    ASSERT_EQ(points.size(), 4u);
    EXPECT_TRUE(points[3].newSection);
}

TEST(NobletecExport, TrackPointCountThatIsNotANumberIsAConversionError)
{
    for (const char* count : {"ten", "+-5", "--5", "-+5", "+"})
        EXPECT_THROW(ReadMemory(ReadNobletecTracks, std::string("NumberOfTrackMarks = ") + count + "\r\n"),
                     ConversionError)
            << count;
    // No count: no points.
    EXPECT_TRUE(ReadMemory(ReadNobletecTracks, "NumberOfTrackMarks\r\nskipped\r\n1 0 N 1 0 E\r\n").document.Empty());
}

TEST(NobletecExport, RandomAndTruncatedInputsNeverCrash)
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
        for (const Reader reader : {ReadNobletecWaypoints, ReadNobletecTracks}) {
            try {
                const Document d = ReadMemory(reader, input).document;
                // A point takes a line of its own at least: "LatLon" or a point line, and its end.
                ASSERT_LE(d.waypoints.size() * 7 + static_cast<std::size_t>(d.TrackPointCount()), input.size() + 1);
            } catch (const ConversionError&) {}
        }
    }
}
