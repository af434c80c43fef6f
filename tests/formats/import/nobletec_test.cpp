// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/text/text_fields.h"
#include "core/time/clock.h"
#include "formats/import/Nobletec.h"
#include "tests/support/document_points.h"
#include "tests/support/random_text.h"

namespace {
// The reader as an output of one kind asks it to read.
template <ReadMode mode>
ReadResult ReadOneKind(const InputSource& source, const ReadOptions&)
{
    return ReadNobletecFile(source, {.mode = mode});
}
const Reader ReadNobletecWaypoints = ReadOneKind<ReadMode::Waypoints>,
             ReadNobletecTracks = ReadOneKind<ReadMode::Tracks>;

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

// A position of missing or damaged degrees or minutes is none; a missing
// hemisphere is north or east.
TEST(NobletecLatLon, DegreesMinutesAndHemispheres)
{
    const double none = NAN;
    const struct {
        const char* text;
        double latitude, longitude;
    } rows[] = {{"47 36.000 N 122 30.000 W", 47.6, -122.5},
                {"33 51,6 S 151 12,6 E", -33.86, 151.21},
                {"33 51.6 s 151 12.6 w", 33.86, 151.21},
                {"  47   36.000  N 122 30.000 W extra", 47.6, -122.5},
                {"47\t36.000\tN\t122\t30.000\tW", 47.6, -122.5},
                {"47 36 N 122 30", 47.6, 122.5},
                {"47 30", none, none},
                {"47 3x N 122 30.000 W", none, none},
                {"47 36 N 122 1,2,3 W", none, none},
                {"", none, none}};
    for (const auto& row : rows) {
        const auto p = ParseNobletecLatLon(row.text);
        ASSERT_EQ(p.has_value(), !std::isnan(row.latitude)) << row.text;
        if (!p) continue;
        EXPECT_NEAR(p->Latitude, row.latitude, 1e-9) << row.text;
        EXPECT_NEAR(p->Longitude, row.longitude, 1e-9) << row.text;
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
        for (const Reader reader : {ReadNobletecWaypoints, ReadNobletecTracks, ReadNobletecFile}) {
            try {
                const Document d = ReadMemory(reader, input).document;
                // A point takes a line of its own at least: "LatLon" or a point line, and its end.
                ASSERT_LE(d.waypoints.size() * 7 + static_cast<std::size_t>(d.TrackPointCount()), input.size() + 1);
            } catch (const ConversionError&) {}
        }
    }
}

// A file of marks and tracks gives what the mode asks for and counts what it
// passes over (a mark by its position line, read or not); a mark or track
// start ends a section that claims more lines.
TEST(NobletecExport, BothKindsAreReadOrCountedByTheMode)
{
    const std::string file = Mark("Buoy", "47 36.000 N 122 30.000 W") + Section(2, 10) +
                             "NumberOfTrackMarks = 9\r\nTrackMarks:\r\n1 0 N 2 0 E\r\n" +
                             Mark("Rock", "47 0 N 122 0 W") + Mark("Damaged", "47 x N 122 0 W");
    const struct {
        ReadMode mode;
        std::size_t waypoints, trackPoints;
        std::int64_t waypointsLeftOut, tracksLeftOut, unusable;
    } rows[] = {
        {ReadMode::Everything, 2, 3, 0, 0, 1}, {ReadMode::Waypoints, 2, 0, 0, 1, 1}, {ReadMode::Tracks, 0, 3, 3, 0, 0}};
    for (const auto& row : rows) {
        const ReadResult read = ReadNobletecFile(InputSource::Memory("in", file), {.mode = row.mode});
        EXPECT_EQ(read.document.waypoints.size(), row.waypoints);
        EXPECT_EQ(static_cast<std::size_t>(read.document.TrackPointCount()), row.trackPoints);
        EXPECT_EQ(read.waypointsLeftOut, row.waypointsLeftOut);
        EXPECT_EQ(read.tracksLeftOut, row.tracksLeftOut);
        EXPECT_EQ(read.routesLeftOut, 0);
        EXPECT_EQ(read.findings.CountOf(FindingKind::Unusable), row.unusable);
    }
}
