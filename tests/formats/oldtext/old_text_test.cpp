// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/convert/format_lookup.h"
#include "formats/compegps/CompeGps.h"
#include "formats/pcx/Pcx5.h"
#include "tests/support/document_points.h"

namespace {
const std::string kCompeHeader = "G  WGS 84\r\nU  1\r\n";
const std::string kPcxHeader = "H  SOFTWARE NAME & VERSION\r\nI  PCX5 2.09\r\n";
const std::string kPcxWaypointColumns =
    "H  IDNT   LATITUDE    LONGITUDE    DATE      TIME     ALT   DESCRIPTION                              PROXIMITY"
    "     SYMBOL ;waypts\r\n";

ReadResult Read(Reader reader, const std::string& text, ReadMode mode = ReadMode::Everything)
{
    return reader(InputSource::Memory("in", text), {.mode = mode});
}

std::int64_t CountOf(const ReadResult& read, FindingKind kind) { return read.findings.CountOf(kind); }
}  // namespace

// Told by their header lines, never by an extension: other text files named alike are not taken.
TEST(OldTextFormats, SignaturesAreTheHeaderLines)
{
    const struct {
        std::string head;
        bool compe, pcx;
    } cases[] = {
        {kCompeHeader, true, false},
        {" G  WGS 84\r\n U   1 \r\nR  1,x\r\n", true, false},
        {"B  UTF-8\nG  WGS 84\nU  0\n", true, false},
        {"G  WGS 84\nW  A 45.0ºN 11.0ºE\n", false, false},
        {"Kestrelmaps Waypoint File Version 1.1\r\nWGS 84\r\n", false, false},
        {"Kestrelmaps Track Point File Version 2.1\r\n", false, false},
        {kPcxHeader, false, true},
        {"\r\nI  PCX5 2.09\r\n", false, true},
        {"H  LATITUDE    LONGITUDE\r\nT  N3003.73100 W09136.62100\r\n", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.head);
        const FileLook look = FileLook::OfBytes(c.head);
        EXPECT_EQ(IsCompeGpsFile(look), c.compe);
        EXPECT_EQ(IsPcx5File(look), c.pcx);
    }
}

// What the reader does not read it refuses whole, saying why, rather than place points wrongly.
TEST(OldTextFormats, OtherDatumsAndGridsAreRefused)
{
    const struct {
        Reader reader;
        std::string text, said;
    } cases[] = {
        {ReadCompeGpsFile, "G  European 1950\r\nU  1\r\n", "European 1950"},
        {ReadCompeGpsFile, "G  WGS 84\r\nU  0\r\nW  X 31T 318570 4657569 27-MAR-62 00:00:00 0\r\n", "UTM"},
        {ReadCompeGpsFile, "G  WGS 84\r\nU  7\r\n", "U  7"},
        {ReadCompeGpsFile, "T  A 51.3ºN 12.4ºE 01-MAY-05 13:02:47 N 161.0\r\n", "comes before"},
        {ReadPcx5File, kPcxHeader + "M  G NAD27 CONUS          131 -8.0e+00\r\n", "NAD27"},
        {ReadPcx5File, kPcxHeader + "U  UTM UPS\r\n", "UTM UPS"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            Read(c.reader, c.text);
            ADD_FAILURE() << "not refused";
        } catch (const InputRefused& refused) {
            EXPECT_NE(std::string(refused.what()).find(c.said), std::string::npos) << refused.what();
        }
    }
}

// A damaged value leaves its point out (position) or unset (time, elevation), counted; nothing is made up.
TEST(OldTextFormats, DamagedValuesAreLeftOutAndCounted)
{
    const struct {
        Reader reader;
        std::string line;
        std::size_t points;
        FindingKind kind;
        bool time, elevation;
    } cases[] = {
        {ReadCompeGpsFile, "T  A 91.0ºN 12.0ºE 01-MAY-05 13:02:47 s 1.0", 0, FindingKind::Unusable, false, false},
        {ReadCompeGpsFile, "T  A 51.0ºN 180.5ºW 01-MAY-05 13:02:47 s 1.0", 0, FindingKind::Unusable, false, false},
        {ReadCompeGpsFile, "T  A -51.0ºN 12.0ºE 01-MAY-05 13:02:47 s 1.0", 0, FindingKind::Unusable, false, false},
        {ReadCompeGpsFile, "T  A fiftyºN 12.0ºE 01-MAY-05 13:02:47 s 1.0", 0, FindingKind::Unusable, false, false},
        {ReadCompeGpsFile, "T  A 51.0ºX 12.0ºE 01-MAY-05 13:02:47 s 1.0", 0, FindingKind::Unusable, false, false},
        {ReadCompeGpsFile, "T  B 51.0ºN 12.0ºE 01-MAY-05 13:02:47 s 1.0", 0, FindingKind::Unusable, false, false},
        {ReadCompeGpsFile, "T  A 51.0ºN", 0, FindingKind::Unusable, false, false},
        {ReadCompeGpsFile, "T", 0, FindingKind::Unusable, false, false},
        {ReadCompeGpsFile, "T  A 51.0ºN 12.0ºE 01-XYZ-05 13:02:47 s 1.0", 1, FindingKind::Skipped, false, true},
        {ReadCompeGpsFile, "T  A 51.0ºN 12.0ºE 30-FEB-05 13:02:47 s 1.0", 1, FindingKind::Skipped, false, true},
        {ReadCompeGpsFile, "T  A 51.0ºN 12.0ºE 01-MAY-05 24:00:00 s 1.0", 1, FindingKind::Skipped, false, true},
        {ReadCompeGpsFile, "T  A 51.0ºN 12.0ºE 01-MAY-05 13:02:47 s high", 1, FindingKind::Skipped, true, false},
        {ReadPcx5File, "T  N3060.00000 W09136.62100 25-MAY-02 17:06:21 1", 0, FindingKind::Unusable, false, false},
        {ReadPcx5File, "T  N9100.00000 W09136.62100 25-MAY-02 17:06:21 1", 0, FindingKind::Unusable, false, false},
        {ReadPcx5File, "T  3003.73100 W09136.62100 25-MAY-02 17:06:21 1", 0, FindingKind::Unusable, false, false},
        {ReadPcx5File, "T  N30-3.7310 W09136.62100 25-MAY-02 17:06:21 1", 0, FindingKind::Unusable, false, false},
        {ReadPcx5File, "T  N3003.73100", 0, FindingKind::Unusable, false, false},
        {ReadPcx5File, "T  N3003.73100 W09136.62100 25-MAY-2002 17:06:21 1", 1, FindingKind::Skipped, false, true},
        {ReadPcx5File, "T  N3003.73100 W09136.62100 25-MAY-02 17:06 1", 1, FindingKind::Skipped, false, true},
        {ReadPcx5File, "T  N3003.73100 W09136.62100 25-MAY-02 17:06:21 1,5", 1, FindingKind::Skipped, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string header = c.reader == ReadCompeGpsFile ? kCompeHeader : kPcxHeader;
        const ReadResult read = Read(c.reader, header + c.line + "\r\n");
        const std::vector<Point> points = TrackPoints(read);
        ASSERT_EQ(points.size(), c.points);
        EXPECT_EQ(CountOf(read, c.kind), 1);
        EXPECT_EQ(read.findings.All().size(), 1u);
        if (points.empty()) continue;
        EXPECT_EQ(points[0].time.has_value(), c.time);
        EXPECT_EQ(points[0].HasElevation(), c.elevation);
    }
}

// Waypoints, then a route of the points after its line; symbols, UTF-8 texts,
// hemispheres, the program's date of no time and a second track by its name line.
TEST(OldTextFormats, CompeGpsWaypointsRoutesAndTracks)
{
    const std::string file = kCompeHeader +
                             "W  HOME A 45.5\xC2\xBAS 11.25\xC2\xB0W 27-MAR-62 00:00:00 120.5 Caf\xC3\xA9 am Ring \r\n"
                             "w  Flag, 0, -1.0\r\n"
                             "W  NOW A 45.5N 11.25E 02-JAN-24 08:00:01 -3\r\n"
                             "R  16711680 , Trip , 1 , -1\r\n"
                             "W  R1 A 1.5N 2.5E 27-MAR-62 00:00:00 0.0\r\n"
                             "N  first\r\n"
                             "T  A 1.0N 2.0E 01-MAY-05 13:02:47 N 161.0\r\n"
                             "T  A 1.5N 2.0E 01-MAY-05 13:02:48 s 162.0\r\n"
                             "T  A 2.0N 2.0E 01-MAY-05 13:02:49 N 163.0\r\n"
                             "N  second\r\n"
                             "T  A 3.0N 2.0E 01-MAY-85 13:02:50 s 164.0\r\n";
    const ReadResult read = Read(ReadCompeGpsFile, file);
    const std::vector<Point> waypoints = read.document.waypoints.ToVector();
    ASSERT_EQ(waypoints.size(), 2u);
    EXPECT_EQ(Held(waypoints[0]), "HOME||Caf\xC3\xA9 am Ring|Flag|120.500|");
    EXPECT_DOUBLE_EQ(waypoints[0].latitude, -45.5);
    EXPECT_DOUBLE_EQ(waypoints[0].longitude, -11.25);
    EXPECT_EQ(Held(waypoints[1]), "NOW||||-3.000|2024-01-02T08:00:01Z");
    ASSERT_EQ(read.document.routes.size(), 1u);
    EXPECT_EQ(read.document.routes[0].info.name, "Trip");
    EXPECT_EQ(read.document.routes[0].points.size(), 1u);
    ASSERT_EQ(read.document.tracks.size(), 2u);
    EXPECT_EQ(read.document.tracks[0].info.name, "first");
    const std::vector<Point> first = read.document.tracks[0].points.ToVector();
    ASSERT_EQ(first.size(), 3u);
    EXPECT_TRUE(first[0].newSection && !first[1].newSection && first[2].newSection);
    EXPECT_EQ(Held(read.document.tracks[1].points.ToVector()[0]), "||||164.000|1985-05-01T13:02:50Z");
    EXPECT_TRUE(read.findings.Empty());

    const ReadResult tracksOnly = Read(ReadCompeGpsFile, file, ReadMode::Tracks);
    EXPECT_EQ(tracksOnly.waypointsLeftOut, 2);
    EXPECT_EQ(tracksOnly.routesLeftOut, 1);
    EXPECT_TRUE(tracksOnly.document.waypoints.empty() && tracksOnly.document.routes.empty());
    const ReadResult waypointsOnly = Read(ReadCompeGpsFile, file, ReadMode::Waypoints);
    EXPECT_EQ(waypointsOnly.tracksLeftOut, 2);
    EXPECT_TRUE(waypointsOnly.document.tracks.empty());
}

// Waypoint lines read by their header's columns (a name or description with
// blanks), -9999 for no altitude, a route of the points after its line, and
// positions in decimal degrees by the "U" line or by their digits alone.
TEST(OldTextFormats, PcxWaypointsRoutesAndForms)
{
    const std::string file = kPcxHeader + kPcxWaypointColumns +
                             "W  MY WP  N4807.12300 E01134.56700 27-MAR-04 12:00:00 -9999 Two words here"
                             "                           1.50000e+02   18\r\n"
                             "W  002    S0030.00000 W00030.00000 27-MAR-04 12:00:01 10    \r\n"
                             "H  RTE  IDENT\r\n"
                             "R  3 ROUTE A\r\n" +
                             kPcxWaypointColumns +
                             "W  003    N48.5000000 E011.2500000 27-MAR-04 12:00:02 0     \r\n"
                             "H  LATITUDE    LONGITUDE    DATE      TIME     ALT  ;track\r\n"
                             "T  N3003.73100 W09136.62100 25-MAY-02 17:06:21 1\r\n"
                             "H  LATITUDE    LONGITUDE    DATE      TIME     ALT  ;track\r\n"
                             "T  N30.0000000 W091.5000000 25-MAY-79 17:06:21 1\r\n";
    const ReadResult read = Read(ReadPcx5File, file);
    const std::vector<Point> waypoints = read.document.waypoints.ToVector();
    ASSERT_EQ(waypoints.size(), 2u);
    EXPECT_EQ(Held(waypoints[0]), "MY WP||Two words here|||2004-03-27T12:00:00Z");
    EXPECT_DOUBLE_EQ(waypoints[0].latitude, 48 + 7.123 / 60);
    EXPECT_DOUBLE_EQ(waypoints[0].longitude, 11 + 34.567 / 60);
    EXPECT_DOUBLE_EQ(waypoints[0].device.proximity, 150);
    EXPECT_DOUBLE_EQ(waypoints[1].latitude, -0.5);
    EXPECT_DOUBLE_EQ(waypoints[1].longitude, -0.5);
    ASSERT_EQ(read.document.routes.size(), 1u);
    EXPECT_EQ(read.document.routes[0].info.name, "ROUTE A");
    EXPECT_EQ(read.document.routes[0].info.number, 3);
    const std::vector<Point> routePoints = read.document.routes[0].points.ToVector();
    ASSERT_EQ(routePoints.size(), 1u);
    EXPECT_DOUBLE_EQ(routePoints[0].longitude, 11.25);
    ASSERT_EQ(read.document.tracks.size(), 2u);
    EXPECT_EQ(Held(read.document.tracks[1].points.ToVector()[0]), "||||1.000|2079-05-25T17:06:21Z");
    EXPECT_DOUBLE_EQ(read.document.tracks[1].points.ToVector()[0].longitude, -91.5);
    EXPECT_TRUE(read.findings.Empty());

    // The "U" line rules: degrees and minutes read as degrees are beyond the pole.
    const ReadResult inDegrees = Read(ReadPcx5File, kPcxHeader + "U  LAT LON DEG\r\nT  N3003.5 W091.5\r\n");
    EXPECT_TRUE(TrackPoints(inDegrees).empty());
    EXPECT_EQ(CountOf(inDegrees, FindingKind::Unusable), 1);
}
