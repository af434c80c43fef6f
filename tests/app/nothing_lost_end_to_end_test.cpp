// SPDX-License-Identifier: GPL-3.0-or-later
// Through kes-headless: a limit is announced with the count of what was
// written, MapSource input is known by its signature, and an input that cannot
// be read leaves every earlier output as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

#include "tests/support/format_positions.h"
#include "tests/support/mapsource_files.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;
namespace ms = mapsource_files;

namespace {
const std::string kEarlier = "an earlier output\r\n";

std::string Gdb()
{
    ByteBuilder f = ms::GdbHeader(108);
    ms::GdbWaypoint(f, "Hut", 47, 8);
    ms::GdbRoute(f, "Way", 2);
    ms::GdbTrack(f, "One", 3);
    ms::GdbTrack(f, "Two", 4);
    return f.str();
}

}  // namespace

TEST(NothingLostEndToEnd, AnNmeaLogBeyondTheTrackCapacityIsAnnouncedAfterTheCountLine)
{
    TempDir dir;
    std::string log;
    for (int i = 0; i < 120000; ++i) log += "$GPRMC,120000,A,4807.038,N,01131.000,E,,,230394,,*13\r\n";
    WriteText(dir.Path("long.nmea"), log);
    const HeadlessResult run = RunHeadless({kNmea, kKesTrack, dir.Path("long.plt"), dir.Path("long.nmea")});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::vector<std::string> expected = {
        "Loading NMEA Log File",
        dir.Path("long.nmea"),
        "",
        "processing .....",
        "",
        "Writing Kes Track file(s)",
        dir.Path("long.plt"),
        "Written: 100000 track points",
        "message: Only the first 100000 Track Points are read - this is a limitation of kesTranscribe. The rest of the "
        "input file is left out.",
        "",
        "Done ....."};
    EXPECT_EQ(run.lines, expected);
    EXPECT_EQ(SplitCrLf(ReadText(dir.Path("long.plt"))).size(), 100006u);
}

TEST(NothingLostEndToEnd, MapsourceFilesAreReadByTheirSignatureWhateverTheirExtension)
{
    TempDir dir;
    WriteText(dir.Path("renamed.txt"), Gdb());
    RunHeadless({kMapsourceWaypoints, kKesWaypoint, dir.Path("w"), dir.Path("renamed.txt")});
    EXPECT_EQ(SplitCrLf(ReadText(dir.Path("w.wpt"))).size(), 5u);
    EXPECT_TRUE(fs::exists(dir.Path("w.rte")));

    const HeadlessResult tracks = RunHeadless({kMapsourceTracks, kKesTrack, dir.Path("t"), dir.Path("renamed.txt")});
    ASSERT_EQ(tracks.exitCode, 0) << tracks.output;
    EXPECT_EQ(tracks.lines[tracks.lines.size() - 3], "Written: 7 track points in 2 track files");
    EXPECT_TRUE(fs::exists(dir.Path("t_2.plt")));

    // An .mps signature wins over a .gdb extension.
    ByteBuilder mps = ms::MpsHeader(103);
    ms::MpsWaypoint(mps, "Summit", 46.5, 7.25);
    WriteText(dir.Path("really-mps.gdb"), mps.str());
    const HeadlessResult named =
        RunHeadless({kMapsourceWaypoints, kKesWaypoint, dir.Path("m"), dir.Path("really-mps.gdb")});
    EXPECT_EQ(named.lines[named.lines.size() - 3], "Written: 1 waypoint, 0 routes");
    EXPECT_EQ(SplitCrLf(ReadText(dir.Path("m.wpt"))).at(4).substr(0, 11), "   1,Summit");
}

TEST(NothingLostEndToEnd, AnInputTheReaderRefusesLeavesEveryEarlierOutputUntouched)
{
    TempDir dir;
    fs::create_symlink(FixturePath("tomtom/tomtom.ov2"), dir.Path("points.txt"));
    WriteText(dir.Path("old.mps"), ms::MpsHeader(102).str());
    WriteText(dir.Path("old.gdb"), ms::GdbHeader(106).str());
    const char* const outputs[] = {"out.wpt", "out.rte", "out.plt", "out.wrt", "out.tlg"};
    for (const char* name : outputs) WriteText(dir.Path(name), kEarlier);

    const std::string notMapsource = "This is not a MapSource .mps or .gdb file.";
    const std::string oldMps =
        "The file is created by an obsolete version of MapSource. MapSource 4 or later is required.";
    const std::string oldGdb =
        "The file is created by an obsolete version of MapSource. MapSource 6 or later is required.";
    struct Case {
        std::string input, output;
        const char* file;
        std::string message, paneLine;
    };
    const Case cases[] = {
        {kMapsourceWaypoints, kKesWaypoint, "points.txt", notMapsource, "Not a Mapsource File"},
        {kMapsourceTracks, kKesTrack, "points.txt", notMapsource, "Not a Mapsource File"},
        {kMapsourceWaypoints, kHoluxWaypoint, "points.txt", notMapsource, "Not a Mapsource File"},
        {kMapsourceTracks, kHoluxTrack, "points.txt", notMapsource, "Not a Mapsource File"},
        {kMapsourceWaypoints, kHoluxWaypoint, "old.mps", oldMps, "Obsolete Mapsource File"},
        {kMapsourceTracks, kHoluxTrack, "old.mps", oldMps, "Obsolete Mapsource File"},
        {kMapsourceWaypoints, kKesWaypoint, "old.gdb", oldGdb, "Obsolete Mapsource File"},
    };
    for (const Case& c : cases) {
        const std::string input = dir.Path(c.file);
        const char* loading =
            std::string(c.input) == kMapsourceTracks ? "Loading Mapsource Tracks" : "Loading Mapsource Waypoints";
        const HeadlessResult run = RunHeadless({c.input, c.output, dir.Path("out"), input});
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(run.lines,
                  (std::vector<std::string>{loading, input, "message: " + c.message, c.paneLine, "Unable to Open File",
                                            "Written: nothing - the input file could not be read", "", "Done ....."}));
    }
    for (const char* name : outputs) EXPECT_EQ(ReadText(dir.Path(name)), kEarlier) << name;
    EXPECT_FALSE(fs::exists(dir.Path("out_1.plt")));
}

TEST(NothingLostEndToEnd, PointsWithoutAUsablePositionAreLeftOutAndCounted)
{
    TempDir dir;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    ByteBuilder b;
    b.u8(12).fixed("MapSend file", 12).u8('4').i32(2).u8(1).text("T").i32(4);
    b.f64(-0.1).f64(-51.5).f32(30).u32(901281600).i32(1).u8(0);
    b.f64(nan).f64(-51.5).f32(30).u32(901281660).i32(1).u8(0);
    b.f64(-0.2).f64(-std::numeric_limits<double>::infinity()).f32(30).u32(901281720).i32(1).u8(0);
    b.f64(-0.3).f64(-51.7).f32(std::numeric_limits<float>::infinity()).u32(901281780).i32(1).u8(0);
    WriteText(dir.Path("walk.trk"), b.str());
    const HeadlessResult run = RunHeadless({kMapsendTrack, kKesTrack, dir.Path("walk.plt"), dir.Path("walk.trk")});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.lines[run.lines.size() - 3],
              "Written: 2 track points; 2 points without a usable position were left out");
    const std::string track = ReadText(dir.Path("walk.plt"));
    const auto lines = SplitCrLf(track);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[7].substr(0, 34), "  51.700000,  -0.300000,0,   -777,");
    EXPECT_EQ(track.find("nan"), std::string::npos);
    EXPECT_EQ(track.find("inf"), std::string::npos);
}
