// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>

#include "core/convert/format_lookup.h"
#include "formats/igc/Igc.h"
#include "tests/support/document_points.h"

namespace {
ReadResult Read(const std::string& content) { return ReadMemory(ReadIgcFile, content); }

// A fix at hhmmss of the position and altitudes given, 3D.
std::string Fix(const char* hhmmss, const char* position = "4350420N08026585W", const char* altitudes = "0043800463")
{
    return std::string("B") + hhmmss + position + "A" + altitudes + "\r\n";
}

std::int64_t Unusable(const ReadResult& r) { return r.findings.CountOf(FindingKind::Unusable); }
}  // namespace

// Both forms of the date header, the pilot and the glider, the GNSS
// altitude as elevation, the pressure altitude counted as left out.
TEST(IgcReader, HeadersNameTheFlightAndFixesGiveTheirValues)
{
    for (const char* date : {"HFDTE160722", "HFDTEDATE:160722,01"}) {
        SCOPED_TRACE(date);
        const ReadResult read = Read(std::string("ALXNQKFFLIGHT:3\r\n") + date +
                                     "\r\nHFPLTPILOTINCHARGE: Chris Razl\r\nHFGTYGLIDERTYPE:LS 4\r\n"
                                     "HFGIDGLIDERID:C-FXYZ\r\n" +
                                     Fix("194131") + Fix("194146", "4350420S08026585E", "-001200000"));
        ASSERT_EQ(read.document.tracks.size(), 1u);
        const Track& track = read.document.tracks[0];
        EXPECT_EQ(track.info.name, "2022-07-16 C-FXYZ");
        EXPECT_EQ(track.info.description, "Pilot: Chris Razl; Glider: LS 4 C-FXYZ");
        const std::vector<Point> points = track.points.ToVector();
        ASSERT_EQ(points.size(), 2u);
        EXPECT_NEAR(points[0].latitude, 43 + 50.420 / 60, 1e-12);
        EXPECT_NEAR(points[0].longitude, -(80 + 26.585 / 60), 1e-12);
        EXPECT_EQ(points[0].elevation, 463);
        EXPECT_EQ(IsoTime(*points[0].time), "2022-07-16T19:41:31Z");
        EXPECT_LT(points[1].latitude, 0);
        EXPECT_GT(points[1].longitude, 0);
        // A recorder without GNSS altitude writes 0 beside its pressure altitude: no elevation.
        EXPECT_TRUE(std::isnan(points[1].elevation));
        EXPECT_EQ(read.findings.CountOf(FindingKind::Reduced), 2);
        EXPECT_EQ(Unusable(read), 0);
    }
}

// Past midnight the date moves on; a small step back is the clock's, left on its day.
TEST(IgcReader, TimesGoingBackByHalfADayArePastMidnight)
{
    const ReadResult read = Read("AXXX\nHFDTE311299\n" + Fix("235958") + Fix("000003") + Fix("000001") + Fix("000010"));
    const std::vector<Point> points = read.document.tracks.at(0).points.ToVector();
    std::vector<std::string> times;
    for (const Point& p : points) times.push_back(IsoTime(*p.time));
    EXPECT_EQ(times, (std::vector<std::string>{"1999-12-31T23:59:58Z", "2000-01-01T00:00:03Z", "2000-01-01T00:00:01Z",
                                               "2000-01-01T00:00:10Z"}));
}

// A second A record, or another date after fixes, starts another flight;
// without a date header the times are times of day.
TEST(IgcReader, EachFlightIsATrack)
{
    const ReadResult read = Read("AXXX\nHFDTE010722\n" + Fix("100000") + "HFDTE010722\n" + Fix("100005") +
                                 "HFDTE020722\n" + Fix("110000") + "AXXX\n" + Fix("120000"));
    ASSERT_EQ(read.document.tracks.size(), 3u);
    EXPECT_EQ(read.document.tracks[0].points.size(), 2u);
    EXPECT_EQ(read.document.tracks[1].info.name, "2022-07-02");
    const Point undated = read.document.tracks[2].points.ToVector().at(0);
    EXPECT_TRUE(undated.undated);
    EXPECT_EQ(undated.time->seconds, 12 * 3600);
    EXPECT_EQ(read.findings.CountOf(FindingKind::Undated), 1);
}

// A fix that cannot be read is left out and counted; nothing is made up.
TEST(IgcReader, UnreadableFixesAreLeftOutAndCounted)
{
    const struct {
        const char* what;
        std::string line;
    } cases[] = {
        {"cut short", "B1941314350420N08026585WA00438\n"},
        {"letters in the latitude", "B1941314350x20N08026585WA0043800463\n"},
        {"minutes of 60", "B1941314360000N08026585WA0043800463\n"},
        {"latitude past the pole", "B1941319100000N08026585WA0043800463\n"},
        {"longitude past 180", "B1941314350420N18100000WA0043800463\n"},
        {"no hemisphere", "B1941314350420X08026585WA0043800463\n"},
        {"no validity", "B1941314350420N08026585WX0043800463\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ReadResult read = Read("AXXX\nHFDTE010722\n" + Fix("100000") + c.line);
        EXPECT_EQ(read.document.TrackPointCount(), 1);
        EXPECT_EQ(Unusable(read), 1);
    }
    // A time that is no time leaves the point without one, counted.
    const ReadResult read = Read("AXXX\nHFDTE010722\nB2561314350420N08026585WV0043800463\n");
    const Point p = read.document.tracks.at(0).points.ToVector().at(0);
    EXPECT_FALSE(p.time);
    EXPECT_TRUE(std::isnan(p.elevation));  // a 2D fix has no GNSS altitude
    EXPECT_EQ(read.findings.CountOf(FindingKind::Skipped) + read.findings.CountOf(FindingKind::Reduced), 2);
}

TEST(IgcReader, SignatureIsAnARecordFollowedByHeadersOrFixes)
{
    EXPECT_TRUE(IsIgcFile(FileLook::OfBytes("ALXNQKFFLIGHT:3\r\nHFDTE160722\r\n")));
    EXPECT_TRUE(IsIgcFile(FileLook::OfBytes("AXXX\n" + Fix("100000"))));
    EXPECT_FALSE(IsIgcFile(FileLook::OfBytes("A line of prose\nBut not a log\n")));
    EXPECT_FALSE(IsIgcFile(FileLook::OfBytes("HFDTE160722\n" + Fix("100000"))));
}
