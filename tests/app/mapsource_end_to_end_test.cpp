// SPDX-License-Identifier: GPL-3.0-or-later
// MapSource input through the whole Convert action, as the window runs it.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "core/text/text_fields.h"
#include "tests/support/byte_builder.h"
#include "tests/support/format_positions.h"
#include "tests/support/mapsource_files.h"
#include "tests/support/test_files.h"

namespace {
using mapsource_files::Semicircles;

void Record(ByteBuilder& file, char type, const ByteBuilder& body)
{
    file.i32(static_cast<std::int32_t>(body.size())).u8(static_cast<std::uint8_t>(type));
    file.bytes.insert(file.bytes.end(), body.bytes.begin(), body.bytes.end());
}

void Gap(ByteBuilder& b) { b.u32(0).u8(0).u32(0).fill(12, 0xff).u16(0).u32(0xffffffff); }

std::string Mps(std::uint16_t version)
{
    ByteBuilder f;
    f.text("MsRcd").u8(0).i32(2).u8('D').u16(version).i32(27).u8('A').u16(0);
    f.zeroText("SQA").zeroText("Oct 22 2001").zeroText("15:45:05");
    ByteBuilder w;
    w.zeroText("Summit, North");
    Gap(w);
    w.i32(Semicircles(46.5))
        .i32(Semicircles(7.25))
        .u8(1)
        .f64(100)
        .zeroText("cairn, big")
        .fill(17, 0)
        .i32(106)
        .fill(20, 0);
    Record(f, 'W', w);
    return f.str();
}

std::string GdbWithRouteAndTracks()
{
    ByteBuilder f;
    f.text("MsRcf").u8(0).i32(2).u8('D').u16(108).i32(27).u8('A').u16(0);
    f.zeroText("SQA").zeroText("Aug  8 2005").zeroText("10:17:17").zeroText("MapSource");
    ByteBuilder w;
    w.zeroText("Hut");
    Gap(w);
    w.i32(Semicircles(47)).i32(Semicircles(8)).u8(0).zeroText("").u8(0).i32(0).i32(0).i32(8).i32(0).u8(0);
    w.u16(0).i32(0).zeroText("").zeroText("").u16(0).u8(0).u8(0);
    Record(f, 'W', w);
    ByteBuilder r;
    r.zeroText("Hut run").u16(0).i32(0).i32(0).u8(0).i32(0).i32(0).u8(0).u32(2);
    for (const char* name : {"A", "B"}) {
        r.zeroText(name);
        Gap(r);
        const bool first = name[0] == 'A';
        r.fill(19, 0).u32(first ? 2 : 0);
        // Link points and the leg's bounds (after a flag byte 0); the last point has neither.
        if (first) r.i32(Semicircles(47)).i32(Semicircles(8)).u8(0).i32(Semicircles(47.5)).i32(Semicircles(8.5)).u8(0);
        r.u8(first ? 0 : 1);
        if (first) r.i32(0).i32(0).u8(0).i32(0).i32(0).u8(0);
        r.fill(8, 0xff);
    }
    Record(f, 'R', r);
    for (int t = 1; t <= 3; ++t) {
        ByteBuilder b;
        b.zeroText("Track " + std::to_string(t)).u8(0).i32(0).u32(2);
        for (int p = 0; p < 2; ++p)
            b.i32(Semicircles(45 + t)).i32(Semicircles(p)).u8(0).u8(1).u32(1000000000u).u8(0).u8(0);
        Record(f, 'T', b);
    }
    return f.str();
}

std::vector<std::string> Progress(const std::string& loading, const std::string& input,
                                  const std::vector<std::string>& writing)
{
    std::vector<std::string> lines = {loading, input, "", "processing .....", ""};
    lines.insert(lines.end(), writing.begin(), writing.end());
    lines.insert(lines.end(), {"", "Done ....."});
    return lines;
}
}  // namespace

TEST(MapsourceEndToEnd, MpsWaypointsToKesWaypointFile)
{
    TempDir dir;
    WriteText(dir.Path("in.MPS"), Mps(105));
    const HeadlessResult run =
        RunHeadless({kMapsourceWaypoints, kKesWaypoint, dir.Path("out.txt"), dir.Path("in.MPS")});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.lines, Progress("Loading Mapsource Waypoints", dir.Path("in.MPS"),
                                  {"Writing Kes Waypoint file", dir.Path("out.wpt"), "Written: 1 waypoint, 0 routes"}));
    const auto lines = SplitCrLf(ReadText(dir.Path("out.wpt")));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(GetField(lines[4], 2, ""), "Summit  North");  // the names any input gives, but for the comma
    EXPECT_EQ(GetField(lines[4], 3, ""), "46.500000");
    EXPECT_EQ(GetField(lines[4], 6, ""), "60");  // code 106, "Summit"
    EXPECT_EQ(GetField(lines[4], 11, ""), "cairn  big");
    EXPECT_EQ(GetField(lines[4], 15, ""), "328");
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out.rte")));
}

TEST(MapsourceEndToEnd, ObsoleteMpsWritesNothing)
{
    TempDir dir;
    WriteText(dir.Path("old.mps"), Mps(102));
    const HeadlessResult run = RunHeadless({kMapsourceWaypoints, kKesWaypoint, dir.Path("out"), dir.Path("old.mps")});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.lines, (std::vector<std::string>{
                             "Loading Mapsource Waypoints", dir.Path("old.mps"),
                             "message: The file is created by an obsolete version of MapSource. MapSource 4 or later "
                             "is required.",
                             "Obsolete Mapsource File", "Unable to Open File",
                             "Written: nothing - the input file could not be read", "", "Done ....."}));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out.wpt")));
}

TEST(MapsourceEndToEnd, GdbWaypointsAndRoutesGiveWaypointAndRouteFiles)
{
    TempDir dir;
    WriteText(dir.Path("in.gdb"), GdbWithRouteAndTracks());
    const HeadlessResult run =
        RunHeadless({kMapsourceWaypoints, kKesWaypoint, dir.Path("out.wpt"), dir.Path("in.gdb")});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.lines, Progress("Loading Mapsource Waypoints", dir.Path("in.gdb"),
                                  {"Writing Kes Waypoint file", dir.Path("out.wpt"), "Writing Kes Route file",
                                   dir.Path("out.rte"), "Written: 1 waypoint, 1 route"}));
    const auto route = SplitCrLf(ReadText(dir.Path("out.rte")));
    ASSERT_GE(route.size(), 9u);
    EXPECT_EQ(route[5], "R,  1,Hut run         ,,16711680");
    EXPECT_EQ(route[6].substr(0, 48), "W,  1,  1,  1,A               ,  47.000000,   8.");
    EXPECT_EQ(route[7].substr(0, 48), "W,  1,  2,  2,B               ,  47.500000,   8.");
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out_1.plt")));
}

TEST(MapsourceEndToEnd, GdbTracksGiveOneNativeFilePerTrack)
{
    TempDir dir;
    WriteText(dir.Path("in.gdb"), GdbWithRouteAndTracks());
    const HeadlessResult run = RunHeadless({kMapsourceTracks, kKesTrack, dir.Path("trip.plt"), dir.Path("in.gdb")});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.lines, Progress("Loading Mapsource Tracks", dir.Path("in.gdb"),
                                  {"Writing Kes Track file(s)", dir.Path("trip.plt"),
                                   "Written: 6 track points in 3 track files"}));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("trip.plt")));
    for (int t = 1; t <= 3; ++t) {
        const auto lines = SplitCrLf(ReadText(dir.Path("trip_" + std::to_string(t) + ".plt")));
        ASSERT_EQ(lines.size(), 8u);
        EXPECT_EQ(lines[4], "0,2,255,Track " + std::to_string(t) + ",1,0,0,255");
        EXPECT_EQ(lines[6].substr(34, 13), "37143.0740741");  // 2001-09-09 01:46:40
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path("trip_4.plt")));
}

TEST(MapsourceEndToEnd, GdbTracksToHoluxTrackFile)
{
    TempDir dir;
    WriteText(dir.Path("in.gdb"), GdbWithRouteAndTracks());
    const HeadlessResult run = RunHeadless({kMapsourceTracks, kHoluxTrack, dir.Path("trip.tlg"), dir.Path("in.gdb")});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.lines, Progress("Loading Mapsource Tracks", dir.Path("in.gdb"),
                                  {"Writing Holux Track file", dir.Path("trip.tlg"), "Written: 6 track points"}));
    // The tracks go straight into the image: no track file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Root()), std::filesystem::directory_iterator{}), 2);
    const std::string image = ReadText(dir.Path("trip.tlg"));
    ASSERT_EQ(image.size(), 133120u);
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(image[131088 + 44 * t], 2) << t;  // points
        EXPECT_EQ(image.substr(131088 + 44 * t + 4, 8), "Track " + std::to_string(t + 1) + '\0') << t;
    }
}

TEST(MapsourceEndToEnd, RealGdbFileInTrackMode)
{
    TempDir dir;
    const std::string input = FixturePath("mapsource/gdb-sample.gdb");
    const HeadlessResult run = RunHeadless({kMapsourceTracks, kKesTrack, dir.Path("s.plt"), input});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (int t = 1; t <= 9; ++t) EXPECT_TRUE(std::filesystem::exists(dir.Path("s_" + std::to_string(t) + ".plt")));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("s_10.plt")));
}
