// SPDX-License-Identifier: GPL-3.0-or-later
// GPX through the whole Convert action: every input into GPX, GPX into every
// legacy output, the tracks of several into one file, real files, hostile files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>

#include "core/text/text_encoding.h"
#include "core/time/clock.h"
#include "formats/document/DocumentText.h"
#include "formats/document/Symbols.h"
#include "formats/gpx/Gpx.h"
#include "formats/native/KesRecords.h"
#include "tests/support/format_positions.h"
#include "tests/support/sample_files.h"
#include "tests/support/test_files.h"

namespace {
namespace fs = std::filesystem;
constexpr std::size_t kTrackRecords = 131088;

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

std::int16_t SlotCount(const std::string& image, int slot)
{
    std::int16_t count = 0;
    std::memcpy(&count, image.data() + kTrackRecords + 44 * slot, sizeof count);
    return count;
}

std::vector<std::string> FilesIn(const TempDir& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Root())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Progress(const std::vector<std::string>& loading, const std::vector<std::string>& writing)
{
    std::vector<std::string> lines = loading;
    lines.insert(lines.end(), {"", "processing .....", ""});
    lines.insert(lines.end(), writing.begin(), writing.end());
    lines.insert(lines.end(), {"", "Done ....."});
    return lines;
}

// A GPX file of `tracks` tracks of `points` points each.
std::string GpxTracks(int tracks, int points)
{
    std::string gpx = "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\">";
    for (int t = 0; t < tracks; ++t) {
        gpx += "<trk><name>T" + std::to_string(t + 1) + "</name><trkseg>";
        for (int i = 0; i < points; ++i)
            gpx += "<trkpt lat=\"" + std::to_string(10 + t) + "\" lon=\"" + std::to_string(i * 1e-4) + "\"/>";
        gpx += "</trkseg></trk>";
    }
    return gpx + "</gpx>";
}
}  // namespace

TEST(GpxEndToEnd, EveryInputFormatConvertsIntoGpxThatValidates)
{
    TempDir dir;
    // The Holux images are made by the product from the native files first.
    WriteText(dir.Path("in.wpt"), samples::KesWaypoints());
    WriteText(dir.Path("in.plt"), samples::KesTrack());
    ASSERT_EQ(RunHeadless({kKesWaypoint, kHoluxWaypoint, dir.Path("in.wrt"), dir.Path("in.wpt")}).exitCode, 0);
    ASSERT_EQ(RunHeadless({kKesTrack, kHoluxTrack, dir.Path("in.tlg"), dir.Path("in.plt")}).exitCode, 0);
    const struct {
        int position;
        bool waypoints;
        const char* file;
        std::string content;  // empty: made above
        bool timeOfReading;   // the points have no time in the file: none is written
    } inputs[] = {
        {0, true, "in.wpt", "", false},
        {1, false, "in.plt", "", false},
        {2, true, "in.wrt", "", false},
        {3, false, "in.tlg", "", true},
        {4, true, "ms.wpt", samples::MapsendWaypoints(), true},
        {5, false, "ms.trk", samples::MapsendTrack(), false},
        {6, true, "nob.txt", samples::Nobletec(), true},
        {7, false, "nob.txt", samples::Nobletec(), true},
        {8, false, "log.nmea", samples::Nmea(), false},
        {9, true, "mag-wpt.log", samples::kMagellanWaypoint, true},
        {10, false, "mag-trk.log", samples::kMagellanTrack, false},
        {11, true, "in.mps", samples::MapsourceWaypoints(), true},
        {12, false, "in.gdb", samples::MapsourceTracks(), false},
        {13, true, "in.ov2", samples::Ov2(), false},
    };
    for (const auto& in : inputs) {
        SCOPED_TRACE(in.file);
        if (!in.content.empty()) WriteText(dir.Path(in.file), in.content);
        const bool waypoints = in.waypoints;
        const std::string output = dir.Path("out" + std::to_string(in.position) + ".gpx");
        const HeadlessResult r = RunHeadless(
            {std::to_string(in.position), waypoints ? kGpxWaypointsOut : kGpxTrackOut, output, dir.Path(in.file)});
        ASSERT_EQ(r.exitCode, 0) << r.output;
        ASSERT_GE(r.lines.size(), 5u) << r.output;
        EXPECT_EQ(r.lines.back(), "Done .....");
        EXPECT_EQ(r.lines[r.lines.size() - 5], waypoints ? "Writing GPX Waypoint file" : "Writing GPX Track file");
        EXPECT_EQ(r.lines[r.lines.size() - 4], output);
        const std::string gpx = ReadText(output);
        EXPECT_GT(Count(gpx, waypoints ? "<wpt " : "<trkpt "), 0u) << gpx;
        if (in.timeOfReading) {
            EXPECT_EQ(Count(gpx, "<time>"), 1u) << gpx;  // the file's own, in its metadata
        }
        if (GpxSchemaPresent()) {
            EXPECT_EQ(GpxSchemaErrors(output), "");
        }
    }
}

TEST(GpxEndToEnd, GpxConvertsIntoEachLegacyOutput)
{
    TempDir dir;
    const std::string input = dir.Path("in.gpx");
    WriteText(input, samples::kGpx);

    HeadlessResult r = RunHeadless({kGpxWaypointsIn, kKesWaypoint, dir.Path("w.txt"), input});
    EXPECT_EQ(r.lines, Progress({"Loading GPX Waypoints", input},
                                {"Writing Kes Waypoint file", dir.Path("w.wpt"), "Writing Kes Route file",
                                 dir.Path("w.rte"), "Written: 2 waypoints, 1 route"}));
    const std::vector<std::string> waypoints = SplitCrLf(ReadText(dir.Path("w.wpt")));
    ASSERT_EQ(waypoints.size(), 6u);
    EXPECT_EQ(waypoints[4].substr(0, 32), "   1,Home,  52.100000,   4.30000");

    r = RunHeadless({kGpxWaypointsIn, kHoluxWaypoint, dir.Path("w.wrt"), input});
    EXPECT_EQ(r.lines, Progress({"Loading GPX Waypoints", input},
                                {"Writing Holux Waypoint file", dir.Path("w.wrt"), "Written: 2 waypoints, 0 routes"}));
    EXPECT_EQ(fs::file_size(dir.Path("w.wrt")), 32768u);

    r = RunHeadless({kGpxTracksIn, kKesTrack, dir.Path("t.plt"), input});
    EXPECT_EQ(r.lines, Progress({"Loading GPX Tracks", input}, {"Writing Kes Track file(s)", dir.Path("t.plt"),
                                                                "Written: 4 track points in 2 track files"}));
    const std::vector<std::string> morning = SplitCrLf(ReadText(dir.Path("t_1.plt")));
    ASSERT_EQ(morning.size(), 9u);
    EXPECT_EQ(morning[4], "0,2,255,Morning,1,0,0,255");
    EXPECT_EQ(morning[8].substr(0, 25), "  52.120000,   4.320000,1");  // the second segment
    EXPECT_EQ(SplitCrLf(ReadText(dir.Path("t_2.plt"))).size(), 7u);

    r = RunHeadless({kGpxTracksIn, kHoluxTrack, dir.Path("t.tlg"), input});
    EXPECT_EQ(r.lines, Progress({"Loading GPX Tracks", input},
                                {"Writing Holux Track file", dir.Path("t.tlg"), "Written: 4 track points"}));
    const std::string image = ReadText(dir.Path("t.tlg"));
    ASSERT_EQ(image.size(), 133120u);
    EXPECT_EQ(SlotCount(image, 0), 3);
    EXPECT_EQ(SlotCount(image, 1), 1);
    EXPECT_EQ(image.substr(kTrackRecords + 4, 8), std::string("Morning\0", 8));
    EXPECT_FALSE(fs::exists(dir.Path("t_3.plt")));  // only the native output above made track files
}

// Inputs of several tracks, and native track files chosen together: one GPX
// file holds them all, and no other file is left beside it.
TEST(GpxEndToEnd, TracksOfSeveralGoIntoOneGpxFile)
{
    const struct {
        const char* what;
        std::string position;
        std::vector<std::pair<std::string, std::string>> inputs;  // name, content
        std::size_t tracks;
    } cases[] = {
        {"MapSource", kMapsourceTracks, {{"in.gdb", samples::MapsourceTracks(3, 2)}}, 3},
        {"Holux image", kHoluxTrack, {{"in.tlg", ""}}, 2},
        {"chosen together",
         kKesTrack,
         {{"a.plt", samples::KesTrack("A")},
          {"b.plt", samples::KesTrack("B")},
          {"c.plt", samples::KesTrack("C")},
          {"d.plt", samples::KesTrack("D")},
          {"e.plt", samples::KesTrack("E")},
          {"f.plt", samples::KesTrack("F")}},
         6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        std::vector<std::string> arguments = {c.position, kGpxTrackOut, dir.Path("all.gpx")};
        std::vector<std::string> names;
        for (const auto& [name, content] : c.inputs) {
            arguments.push_back(dir.Path(name));
            names.push_back(name);
            if (!content.empty()) WriteText(dir.Path(name), content);
        }
        if (c.inputs.front().first == "in.tlg") {
            // Two tracks made into an image by the product, the track files then taken away.
            WriteText(dir.Path("one.plt"), samples::KesTrack("One"));
            WriteText(dir.Path("two.plt"), samples::KesTrack("Two"));
            ASSERT_EQ(
                RunHeadless({kKesTrack, kHoluxTrack, dir.Path("in.tlg"), dir.Path("one.plt"), dir.Path("two.plt")})
                    .exitCode,
                0);
            fs::remove(dir.Path("one.plt"));
            fs::remove(dir.Path("two.plt"));
        }
        const HeadlessResult r = RunHeadless(arguments);
        ASSERT_EQ(r.exitCode, 0) << r.output;
        std::vector<std::string> loading = {r.lines.front()};
        loading.insert(loading.end(), arguments.begin() + 3, arguments.end());  // every file chosen is listed
        EXPECT_EQ(r.lines, Progress(loading, {"Writing GPX Track file", dir.Path("all.gpx"),
                                              "Written: " + std::to_string(2 * c.tracks) + " track points"}));
        names.push_back("all.gpx");
        std::sort(names.begin(), names.end());
        EXPECT_EQ(FilesIn(dir), names);
        const std::string gpx = ReadText(dir.Path("all.gpx"));
        EXPECT_EQ(Count(gpx, "<trk>"), c.tracks);
        if (GpxSchemaPresent()) {
            EXPECT_EQ(GpxSchemaErrors(dir.Path("all.gpx")), "");
        }
    }
}

TEST(GpxEndToEnd, GpxTracksIntoAHoluxImageKeepFiveWithItsMessages)
{
    TempDir dir;
    WriteText(dir.Path("six.gpx"), GpxTracks(6, 2501));
    const HeadlessResult r = RunHeadless({kGpxTracksIn, kHoluxTrack, dir.Path("six.tlg"), dir.Path("six.gpx")});
    EXPECT_EQ(r.lines,
              Progress({"Loading GPX Tracks", dir.Path("six.gpx")},
                       {"Writing Holux Track file", dir.Path("six.tlg"), "Written: 12500 track points",
                        "message: Only the first 5 selected Tracks are saved - this is a limitation of the tlg format.",
                        "message: Only the first 2500 Track Points are saved from each track - this is a "
                        "limitation of the tlg format."}));
    const std::string image = ReadText(dir.Path("six.tlg"));
    for (int slot = 0; slot < 5; ++slot) EXPECT_EQ(SlotCount(image, slot), 2500) << slot;
    EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"six.gpx", "six.tlg"}));
}

// The native files hold positions to 6 decimals, altitudes in whole feet and
// times to 1e-7 day (under 10 ms); names, descriptions and symbols as their
// 8-bit columns hold them.
TEST(GpxEndToEnd, RealFilesRoundTripThroughTheNativeFiles)
{
    TempDir dir;
    const auto expectClose = [](const Point& a, const Point& b, double metres) {
        EXPECT_NEAR(a.latitude, b.latitude, 5e-7);
        EXPECT_NEAR(a.longitude, b.longitude, 5e-7);
        EXPECT_EQ(a.HasElevation(), b.HasElevation());
        if (a.HasElevation() && b.HasElevation()) {
            EXPECT_NEAR(a.elevation, b.elevation, metres);
        }
        ASSERT_EQ(a.time.has_value(), b.time.has_value());
        if (a.time) {
            EXPECT_NEAR(DayCountOf(*a.time), DayCountOf(*b.time), 1e-7);
        }
    };
    const auto read = [](const std::string& file) { return ReadGpxFile(InputSource::File(file), {}).document; };

    const std::string points = FixturePath("gpx/expertgps.gpx");
    ASSERT_EQ(RunHeadless({kGpxWaypointsIn, kKesWaypoint, dir.Path("points.wpt"), points}).exitCode, 0);
    ASSERT_EQ(RunHeadless({kKesWaypoint, kGpxWaypointsOut, dir.Path("points.gpx"), dir.Path("points.wpt")}).exitCode,
              0);
    const std::vector<Point> original = read(points).waypoints.ToVector();
    const std::vector<Point> back = read(dir.Path("points.gpx")).waypoints.ToVector();
    ASSERT_EQ(back.size(), 86u);
    ASSERT_EQ(original.size(), 86u);
    for (std::size_t i = 0; i < back.size(); ++i) {
        const Point &a = back[i], &b = original[i];
        expectClose(a, b, 0.5 / kFeetPerMetre);
        EXPECT_EQ(a.name, LegacyToUtf8(kes::NativeText(b.name)));
        EXPECT_EQ(a.description, LegacyToUtf8(kes::NativeText(b.description.empty() ? b.comment : b.description)));
        EXPECT_EQ(SymbolFromName(a.symbol), SymbolFromName(b.symbol));
    }
    // Routes go through the native route file only with the waypoints they name.
    if (GpxSchemaPresent()) {
        EXPECT_EQ(GpxSchemaErrors(dir.Path("points.gpx")), "");
    }

    const std::string ride = FixturePath("gpx/garminconnect.gpx");
    ASSERT_EQ(RunHeadless({kGpxTracksIn, kKesTrack, dir.Path("ride.plt"), ride}).exitCode, 0);
    ASSERT_EQ(RunHeadless({kKesTrack, kGpxTrackOut, dir.Path("ride.gpx"), dir.Path("ride_1.plt")}).exitCode, 0);
    const Document rideBack = read(dir.Path("ride.gpx"));
    ASSERT_EQ(rideBack.tracks.size(), 1u);
    EXPECT_EQ(rideBack.tracks[0].info.name, "Boulder Cycling");
    const std::vector<Point> track = read(ride).tracks.at(0).points.ToVector();
    const std::vector<Point> trackBack = rideBack.tracks[0].points.ToVector();
    ASSERT_EQ(trackBack.size(), 68u);
    for (std::size_t i = 0; i < trackBack.size(); ++i) expectClose(trackBack[i], track.at(i), 0.5 / kFeetPerMetre);
    if (GpxSchemaPresent()) {
        EXPECT_EQ(GpxSchemaErrors(dir.Path("ride.gpx")), "");
    }
}

TEST(GpxEndToEnd, HostileGpxGivesAClearMessageAndNoCrash)
{
    std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [\n<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">\n";
    for (char e = 'b'; e <= 'k'; ++e) {
        bomb += std::string("<!ENTITY ") + e + " \"";
        for (int k = 0; k < 10; ++k) bomb += std::string("&") + static_cast<char>(e - 1) + ";";
        bomb += "\">\n";
    }
    bomb += "]>\n<gpx><trk><name>&k;</name><trkseg><trkpt lat=\"1\" lon=\"1\"/></trkseg></trk></gpx>\n";
    const std::string head = "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>";
    const std::string point = "<trkpt lat=\"1\" lon=\"2\"/>";
    const struct {
        const char* what;
        std::string content;
        const char* message;  // the start of the one message box
        const char* written;
    } cases[] = {
        {"empty", "", "This is not a GPX file: no element found",
         "Written: nothing - the input file could not be read"},
        {"not XML", "$GPRMC,123519,A,4807.038,N\r\n", "This is not a GPX file: not well-formed",
         "Written: nothing - the input file could not be read"},
        {"truncated", head + point + point + "<trkpt lat=", "The GPX file is damaged at line 1, column ",
         "Written: 2 track points"},
        {"wrong nesting", head + point + "<trkpt lat=\"1\" lon=\"1\"><ele>1</trkpt></ele>",
         "The GPX file is damaged at line 1, column ", "Written: 1 track point"},
        {"invalid UTF-8", head + point + "<trkpt lat=\"1\" lon=\"1\"><name>\xC3\x28</name></trkpt>",
         "The GPX file is damaged at line 1, column ", "Written: 1 track point"},
        {"billion laughs", bomb, "The GPX file is damaged at line ",
         "Written: no track points - none were found in the part of the input read"},
        {"positions out of range or not numbers",
         head + point +
             "<trkpt lat=\"91\" lon=\"0\"/><trkpt lat=\"NaN\" lon=\"0\"/><trkpt lat=\"0\" lon=\"1e400\"/>"
             "<trkpt lon=\"1\"/></trkseg></trk></gpx>",
         nullptr, "Written: 1 track point; 4 points without a usable position were left out"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        WriteText(dir.Path("in.gpx"), c.content);
        const HeadlessResult r = RunHeadless({kGpxTracksIn, kKesTrack, dir.Path("out.plt"), dir.Path("in.gpx")});
        ASSERT_EQ(r.exitCode, 0) << r.output;
        std::vector<std::string> messages;
        for (const std::string& line : r.lines)
            if (line.rfind("message: ", 0) == 0) messages.push_back(line.substr(9));
        ASSERT_EQ(messages.size(), c.message ? 1u : 0u) << r.output;
        if (c.message) {
            EXPECT_EQ(messages[0].rfind(c.message, 0), 0u) << messages[0];
        }
        ASSERT_GE(r.lines.size(), 3u);
        EXPECT_EQ(r.lines[r.lines.size() - 3], c.written);
        EXPECT_EQ(r.lines.back(), "Done .....");
    }
}

TEST(GpxEndToEnd, ARefusedInputLeavesAnEarlierGpxFileAsItWas)
{
    TempDir dir;
    WriteText(dir.Path("in.gdb"), "MsRc");
    WriteText(dir.Path("out.gpx"), "earlier");
    const HeadlessResult r = RunHeadless({kMapsourceTracks, kGpxTrackOut, dir.Path("out.gpx"), dir.Path("in.gdb")});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.lines[r.lines.size() - 3], "Written: nothing - the input file could not be read");
    EXPECT_EQ(ReadText(dir.Path("out.gpx")), "earlier");
    EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"in.gdb", "out.gpx"}));  // no temporary file left
}

// Larger than what is parsed whole, so read in chunks: the peak stays far
// below the file's size.
TEST(GpxEndToEnd, ALargeFileIsReadInFlatMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizers' own memory hides the program's";
#endif
    TempDir dir;
    {
        // Written as it is made: a child starts as a copy of this process, whose size it would report.
        std::ofstream gpx(dir.Path("large.gpx"), std::ios::binary);
        gpx << "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\">";
        const std::string point = "<trkpt lat=\"47.644548\" lon=\"-122.326897\"><ele>4.46</ele>"
                                  "<time>2009-10-17T18:37:26Z</time></trkpt>\n";
        for (int t = 0; t < 5; ++t) {
            gpx << "<trk><trkseg>\n";
            for (int i = 0; i < 100000; ++i) gpx << point;
            gpx << "</trkseg></trk>\n";
        }
        gpx << "</gpx>\n";
    }
    ASSERT_GT(fs::file_size(dir.Path("large.gpx")), 40u << 20);
    const HeadlessResult r = RunHeadless({kGpxTracksIn, kKesTrack, dir.Path("out.plt"), dir.Path("large.gpx")});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.lines[r.lines.size() - 3], "Written: 500000 track points in 5 track files");
    struct rusage usage {};
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &usage), 0);
    EXPECT_LT(usage.ru_maxrss, 64 << 10) << "kilobytes, of the largest child so far";
}
