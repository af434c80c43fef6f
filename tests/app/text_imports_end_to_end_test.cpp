// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>

#include "core/text/text_fields.h"
#include "tests/support/format_positions.h"
#include "tests/support/test_files.h"

namespace {
const std::string kNmeaLog = "$GPGGA,032908.379,4231.8291,N,08807.3033,W,1,05,1.6,209.8,M,-34.2,M,0.0,0000*46\r\n"
                             "$GPRMC,032908.379,A,4231.8291,N,08807.3033,W,0.17,138.92,070804,,*12\r\n"
                             "$GPVTG,138.92,T,,M,0.17,N,0.3,K*64\r\n"
                             "$GPRMC,032909.379,A,4231.8291,N,08807.3034,W,0.18,145.85,070804,,*17\r\n"
                             "$GPGGA,052910.379,4231.8292,N,08807.3036,W,1,05,1.6,100,F,-34.2,M,0.0,0000*58\r\n"
                             "$GPRMC,052910.379,A,4231.8292,N,08807.3036,E,0.18,145.85,070804,,*0A\r\n";

const std::string kMagellanWaypoints = "$PMGNWPL,4807.038,N,01131.000,W,100,M,HOME,front door,a*1F\r\n"
                                       "$PMGNWPL,0000.000,N,00000.000,E,5,M,ORIGIN,,a*1F\r\n"
                                       "$PMGNWPL,3351.600,S,15112.600,E,0,M,SYDNEY,,ab\r\n"
                                       "$PMGNCMD,END*3D\r\n";

std::string WithLfOnly(std::string text)
{
    std::string out;
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

std::vector<std::string> Progress(const std::string& loading, const std::string& input, const std::string& writing,
                                  const std::string& output, const std::string& written)
{
    return {loading, input, "", "processing .....", "", writing, output, written, "", "Done ....."};
}
}  // namespace

TEST(TextImportsEndToEnd, NmeaLogWithCrLfOrLfLineEndsGivesTheSameTrackFile)
{
    TempDir dir;
    std::filesystem::create_directories(dir.Path("crlf"));
    std::filesystem::create_directories(dir.Path("lf"));
    WriteText(dir.Path("crlf/walk.log"), kNmeaLog);
    WriteText(dir.Path("lf/walk.log"), WithLfOnly(kNmeaLog));

    for (const char* folder : {"crlf", "lf"}) {
        const std::string input = dir.Path(std::string(folder) + "/walk.log");
        const std::string output = dir.Path(std::string(folder) + "/out.plt");
        const HeadlessResult run = RunHeadless({kNmea, kKesTrack, output, input});
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(run.lines, Progress("Loading NMEA Log File", input, "Writing Kes Track file(s)", output,
                                      "Written: 3 track points"));
    }
    const std::string track = ReadText(dir.Path("crlf/out.plt"));
    EXPECT_EQ(track, ReadText(dir.Path("lf/out.plt")));

    const auto lines = SplitCrLf(track);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[4], "0,2,255,walk.log,1,0,0,255");
    EXPECT_EQ(lines[6].substr(0, 40), "  42.530485, -88.121722,1,    688,38206.");
    EXPECT_EQ(GetField(lines[7], 4, ""), "-777");
    EXPECT_EQ(GetField(lines[8], 3, ""), "1");  // two hours after the fix before it
    EXPECT_EQ(GetField(lines[8], 2, ""), "88.121727");
    EXPECT_EQ(GetField(lines[8], 4, ""), "100");
}

TEST(TextImportsEndToEnd, MagellanWaypointsToTheNativeWaypointFile)
{
    TempDir dir;
    const std::string input = dir.Path("card.txt");
    WriteText(input, kMagellanWaypoints);
    const HeadlessResult run = RunHeadless({kMagellanWaypoint, kKesWaypoint, dir.Path("out"), input});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.lines, Progress("Loading Magellan GPS Waypoint file", input, "Writing Kes Waypoint file",
                                  dir.Path("out.wpt"), "Written: 2 waypoints, 0 routes"));

    const auto lines = SplitCrLf(ReadText(dir.Path("out.wpt")));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[4].substr(0, 33), "   1,HOME,  48.117300, -11.516667");
    EXPECT_EQ(GetField(lines[4], 11, ""), "front door");
    EXPECT_EQ(GetField(lines[4], 15, ""), "328");
    EXPECT_EQ(lines[5].substr(0, 35), "   2,SYDNEY, -33.860000, 151.210000");
    EXPECT_EQ(GetField(lines[5], 6, ""), "27");
    EXPECT_EQ(GetField(lines[5], 15, ""), "-777");
}

TEST(TextImportsEndToEnd, MagellanWaypointsToTheHoluxWaypointFile)
{
    TempDir dir;
    const std::string input = dir.Path("card.txt");
    const std::string output = dir.Path("out.wrt");
    WriteText(input, kMagellanWaypoints);
    const HeadlessResult run = RunHeadless({kMagellanWaypoint, kHoluxWaypoint, output, input});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.lines, Progress("Loading Magellan GPS Waypoint file", input, "Writing Holux Waypoint file", output,
                                  "Written: 2 waypoints, 0 routes"));
    ASSERT_TRUE(std::filesystem::exists(output));
    EXPECT_EQ(std::filesystem::file_size(output), 32768u);
}
