// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>

#include "core/text/text_fields.h"
#include "tests/support/byte_builder.h"
#include "tests/support/format_positions.h"
#include "tests/support/sample_files.h"
#include "tests/support/test_files.h"

namespace {
using samples::MapsendTrack;
using samples::Ov2;

std::vector<std::string> Progress(const std::string& loading, const std::string& input, const std::string& writing,
                                  const std::string& output, const std::string& written)
{
    return {loading, input, "", "processing .....", "", writing, output, written, "", "Done ....."};
}
}  // namespace

// The reader writes nothing: the Holux file is the one file made.
TEST(BinaryImportsEndToEnd, Ov2ToHoluxWritesTheHoluxFileAlone)
{
    TempDir dir;
    WriteText(dir.Path("poi.ov2"), Ov2());
    const std::string output = dir.Path("out.wrt");
    const HeadlessResult run = RunHeadless({kTomTom, kHoluxWaypoint, output, dir.Path("poi.ov2")});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.lines, Progress("Loading TomTom Waypoints", dir.Path("poi.ov2"), "Writing Holux Waypoint file",
                                  output, "Written: 2 waypoints, 0 routes"));
    ASSERT_TRUE(std::filesystem::exists(output));
    EXPECT_EQ(std::filesystem::file_size(output), 32768u);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out.wpt")));
}

TEST(BinaryImportsEndToEnd, MapsendTrackToHoluxTrack)
{
    TempDir dir;
    WriteText(dir.Path("walk.trk"), MapsendTrack());
    const std::string output = dir.Path("out.tlg");
    const HeadlessResult run = RunHeadless({kMapsendTrack, kHoluxTrack, output, dir.Path("walk.trk")});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.lines, Progress("Loading Mapsend Track file", dir.Path("walk.trk"), "Writing Holux Track file",
                                  output, "Written: 2 track points"));
    ASSERT_TRUE(std::filesystem::exists(output));
    EXPECT_EQ(std::filesystem::file_size(output), 133120u);
}

TEST(BinaryImportsEndToEnd, MapsendTrackToNativeTrack)
{
    TempDir dir;
    WriteText(dir.Path("walk.trk"), MapsendTrack());
    const HeadlessResult run = RunHeadless({kMapsendTrack, kKesTrack, dir.Path("out.plt"), dir.Path("walk.trk")});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const auto lines = SplitCrLf(ReadText(dir.Path("out.plt")));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[4], "0,2,255,Walk,1,0,0,255");
    EXPECT_EQ(lines[6], "  51.500000,  -0.100000,1,     98,36000.5000000, 24-Jul-98, 12:00:00");
    EXPECT_EQ(lines[7], "  51.250000,  -0.200000,0,   -777,36000.5006944, 24-Jul-98, 12:01:00");
}

TEST(BinaryImportsEndToEnd, MapsendWaypointsToNativeWaypointsAndTheWrongKind)
{
    TempDir dir;
    ByteBuilder b;
    b.u8(12).fixed("MapSend file", 12).u8('0').i32(1).i32(1);
    b.u8(4).text("Camp").u8(5).text("by it").u32(0).u8(18).u8(0).f64(1200.4).f64(7.25).f64(-46.5);
    WriteText(dir.Path("camp.wpt"), b.str());
    const HeadlessResult run = RunHeadless({kMapsendWaypoint, kKesWaypoint, dir.Path("out"), dir.Path("camp.wpt")});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.lines, Progress("Loading Mapsend Waypoint file", dir.Path("camp.wpt"), "Writing Kes Waypoint file",
                                  dir.Path("out.wpt"), "Written: 1 waypoint, 0 routes"));
    const auto lines = SplitCrLf(ReadText(dir.Path("out.wpt")));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[4].substr(0, 32), "   1,Camp,  46.500000,   7.25000");
    EXPECT_EQ(GetField(lines[4], 6, ""), "18");
    EXPECT_EQ(GetField(lines[4], 11, ""), "by it");
    EXPECT_EQ(GetField(lines[4], 15, ""), "1200");

    // The same waypoint file chosen as a track: a message, and nothing written.
    const HeadlessResult wrong = RunHeadless({kMapsendTrack, kKesTrack, dir.Path("t.plt"), dir.Path("camp.wpt")});
    ASSERT_EQ(wrong.exitCode, 0) << wrong.output;
    ASSERT_GE(wrong.lines.size(), 3u);
    EXPECT_EQ(wrong.lines[2], "message: This is not a Track file");
    EXPECT_FALSE(std::filesystem::exists(dir.Path("t.plt")));
}

TEST(BinaryImportsEndToEnd, RealFilesToNativeFiles)
{
    TempDir dir;
    const HeadlessResult track =
        RunHeadless({kMapsendTrack, kKesTrack, dir.Path("chicago.plt"), FixturePath("mapsend/chicago.trk")});
    ASSERT_EQ(track.exitCode, 0) << track.output;
    const auto chicago = SplitCrLf(ReadText(dir.Path("chicago.plt")));
    ASSERT_EQ(chicago.size(), 6u + 2000u);
    EXPECT_EQ(GetField(chicago[6], 4, ""), "673");  // 205 m
    const HeadlessResult other =
        RunHeadless({kMapsendTrack, kKesTrack, dir.Path("other.plt"), FixturePath("mapsend/mapsend.trk")});
    ASSERT_EQ(other.exitCode, 0) << other.output;
    EXPECT_EQ(GetField(SplitCrLf(ReadText(dir.Path("other.plt")))[6], 4, ""), "3");  // 1 m

    const HeadlessResult points =
        RunHeadless({kTomTom, kKesWaypoint, dir.Path("poi.wpt"), FixturePath("tomtom/tomtom.ov2")});
    ASSERT_EQ(points.exitCode, 0) << points.output;
    EXPECT_EQ(SplitCrLf(ReadText(dir.Path("poi.wpt"))).size(), 4u + 54u);
}
