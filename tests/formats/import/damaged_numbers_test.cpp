// SPDX-License-Identifier: GPL-3.0-or-later
// What the text readers make of numbers that are empty, damaged or out of
// range: a position they cannot read leaves its point out, counted; an
// optional value they cannot read is left unset, counted; neither becomes 0.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "formats/import/Magellan.h"
#include "formats/import/Nobletec.h"
#include "formats/native/Kes.h"
#include "tests/support/document_points.h"

namespace {
const std::string kWaypointHeader = "x\r\nWGS 84\r\n\r\n\r\n";
const std::string kTrackHeader = "x\r\nWGS 84\r\n\r\n\r\n0,2,255,T,1,0,0,255\r\n0\r\n";

// The points a reader made, of whichever kind.
std::vector<Point> PointsOf(const ReadResult& read)
{
    std::vector<Point> points = read.document.waypoints.ToVector();
    for (const Point& p : TrackPoints(read)) points.push_back(p);
    return points;
}

// A file of one point whose latitude field is '%', for each reader.
const struct {
    const char* name;
    Reader read;
    std::string file;
    int column;  // of the expectations below
} kLatitudeFiles[] = {
    {".wpt", ReadWaypointFile, kWaypointHeader + "1,W,%,4.3\r\n", 0},
    {".plt", ReadTrackFile, kTrackHeader + "%,4.3\r\n", 0},
    {"Nobletec mark", ReadNobletecFile, "Type = Mark\r\nLatLon = % 0 N 4 18 E\r\n", 1},
    {"Nobletec track", ReadNobletecFile, "NumberOfTrackMarks = 1\r\nTrackMarks:\r\n% 0 N 4 18 E\r\n", 1},
    {"Magellan waypoint", ReadMagellanFile, "$PMGNWPL,%,N,00418.000,E,,M,W\r\n", 2},
    {"Magellan track", ReadMagellanFile, "$PMGNTRK,%,N,00418.000,E,,M,120000,A,,010120\r\n", 2},
};
}  // namespace

// Each row: the latitude field, and the latitude read by the native files,
// by Nobletec (degrees) and by Magellan (ddmm.mmm); none: the point is left
// out and counted.
TEST(DamagedNumbers, ALatitudeThatIsNoNumberLeavesItsPointOut)
{
    const std::optional<double> out;
    const struct {
        const char* text;
        std::optional<double> latitude[3];
    } rows[] = {{"52.5", {52.5, 52.5, 52.5 / 60}},
                {" 52.5 ", {52.5, 52.5, 52.5 / 60}},
                {"-0", {0, 0, out}},
                {"+52.5", {52.5, 52.5, out}},
                {"1e1", {10, 10, out}}};
    const char* noNumbers[] = {"", "   ", "5x.1", "52.5N", "1.2.3", "1e999", "-1e999", "nan", "inf"};
    const auto check = [](const std::string& text, const std::optional<double>(&latitude)[3]) {
        for (const auto& format : kLatitudeFiles) {
            SCOPED_TRACE(std::string(format.name) + " '" + text + "'");
            const ReadResult read =
                ReadMemory(format.read, std::string(format.file).replace(format.file.find('%'), 1, text));
            const std::vector<Point> points = PointsOf(read);
            const std::optional<double> expected = latitude[format.column];
            ASSERT_EQ(points.size(), expected ? 1u : 0u);
            EXPECT_EQ(read.findings.CountOf(FindingKind::Unusable), expected ? 0 : 1);
            if (!expected) continue;
            EXPECT_DOUBLE_EQ(points[0].latitude, *expected);
            EXPECT_DOUBLE_EQ(points[0].longitude, 4.3);
        }
    };
    for (const auto& row : rows) check(row.text, row.latitude);
    for (const char* text : noNumbers) check(text, {out, out, out});
}

// Each row: a point line, what is read besides the position (as Held gives
// it: name, texts, symbol, elevation in metres, time), and what is told of
// the values left out. A line of blanks is no point, and is not counted.
TEST(DamagedNumbers, AnOptionalValueThatIsNoNumberIsLeftUnsetAndCounted)
{
    const std::string elevations = "elevations of 1 point unreadable: left out";
    const std::string times = "times of 1 point unreadable: left out";
    const struct {
        Reader read;
        std::string file;
        std::string held;
        std::string told;  // none: ""
    } rows[] = {
        {ReadWaypointFile, kWaypointHeader + "\r\n  \r\n1,W,1,2\r\n\r\n", "W|||||", ""},  // blank lines are no points
        {ReadWaypointFile,
         kWaypointHeader + "1,W,1,2, 36000.5 ,,,,,,,,,,  100 ",
         "W||||30.480|1998-07-24T12:00:00Z",
         {}},
        {ReadWaypointFile, kWaypointHeader + "1,W,1,2,,,,,,,,,,,5x.1", "W|||||", elevations},
        {ReadWaypointFile, kWaypointHeader + "1,W,1,2,nan", "W|||||", times},
        {ReadWaypointFile, kWaypointHeader + "1,W,1,2,1e20", "W|||||", times},
        {ReadWaypointFile, kWaypointHeader + "1,W,1,2,,#12", "W|||||", "symbols of 1 point unreadable: left out"},
        {ReadTrackFile, kTrackHeader + "\r\n   \r\n1,2\r\n\r\n", "|||||", ""},
        {ReadTrackFile, kTrackHeader + "1,2,0, 100 , 36000.5 ", "||||30.480|1998-07-24T12:00:00Z", ""},
        {ReadTrackFile, kTrackHeader + "1,2,1x", "|||||", "section starts of 1 point unreadable: left out"},
        {ReadTrackFile, kTrackHeader + "1,2,0,100ft", "|||||", elevations},
        {ReadTrackFile, kTrackHeader + "1,2,0,,-inf", "|||||", times},
        {ReadTrackFile, kTrackHeader + "1,2,0,,0,ab0101,000000", "|||||", times},
        {ReadTrackFile, kTrackHeader + "1,2,0,,0,010100,00005x", "|||||", times},
        {ReadMagellanFile, "$PMGNWPL,0100.000,N,00200.000,E, 100 ,M,W", "W||||100.000|", ""},
        {ReadMagellanFile, "$PMGNWPL,0100.000,N,00200.000,E,5x.1,M,W", "W|||||", elevations},
        {ReadMagellanFile, "$PMGNTRK,0100.000,N,00200.000,E,1e999,M,120000,A,,010120", "|||||2020-01-01T12:00:00Z",
         elevations},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const ReadResult read = ReadMemory(row.read, row.file + "\r\n");
        const std::vector<Point> points = PointsOf(read);
        ASSERT_EQ(points.size(), 1u);
        EXPECT_DOUBLE_EQ(points[0].latitude, 1);
        EXPECT_DOUBLE_EQ(points[0].longitude, 2);
        EXPECT_EQ(Held(points[0]), row.held);
        std::string told;
        for (const Finding& f : read.findings.All()) told += f.message;
        EXPECT_EQ(told, row.told);
        EXPECT_EQ(read.findings.CountOf(FindingKind::Skipped), row.told.empty() ? 0 : 1);
    }
}
