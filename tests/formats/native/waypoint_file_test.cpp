// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "core/io/file_io.h"
#include "core/time/clock.h"
#include "formats/native/Kes.h"
#include "formats/native/KesRecords.h"
#include "tests/support/native_documents.h"

namespace {
using namespace native_documents;
const std::string kHeader = "Kestrelmaps Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\n\r\n";
const std::string kTail = ", 8, 0,17,0,10.0,2,,,";
// Local 10:30, UTC 08:30 on 2023-03-15.
constexpr double kLocalNow = 45000.4375, kUtcNow = 45000.3541666666666667;
const Clock kClock = Clock::Fixed(kLocalNow, kUtcNow);

class WaypointFile : public ::testing::Test {
protected:
    WriteResult Write(const Document& document)
    {
        return WriteWaypointFile(document, RequestFor(dir.Path("out"), nullptr, kClock));
    }
    std::vector<std::string> Lines() { return SplitCrLf(ReadText(dir.Path("out.wpt"))); }
    TempDir dir;
};

Point With(std::function<void(Point&)> change)
{
    Point p = Timed(At(51.5, -0.1, "WP1"), 1992, 1, 2, 0, 0, 0);
    change(p);
    return p;
}
}  // namespace

TEST_F(WaypointFile, EachFieldOfAPointGivesItsColumns)
{
    struct Row {
        Point point;
        std::string line;  // from column 2
    };
    const std::string example =
        "WP1,  51.500000,  -0.100000,33605.0000000,  0, 0, 3,         0,     65535,, 0, 0,    0,";
    const Row rows[] = {
        {With([](Point&) {}), example + "   -777" + kTail},
        {With([](Point& p) { p.time.reset(); }),
         "WP1,  51.500000,  -0.100000,45000.3541667,  0, 0, 3,         0,     65535,, 0, 0,    0,   -777" + kTail},
        {With([](Point& p) {
             p.time = UtcTime{12 * 3600, 0}, p.undated = true;
         }),
         "WP1,  51.500000,  -0.100000,45000.5000000,  0, 0, 3,         0,     65535,, 0, 0,    0,   -777" + kTail},
        {With([](Point& p) { p.symbolCode = 11, p.symbol = "Bell"; }),
         "WP1,  51.500000,  -0.100000,33605.0000000, 11, 0, 3,         0,     65535,, 0, 0,    0,   -777" + kTail},
        {With([](Point& p) { p.symbol = "no such symbol"; }),
         "WP1,  51.500000,  -0.100000,33605.0000000, 70, 0, 3,         0,     65535,, 0, 0,    0,   -777" + kTail},
        {With([](Point& p) { p.comment = "note"; }),
         "WP1,  51.500000,  -0.100000,33605.0000000,  0, 0, 3,         0,     65535,note, 0, 0,    0,   -777" + kTail},
        {With([](Point& p) { p.comment = "note", p.description = " two,\r\n lines "; }),
         "WP1,  51.500000,  -0.100000,33605.0000000,  0, 0, 3,         0,     65535,two lines, 0, 0,    0,   -777" +
             kTail},
        {With([](Point& p) { p.name = "Caf\xC3\xA9\xC2\x80\xE2\x82\xAC"; }),
         "Caf\xE9\x80\x80,  51.500000,  -0.100000,33605.0000000,  0, 0, 3,         0,     65535,, 0, 0,    0,   -777" +
             kTail},
        {With([](Point& p) { p.elevation = 30.48; }), example + "    100" + kTail},
        {With([](Point& p) { p.elevation = 0.15; }), example + "   -777" + kTail},
        {With([](Point& p) { p.device.depth = 0.15; }), example + "      0" + kTail},
        {With([](Point& p) { p.device.displayMode = "SymbolAndDescription", p.device.proximity = 12.5; }),
         "WP1,  51.500000,  -0.100000,33605.0000000,  0, 0, 3,         0,     65535,, 0, 2,   12,   -777" + kTail},
    };
    Document document;
    for (const Row& row : rows) document.waypoints.push_back(row.point);
    const WriteResult result = Write(document);
    EXPECT_EQ(result.counts.waypoints, std::size(rows));
    EXPECT_EQ(result.findings.CountOf(FindingKind::Stamped), 1);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 4 + std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const std::string position = std::string(i < 9 ? "   " : "  ") + std::to_string(i + 1) + ",";
        EXPECT_EQ(lines[4 + i], position + rows[i].line) << "row " << i;
    }
}

TEST_F(WaypointFile, EachColumnOfALineGivesItsField)
{
    struct Row {
        std::string line;
        std::string name, description, symbol;
        int symbolCode;
        double metres;  // NaN: none
        std::string time;
    };
    const Row rows[] = {
        {"1,Home,52.1,4.3", "Home", "", "", -1, NAN, ""},
        {"1,Caf\xE9,51.5,-0.1,36000.5,0,0,3,0,65535,By the \xD1 tower,0,0,0,100", "Caf\xC3\xA9",
         "By the \xC3\x91 tower", "Airport", 0, 100 / 3.2808, "1998-07-24T12:00:00Z"},
        {"2,Grave,1,2,33605,11", "Grave", "", "Cemetery", 11, NAN, ""},
        {"3,,1,2,36000.50000289,,,,,,,,,,-777", "", "", "", -1, NAN, "1998-07-24T12:00:00.25Z"},
    };
    std::string body = "x\r\nWGS 84\r\n\r\n\r\n";
    for (const Row& row : rows) body += row.line + "\r\n";
    const ReadResult read = ReadBytes(ReadWaypointFile, body);
    EXPECT_TRUE(read.findings.Empty());
    const std::vector<Point> points = read.document.waypoints.ToVector();
    ASSERT_EQ(points.size(), std::size(rows));
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Point& p = points[i];
        const Row& row = rows[i];
        EXPECT_EQ(p.name, row.name) << i;
        EXPECT_EQ(p.description, row.description) << i;
        EXPECT_EQ(p.symbol, row.symbol) << i;
        EXPECT_EQ(p.symbolCode, row.symbolCode) << i;
        EXPECT_EQ(std::isnan(p.elevation), std::isnan(row.metres)) << i;
        if (!std::isnan(row.metres)) {
            EXPECT_NEAR(p.elevation, row.metres, 1e-9) << i;
        }
        EXPECT_EQ(p.time ? IsoTime(*p.time) : "", row.time) << i;
        EXPECT_EQ(p.native.noDateDay, row.time.empty()) << i;
    }
}

TEST_F(WaypointFile, TheDatumIsNoticedAndEveryLineIsRead)
{
    std::string body = "x\nWGS84\n\n\n";
    for (int i = 0; i < 12000; ++i) body += "1,W,1,2\n";
    const ReadResult read = ReadBytes(ReadWaypointFile, body);
    EXPECT_EQ(read.document.waypoints.size(), 12000u);
    ASSERT_EQ(read.findings.All().size(), 1u);
    EXPECT_EQ(read.findings.All()[0], (Finding{FindingKind::Notice, "The Data file datum must be WGS84", 0}));
}

TEST_F(WaypointFile, TenThousandWaypointsAreWrittenAndTheRestCut)
{
    for (int held : {0, 10000, 10003}) {
        Document document;
        for (int i = 0; i < held; ++i) document.waypoints.push_back(Timed(At(1, 2, "W"), 2000, 1, 1, 0, 0, 0));
        const WriteResult result = Write(document);
        EXPECT_EQ(result.counts.waypoints, std::min(held, 10000));
        EXPECT_EQ(Lines().size(), 4u + std::min(held, 10000));
        EXPECT_EQ(result.findings.CountOf(FindingKind::Cut), held - std::min(held, 10000));
    }
    EXPECT_EQ(ReadText(dir.Path("out.wpt")).substr(0, kHeader.size()), kHeader);
}

TEST_F(WaypointFile, RoutesGoIntoARouteFileBeside)
{
    Document document;
    document.waypoints.push_back(Timed(At(1, 2, "A"), 2000, 1, 1, 0, 0, 0));
    document.routes.emplace_back();
    std::vector<std::string> lines;
    const WriteResult result = WriteWaypointFile(document, RequestFor(dir.Path("trip.txt"), &lines, kClock));
    EXPECT_EQ(lines, (std::vector<std::string>{"Writing Kes Route file", dir.Path("trip.rte")}));
    EXPECT_EQ(result.counts, (WrittenCounts{.waypoints = 1, .routes = 1}));
    EXPECT_EQ(SplitCrLf(ReadText(dir.Path("trip.rte"))).size(), 4u + 101u);
}

// Written and read back, a point keeps its position to the file's six decimals and its texts.
TEST_F(WaypointFile, PointsReadBackAsWritten)
{
    Document document;
    for (int i = 0; i < 500; ++i)
        document.waypoints.push_back(
            Timed(At(-90 + i * 0.36, -180 + i * 0.72, "P" + std::to_string(i)), 2001, 1 + i % 12, 1, i % 24, 0, 0));
    Write(document);
    const std::vector<Point> back =
        ReadBytes(ReadWaypointFile, ReadText(dir.Path("out.wpt"))).document.waypoints.ToVector();
    const std::vector<Point> written = document.waypoints.ToVector();
    ASSERT_EQ(back.size(), written.size());
    for (std::size_t i = 0; i < back.size(); ++i) {
        EXPECT_NEAR(back[i].latitude, written[i].latitude, 5e-7);
        EXPECT_NEAR(back[i].longitude, written[i].longitude, 5e-7);
        EXPECT_EQ(back[i].name, written[i].name);
        EXPECT_EQ(back[i].time, written[i].time);
    }
}

TEST_F(WaypointFile, AMissingFileRaisesAFileError)
{
    EXPECT_THROW(ReadWaypointFile(InputSource::File(dir.Path("none.wpt")), {}), FileError);
}

TEST(NativeText, TextsAreSingleLineWindows1252)
{
    const struct {
        const char* utf8;
        const char* legacy;
    } cases[] = {
        {"Qu\xC3\xA9"
         "bec \xE2\x82\xAC",
         "Qu\xE9"
         "bec \x80"},
        {"\xC2\x80 \xC2\x9D", "\x80 \x9D"},  // C1 controls: bytes of a mislabelled 1252 file
        {"\xE6\x97\xA5\xE6\x9C\xAC", "??"},
        {"bad \xFF byte", "bad ? byte"},
        {"  first line  \r\n\t  second line ", "first line second line"},
        {"Airport-L06, Death Valley", "Airport-L06  Death Valley"},  // commas split native columns
        {" \n ", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(kes::NativeText(c.utf8), c.legacy) << c.utf8;
}
