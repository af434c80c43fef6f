// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "core/io/file_io.h"
#include "core/text/text_fields.h"
#include "core/time/clock.h"
#include "formats/native/Kes.h"
#include "tests/support/native_documents.h"

namespace {
using namespace native_documents;
namespace fs = std::filesystem;
const std::string kHeader =
    "Kestrelmaps Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n";
constexpr double kLocalNow = 45000.4375, kUtcNow = 45000.3541666666666667;
const Clock kClock = Clock::Fixed(kLocalNow, kUtcNow);

class TrackFile : public ::testing::Test {
protected:
    std::vector<std::string> WrittenLines(const Track& track)
    {
        Document document;
        document.tracks = {track};
        WriteTrackFile(document, RequestFor(dir.Path("out.txt"), nullptr, kClock));
        return SplitCrLf(ReadText(dir.Path("out.plt")));
    }
    std::vector<Point> ReadPoints(const std::string& points, const std::string& trackLine = "0,2,255,T,1,0,0,255")
    {
        const ReadResult read = ReadBytes(ReadTrackFile, kHeader + trackLine + "\r\n0\r\n" + points);
        return read.document.tracks.at(0).points.ToVector();
    }
    TempDir dir;
};

Point TimedAt(double latitude, double longitude, double metres, UtcTime time)
{
    Point p = At(latitude, longitude);
    p.elevation = metres;
    p.time = time;
    return p;
}
}  // namespace

TEST_F(TrackFile, WritesTheExampleExactly)
{
    const Track track = TrackOf({TimedAt(51.5, -0.1, 30.48, *UtcTimeOf(1998, 7, 24, 12, 0, 0))}, "Track A");
    WrittenLines(track);
    EXPECT_EQ(ReadText(dir.Path("out.plt")), kHeader + "0,2,255,Track A,1,0,0,255\r\n0\r\n" +
                                                 "  51.500000,  -0.100000,1,    100,36000.5000000, 24-Jul-98, "
                                                 "12:00:00\r\n");
}

// The texts show the time's nearest second, rounded once: a time just below a half second stays in its second.
TEST_F(TrackFile, EachPointGivesItsColumns)
{
    const UtcTime noon = *UtcTimeOf(1998, 7, 24, 15, 50, 48);
    struct Row {
        Point point;
        std::string line;
    };
    Point undated = At(1, 2);
    undated.time = UtcTime{6 * 3600, 0};
    undated.undated = true;
    Point section = TimedAt(1, 2, NAN, noon);
    section.newSection = true;
    section.depth = 30.48;
    const Row rows[] = {
        {TimedAt(1, 2, NAN, {noon.seconds, 499900000}),
         "   1.000000,   2.000000,1,   -777,36000.6602836, 24-Jul-98, 15:50:48"},
        {TimedAt(1, 2, -0.1, {noon.seconds, 500100000}),
         "   1.000000,   2.000000,0,      0,36000.6602836, 24-Jul-98, 15:50:49"},
        {TimedAt(1, 2, 0, *UtcTimeOf(1999, 12, 31, 23, 59, 59, 600000000)),
         "   1.000000,   2.000000,0,      0,36525.9999954, 01-Jan-00, 00:00:00"},
        {section, "   1.000000,   2.000000,1,    100,36000.6602778, 24-Jul-98, 15:50:48"},
        {At(1, 2), "   1.000000,   2.000000,0,   -777,45000.3541667, 15-Mar-23, 08:30:00"},
        {undated, "   1.000000,   2.000000,0,   -777,45000.2500000, 15-Mar-23, 06:00:00"},
    };
    std::vector<Point> points;
    for (const Row& row : rows) points.push_back(row.point);
    const auto lines = WrittenLines(TrackOf(points));
    ASSERT_EQ(lines.size(), 6 + std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(lines[6 + i], rows[i].line) << "row " << i;
}

TEST_F(TrackFile, EachLineGivesItsPoint)
{
    struct Row {
        std::string line;
        double latitude, longitude;
        bool newSection;
        double metres;
        std::string time;
    };
    const Row rows[] = {
        {"51.5,-0.1", 51.5, -0.1, false, NAN, ""},
        {"1,2,1,100,36000.5000029", 1, 2, true, 100 / 3.2808, "1998-07-24T12:00:00.25Z"},
        {"1,2,0,-777,0, 241298, 235960", 1, 2, false, NAN, "1998-12-25T00:00:00Z"},
        {"1,2,255", 1, 2, false, NAN, ""},  // only 1 starts a section
        {"1,2,0,0,0,0101,120000", 1, 2, false, 0, ""},
        {"1,2,0,0,0,010149,000000", 1, 2, false, 0, "2049-01-01T00:00:00Z"},
        {"1,2,0,0,0,010150,000000", 1, 2, false, 0, "1950-01-01T00:00:00Z"},
        {"1,2,0,0,0,300298,000000", 1, 2, false, 0, ""},
        {"1,2,0,0,0,010100,000058.5", 1, 2, false, 0, "2000-01-01T00:00:58Z"},
        {"1,2,0,0,0,010100,000059.5", 1, 2, false, 0, "2000-01-01T00:01:00Z"},
    };
    std::string text;
    for (const Row& row : rows) text += row.line + "\r\n";
    const std::vector<Point> points = ReadPoints(text);
    ASSERT_EQ(points.size(), std::size(rows));
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Point& p = points[i];
        EXPECT_EQ(p.latitude, rows[i].latitude) << i;
        EXPECT_EQ(p.longitude, rows[i].longitude) << i;
        EXPECT_EQ(p.newSection, rows[i].newSection) << i;
        EXPECT_EQ(std::isnan(p.elevation), std::isnan(rows[i].metres)) << i;
        if (!std::isnan(rows[i].metres)) {
            EXPECT_NEAR(p.elevation, rows[i].metres, 1e-9) << i;
        }
        EXPECT_EQ(p.time ? IsoTime(*p.time) : "", rows[i].time) << i;
    }
}

TEST_F(TrackFile, TheHeaderGivesTheNameAndTheCountLineMustBeANumber)
{
    const ReadResult read =
        ReadBytes(ReadTrackFile, "x\r\nWGS84\r\n\r\n\r\n0,2,255,  My walk ,1\r\n  \r\n 7 more\r\n1,2\r\n");
    ASSERT_EQ(read.document.tracks.size(), 1u);
    EXPECT_EQ(read.document.tracks[0].info.name, "My walk");
    EXPECT_EQ(read.document.tracks[0].points.size(), 1u);
    EXPECT_EQ(read.findings.All(),
              (std::vector<Finding>{{FindingKind::Notice, "The Data file datum must be WGS84", 0}}));
    EXPECT_EQ(ReadBytes(ReadTrackFile, kHeader + "0,2,255, \r\n1\r\n1,2\r\n").document.tracks[0].info.name,
              "");  // a blank name line: no name is made up
    EXPECT_THROW(ReadBytes(ReadTrackFile, kHeader + "0,2,255,T\r\nseven\r\n1,2\r\n"), FileError);
}

// Which files a document's tracks become: the output itself, or one per
// track with points, numbered by its slot or its place.
TEST_F(TrackFile, EachTrackWithPointsGetsItsOwnFile)
{
    struct Case {
        std::vector<std::pair<int, int>> tracks;  // points and slot of each
        bool numbered, exact;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {{}, false, false, {"out.plt"}},
        {{{2, 0}}, false, true, {"out.txt"}},
        {{{2, 0}, {0, 0}, {1, 0}}, true, false, {"out_1.plt", "out_3.plt"}},
        {{{2, 3}, {1, 5}}, true, false, {"out_3.plt", "out_5.plt"}},
        {{{2, 0}, {1, 0}}, true, true, {"out_1.txt", "out_2.txt"}},
        {{{0, 0}, {2, 0}}, true, true, {"out.txt"}},
    };
    for (const Case& c : cases) {
        TempDir folder;
        Document document;
        std::int64_t points = 0;
        for (const auto& [count, slot] : c.tracks) {
            document.tracks.push_back(
                TrackOf(std::vector<Point>(static_cast<std::size_t>(count), At(1, 2)), "T", slot));
            points += count;
        }
        WriteRequest request = RequestFor(folder.Path("out.txt"), nullptr, kClock);
        request.numberTrackFiles = c.numbered;
        request.exactNames = c.exact;
        const WriteResult result = WriteTrackFile(document, request);
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(folder.Root())) files.push_back(entry.path().filename());
        std::sort(files.begin(), files.end());
        EXPECT_EQ(files, c.files);
        EXPECT_EQ(result.counts.trackPoints, points);
        EXPECT_EQ(result.counts.trackFiles, static_cast<std::int64_t>(c.files.size()));
        EXPECT_EQ(result.findings.CountOf(FindingKind::Stamped), points);
    }
}

TEST_F(TrackFile, AThousandTrackFilesAtMost)
{
    Document document;
    for (int t = 0; t < 1001; ++t) document.tracks.push_back(TrackOf({At(1, 2)}));
    WriteRequest request = RequestFor(dir.Path("out"), nullptr, kClock);
    request.numberTrackFiles = true;
    EXPECT_THROW(WriteTrackFile(document, request), ConversionError);
    EXPECT_TRUE(fs::is_empty(dir.Root()));
}

TEST_F(TrackFile, AHundredThousandPointsPerTrackAndTheRestCut)
{
    for (int tracks : {1, 2}) {
        Document document;
        for (int t = 0; t < tracks; ++t)
            document.tracks.push_back(TrackOf(std::vector<Point>(100002, At(1, 2)), "long"));
        WriteRequest request = RequestFor(dir.Path("out"), nullptr, kClock);
        request.numberTrackFiles = tracks > 1;
        const WriteResult result = WriteTrackFile(document, request);
        EXPECT_EQ(result.counts.trackPoints, 100000 * tracks);
        ASSERT_EQ(result.findings.CountOf(FindingKind::Cut), 2 * tracks);
        const std::string message = result.findings.All()[0].message;
        EXPECT_EQ(message.find("from each track") != std::string::npos, tracks > 1) << message;
    }
    EXPECT_EQ(SplitCrLf(ReadText(dir.Path("out.plt"))).size(), 100006u);
}

// Written and read back, a point keeps its position to six decimals, its
// time to the file's centisecond and its elevation to the foot (of a float in metres).
TEST_F(TrackFile, PointsReadBackAsWritten)
{
    std::vector<Point> points;
    for (int i = 0; i < 2000; ++i)
        points.push_back(TimedAt(-89.9 + i * 0.09, 179.9 - i * 0.18, i * 7.3 - 500,
                                 UtcTime{946684800 + i * 3607, (i % 100) * 10000000}));
    WrittenLines(TrackOf(points, "name"));
    const ReadResult back = ReadBytes(ReadTrackFile, ReadText(dir.Path("out.plt")));
    EXPECT_EQ(back.document.tracks.at(0).info.name, "name");
    const std::vector<Point> read = back.document.tracks[0].points.ToVector();
    ASSERT_EQ(read.size(), points.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_NEAR(read[i].latitude, points[i].latitude, 5e-7);
        EXPECT_NEAR(read[i].longitude, points[i].longitude, 5e-7);
        EXPECT_NEAR(read[i].elevation, points[i].elevation, 0.5 / 3.2808 + 1e-3);  // and the record's float
        EXPECT_EQ(read[i].time, points[i].time);
    }
}
