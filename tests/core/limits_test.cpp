// SPDX-License-Identifier: GPL-3.0-or-later
// Every native output that cuts its input at a capacity says so once, after
// the files are written, and says nothing when the input fits exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "core/convert/catalogue.h"
#include "core/convert/convert.h"
#include "core/time/clock.h"
#include "formats/format_table.h"
#include "tests/support/byte_builder.h"
#include "tests/support/mapsource_files.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/test_catalogue.h"
#include "tests/support/test_files.h"

namespace {
namespace ms = mapsource_files;

std::string CutMessage(const std::string& firstRead, const std::string& leftOut)
{
    return "Only the first " + firstRead + " - this is a limitation of kesTranscribe. " + leftOut + " left out.";
}
const std::string kWaypointsCut = CutMessage("10000 Waypoints are read", "The rest of the input file is");
const std::string kTrackPointsCut = CutMessage("100000 Track Points are read", "The rest of the input file is");
std::string EachTrackCut(int kept)
{
    return CutMessage(std::to_string(kept) + " Track Points are read from each track", "The rest of a longer track is");
}
const std::string kRoutesCut = CutMessage("100 Routes are read", "The later routes of the input file are");

std::string Lines(int n, const std::string& head, const std::function<std::string(int)>& line)
{
    std::string s = head;
    for (int i = 0; i < n; ++i) s += line(i);
    return s;
}

std::string MapsendWaypoints(int n)
{
    ByteBuilder b;
    b.u8(12).fixed("MapSend file", 12).u8('4').i32(1).i32(n);
    for (int i = 0; i < n; ++i) b.u8(1).text("W").u8(0).u32(0).u8(18).u8(0).f64(10).f64(7.25).f64(-46.5);
    return b.str();
}

std::string MapsendTrack(int n)
{
    ByteBuilder b;
    b.u8(12).fixed("MapSend file", 12).u8('4').i32(2).u8(1).text("T").i32(n);
    for (int i = 0; i < n; ++i) b.f64(-0.1).f64(-51.5).f32(30).u32(901281600).i32(1).u8(0);
    return b.str();
}

std::string TomTom(int n)
{
    ByteBuilder b;
    for (int i = 0; i < n; ++i) b.u8(2).i32(15).i32(489123).i32(5237403).zeroText("P");
    return b.str();
}

std::string MpsWaypoints(int n)
{
    ByteBuilder f = ms::MpsHeader(103);
    for (int i = 0; i < n; ++i) ms::MpsWaypoint(f, "W", 1, 2);
    return f.str();
}

// The waypoints are followed by a route: it is read when no waypoint beyond the table's end comes before it.
std::string GdbWaypoints(int n)
{
    ByteBuilder f = ms::GdbHeader(108);
    for (int i = 0; i < n; ++i) ms::GdbWaypoint(f, "W", 1, 2);
    ms::GdbRoute(f, "after", 2);
    return f.str();
}

std::string MpsTrack(int n)
{
    ByteBuilder f = ms::MpsHeader(103);
    ms::MpsTrack(f, "long", n);
    return f.str();
}

std::string GdbTrack(int n)
{
    ByteBuilder f = ms::GdbHeader(108);
    ms::GdbTrack(f, "long", n);
    return f.str();
}

std::string GdbRoutes(int n)
{
    ByteBuilder f = ms::GdbHeader(108);
    for (int r = 0; r < n; ++r) ms::GdbRoute(f, "R", 1);
    return f.str();
}

const char* const kKesWaypointHead = "Kestrelmaps Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\n\r\n";
const char* const kKesTrackHead = "h\r\nWGS 84\r\n\r\n\r\n0,2,255,T\r\n0\r\n";

struct Case {
    const char* name;
    int input, output;
    int capacity;
    std::function<std::string(int)> content;
    std::string message;
    std::int64_t WrittenCounts::*kept;  // what the output holds afterwards
};

std::vector<Case> Cases()
{
    constexpr int kKesWaypoints = Position(Output::KesWaypoint), kKesTrack = Position(Output::KesTrack);
    constexpr auto kWaypoints = &WrittenCounts::waypoints, kTrackPoints = &WrittenCounts::trackPoints;
    return {
        {"kes waypoints", Position(Input::KesWaypoint), Position(Output::HoluxWaypoint), 500,
         [](int n) { return Lines(n, kKesWaypointHead, [](int) { return "1,W,1,2\r\n"; }); },
         "Only the first 500 waypoints are saved - this is a limitation of the wrt format.", kWaypoints},
        {"kes track", Position(Input::KesTrack), Position(Output::HoluxTrack), 2500,
         [](int n) { return Lines(n, kKesTrackHead, [](int) { return "1,2,0\r\n"; }); },
         "Only the first 2500 Track Points are saved from each track - this is a limitation of the tlg format.",
         kTrackPoints},
        {"mapsend waypoints", Position(Input::MapsendWaypoint), kKesWaypoints, 10000, MapsendWaypoints, kWaypointsCut,
         kWaypoints},
        {"mapsend track", Position(Input::MapsendTrack), kKesTrack, 100000, MapsendTrack, kTrackPointsCut,
         kTrackPoints},
        {"nobletec marks", Position(Input::NobletecWaypoints), kKesWaypoints, 10000,
         [](int n) { return Lines(n, "", [](int) { return "Type = Mark\r\nLatLon = 47 36.5 N 122 20.1 W\r\n"; }); },
         kWaypointsCut, kWaypoints},
        {"nobletec track", Position(Input::NobletecTracks), kKesTrack, 100000,
         [](int n) {
             return Lines(n, "NumberOfTrackMarks = " + std::to_string(n) + "\r\nTrackMarks:\r\n",
                          [](int) { return "47 36.5 N 122 20.1 W\r\n"; });
         },
         kTrackPointsCut, kTrackPoints},
        {"nmea", Position(Input::Nmea), kKesTrack, 100000,
         [](int n) { return Lines(n, "", [](int) { return "$GPRMC,120000,A,4807.038,N,01131.000,E,,,230394\r\n"; }); },
         kTrackPointsCut, kTrackPoints},
        {"magellan waypoints", Position(Input::MagellanWaypoint), kKesWaypoints, 10000,
         [](int n) { return Lines(n, "", [](int) { return "$PMGNWPL,4807.038,N,01131.000,W,100,M,W,,a\r\n"; }); },
         kWaypointsCut, kWaypoints},
        {"magellan track", Position(Input::MagellanTrack), kKesTrack, 100000,
         [](int n) {
             return Lines(n, "", [](int) { return "$PMGNTRK,4807.038,N,01131.000,W,100,M,120000,A,,010120\r\n"; });
         },
         kTrackPointsCut, kTrackPoints},
        {"mps waypoints", Position(Input::MapsourceWaypoints), kKesWaypoints, 10000, MpsWaypoints, kWaypointsCut,
         kWaypoints},
        {"gdb waypoints", Position(Input::MapsourceWaypoints), kKesWaypoints, 10000, GdbWaypoints, kWaypointsCut,
         kWaypoints},
        {"gdb routes", Position(Input::MapsourceWaypoints), kKesWaypoints, 100, GdbRoutes, kRoutesCut,
         &WrittenCounts::routes},
        {"mps track", Position(Input::MapsourceTracks), kKesTrack, 100000, MpsTrack, EachTrackCut(100000),
         kTrackPoints},
        {"gdb track", Position(Input::MapsourceTracks), kKesTrack, 100000, GdbTrack, EachTrackCut(100000),
         kTrackPoints},
        {"tomtom", Position(Input::TomTom), kKesWaypoints, 10000, TomTom, kWaypointsCut, kWaypoints},
    };
}

class OutputLimits : public ::testing::Test {
protected:
    RecordingFrontEnd Run(const std::string& content, int input, int output, ConversionOutcome* outcome = nullptr)
    {
        WriteText(dir.Path("in.dat"), content);
        RecordingFrontEnd f;
        f.inputText = dir.Path("in.dat");
        f.inputPosition = input;
        f.outputText = dir.Path("out.dat");
        f.outputPosition = output;
        f.clock = Clock::Fixed(45000.5, 45000.5);
        const ConversionOutcome done = Convert(f);
        if (outcome) *outcome = done;
        return f;
    }

    TempDir dir;
};
}  // namespace

TEST_F(OutputLimits, EachNativeOutputAnnouncesItsCapacityOnceOnlyWhenTheInputGoesBeyondIt)
{
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        for (const int extra : {0, 1, 5}) {
            SCOPED_TRACE(extra);
            ConversionOutcome outcome;
            const RecordingFrontEnd f = Run(c.content(c.capacity + extra), c.input, c.output, &outcome);
            ASSERT_EQ(f.lines.back(), "Done .....");
            EXPECT_EQ(outcome.counts.*c.kept, c.capacity);
            EXPECT_EQ(std::count(f.messages.begin(), f.messages.end(), c.message), extra > 0 ? 1 : 0);
            // The boxes come after the files are written and the count line is shown.
            const auto box = std::find(f.events.begin(), f.events.end(), "message: " + c.message);
            if (box != f.events.end()) {
                EXPECT_EQ(std::prev(box)->rfind("line: Written: ", 0), 0u);
            }
        }
    }
}

TEST_F(OutputLimits, WaypointsBeyondTheCapacityLeaveTheRoutesAfterThem)
{
    RecordingFrontEnd f = Run(GdbWaypoints(10001), Position(Input::MapsourceWaypoints), Position(Output::KesWaypoint));
    EXPECT_EQ(f.lines[f.lines.size() - 3], "Written: 10000 waypoints, 1 route");
}

TEST_F(OutputLimits, TracksNotWrittenInWaypointModeAnnounceNothing)
{
    for (const auto& content : {MpsTrack(100001), GdbTrack(100002)}) {
        const RecordingFrontEnd f = Run(content, Position(Input::MapsourceWaypoints), Position(Output::KesWaypoint));
        EXPECT_TRUE(f.messages.empty());
        EXPECT_EQ(f.lines[f.lines.size() - 3], "Written: no waypoints and no routes - none were found in the input");
    }
}
