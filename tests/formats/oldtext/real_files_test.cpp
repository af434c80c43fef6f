// SPDX-License-Identifier: GPL-3.0-or-later
// The real CompeGPS and PCX5 files read, against a decoding of each point
// line made here on its own from the published layout.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "formats/compegps/CompeGps.h"
#include "formats/pcx/Pcx5.h"
#include "tests/support/document_points.h"
#include "tests/support/test_files.h"

namespace {
struct Decoded {
    double latitude, longitude, elevation;
    std::string time;  // ISO
};

std::string Iso(int year, const char* month, int day, const char* clock)
{
    static const std::string kMonths = "JANFEBMARAPRMAYJUNJULAUGSEPOCTNOVDEC";
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02zu-%02dT%sZ", year, kMonths.find(month) / 3 + 1, day, clock);
    return text;
}

// "T  A 51.3129500000ºN 12.4131666667ºE 01-MAY-05 13:02:47 N 161.0 ..."
std::vector<Decoded> CompeGpsTrackLines(const std::string& path)
{
    std::vector<Decoded> points;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        double lat = 0, lon = 0, alt = 0;
        char ns = 0, ew = 0, month[4] = "", clock[9] = "", section = 0;
        int day = 0, year = 0;
        if (std::sscanf(line.c_str(), "T A %lf%*[^NS]%c %lf%*[^EW]%c %d-%3s-%d %8s %c %lf", &lat, &ns, &lon, &ew, &day,
                        month, &year, clock, &section, &alt) == 10)
            points.push_back(
                {ns == 'S' ? -lat : lat, ew == 'W' ? -lon : lon, alt, Iso(2000 + year, month, day, clock)});
    }
    return points;
}

// "T  N3003.73100 W09136.62100 25-MAY-02 17:06:21 1"
std::vector<Decoded> PcxTrackLines(const std::string& path)
{
    std::vector<Decoded> points;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        int latDegrees = 0, lonDegrees = 0, day = 0, year = 0;
        double latMinutes = 0, lonMinutes = 0, alt = 0;
        char ns = 0, ew = 0, month[4] = "", clock[9] = "";
        if (std::sscanf(line.c_str(), "T %c%2d%lf %c%3d%lf %d-%3s-%d %8s %lf", &ns, &latDegrees, &latMinutes, &ew,
                        &lonDegrees, &lonMinutes, &day, month, &year, clock, &alt) == 11) {
            const double lat = latDegrees + latMinutes / 60, lon = lonDegrees + lonMinutes / 60;
            points.push_back(
                {ns == 'S' ? -lat : lat, ew == 'W' ? -lon : lon, alt, Iso(2000 + year, month, day, clock)});
        }
    }
    return points;
}

void ExpectSame(const std::vector<Point>& read, const std::vector<Decoded>& decoded)
{
    ASSERT_EQ(read.size(), decoded.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(read[i].latitude, decoded[i].latitude, 1e-9);
        EXPECT_NEAR(read[i].longitude, decoded[i].longitude, 1e-9);
        EXPECT_EQ(read[i].elevation, decoded[i].elevation);
        ASSERT_TRUE(read[i].time);
        EXPECT_EQ(IsoTime(*read[i].time), decoded[i].time);
    }
}

ReadResult ReadFixture(Reader reader, const std::string& relative)
{
    return reader(InputSource::File(FixturePath(relative)), {});
}
}  // namespace

TEST(OldTextRealFiles, CompeGpsTrackAgreesLineByLine)
{
    const std::string path = FixturePath("compegps/compegps.trk");
    const ReadResult read = ReadFixture(ReadCompeGpsFile, "compegps/compegps.trk");
    ASSERT_EQ(read.document.tracks.size(), 1u);
    EXPECT_EQ(read.document.tracks[0].info.name, "oliskoli");
    const std::vector<Decoded> decoded = CompeGpsTrackLines(path);
    EXPECT_EQ(decoded.size(), 42u);
    ExpectSame(TrackPoints(read), decoded);
    EXPECT_TRUE(read.findings.Empty());
}

TEST(OldTextRealFiles, PcxTrackAgreesLineByLine)
{
    const ReadResult read = ReadFixture(ReadPcx5File, "pcx/pcx.trk");
    ASSERT_EQ(read.document.tracks.size(), 1u);
    const std::vector<Decoded> decoded = PcxTrackLines(FixturePath("pcx/pcx.trk"));
    EXPECT_EQ(decoded.size(), 64u);
    ExpectSame(TrackPoints(read), decoded);
    EXPECT_TRUE(read.findings.Empty());
}

// The route's seven points, their program's date of no time giving none.
TEST(OldTextRealFiles, CompeGpsRouteHasItsPointsWithoutTimes)
{
    const ReadResult read = ReadFixture(ReadCompeGpsFile, "compegps/compegps.rte");
    ASSERT_EQ(read.document.routes.size(), 1u);
    EXPECT_EQ(read.document.routes[0].info.name, "test");
    const std::vector<Point> points = read.document.routes[0].points.ToVector();
    ASSERT_EQ(points.size(), 7u);
    EXPECT_EQ(Held(points[0]), "V03087__________|||Waypoint|0.000|");
    EXPECT_DOUBLE_EQ(points[0].latitude, 45.789383);
    EXPECT_DOUBLE_EQ(points[6].longitude, 11.480617);
    EXPECT_TRUE(read.document.waypoints.empty());
    EXPECT_TRUE(read.findings.Empty());
}
