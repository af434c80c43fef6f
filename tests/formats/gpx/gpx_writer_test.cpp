// SPDX-License-Identifier: GPL-3.0-or-later
// The GPX writer: the exact file, schema validity, and the round trip
// through the native files.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/store.h"
#include "formats/gpx/Gpx.h"
#include "formats/native/Kes.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/test_files.h"

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const std::string kLeftOut =
    "Only points with a latitude from -90 to 90 and a longitude from -180 to 180 are saved - this is a limitation of "
    "the gpx format.";
const std::string kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                          "<gpx version=\"1.1\" creator=\"kesTranscribe\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
                          "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                          "xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v1\" "
                          "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 "
                          "http://www.topografix.com/GPX/1/1/gpx.xsd\">\r\n"
                          "  <metadata><time>2023-03-15T12:00:00Z</time></metadata>\r\n";

void SetPoint(TrackPoint& p, double lat, double lon, int section, float metres, double day)
{
    p = {lat, lon, section, metres, day};
}

// A store with something of everything a writer must handle.
void FillWaypointsAndRoutes()
{
    ClearWaypoints();
    ClearRoutes();
    WaypointCount = 3;
    WayPoints& a = WaypointList[1];
    a.Name = "Summit & <top>";
    a.Description = "view \"north\"\x01\xE9\x80";
    a.Latitude = 47.608;
    a.Longitude = -122.335;
    a.Altitude = 328.08f;
    a.DateTime = 36000.5;
    a.Symbol = 60;
    WaypointList[2].Latitude = -0.0;
    WaypointList[2].Longitude = 180;
    WaypointList[3].Latitude = kNaN;
    RouteCount = 2;
    RouteRecord& out = RouteList[1];
    out.Name = "Out";
    out.PointCount = 2;
    out.Points[1].Number = 1;
    out.Points[1].Name = "P1";
    out.Points[1].Latitude = 1.5;
    out.Points[1].Longitude = 2.5;
    out.Points[2].Number = 0;  // no point
    RouteRecord& back = RouteList[3];
    back.PointCount = 1;
    back.Points[1] = out.Points[1];
    back.Points[1].Name = "";
    back.Points[1].Description = "d";
    back.Points[1].Symbol = 36;
}

void FillTrack(const std::string& name, const std::string& description)
{
    ClearTracks();
    TrackProps.Name = name;
    TrackProps.Description = description;
    TrackProps.PointCount = 5;
    SetPoint(TrackPointList[0], 51.5, -0.1, 1, 30.48f, 36000.5);
    SetPoint(TrackPointList[1], 51.6, -0.1, 0, kNoAltitude, 36000.5 + 1 / 86400.0);
    SetPoint(TrackPointList[2], 95, -0.1, 1, 5, 36000.5);  // out of range, but its section still starts
    SetPoint(TrackPointList[3], 51.7, -0.1, 0, static_cast<float>(-777 / 3.2808), 36000.5 + 3 / 86400.0);
    SetPoint(TrackPointList[4], kNoPosition, kNoPosition, 0, 1e30f, 36000.5);  // the end
}

class GpxWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PinClock(45000.25, 45000.5);
        TimeZoneBias = 0;
        ClearDocumentInfo();  // a GPX read before leaves its metadata
    }
    void TearDown() override
    {
        UnpinClock();
        TimeZoneBias = 0;
    }
    TempDir dir;
    RecordingFrontEnd front;
    ScopedFrontEnd scope{front};
};
}  // namespace

TEST_F(GpxWriterTest, WaypointsAndRoutesAreWrittenExactly)
{
    FillWaypointsAndRoutes();
    WriteGpxWaypointFile(dir.Path("out.txt"));
    EXPECT_EQ(ReadText(dir.Path("out.gpx")),
              kHead + "  <wpt lat=\"47.608\" lon=\"-122.335\"><ele>99.99999</ele><time>1998-07-24T12:00:00Z</time>"
                      "<name>Summit &amp; &lt;top&gt;</name><desc>view &quot;north&quot;\xC3\xA9\xE2\x82\xAC</desc>"
                      "<sym>Summit</sym></wpt>\r\n"
                      "  <wpt lat=\"0\" lon=\"-180\"></wpt>\r\n"
                      "  <rte><name>Out</name>\r\n"
                      "    <rtept lat=\"1.5\" lon=\"2.5\"><name>P1</name></rtept>\r\n"
                      "  </rte>\r\n"
                      "  <rte><name>R3</name>\r\n"
                      "    <rtept lat=\"1.5\" lon=\"2.5\"><desc>d</desc><sym>Medical Facility</sym></rtept>\r\n"
                      "  </rte>\r\n"
                      "</gpx>\r\n");
    EXPECT_EQ(front.messages, std::vector<std::string>{kLeftOut});
}

TEST_F(GpxWriterTest, TracksAreWrittenExactlyWithASegmentPerSection)
{
    GpxTrackWriter writer(dir.Path("tracks"));
    FillTrack("Day 1", "by bike");
    writer.AddStoreTrack();
    FillTrack("", "walk.plt");  // as the native track reader leaves it
    TrackProps.PointCount = 1;
    writer.AddStoreTrack();
    EXPECT_EQ(writer.TrackCount(), 2);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("tracks.gpx")));
    writer.Commit();
    EXPECT_EQ(ReadText(dir.Path("tracks.gpx")),
              kHead +
                  "  <trk><name>Day 1</name><desc>by bike</desc>\r\n"
                  "    <trkseg>\r\n"
                  "      <trkpt lat=\"51.5\" lon=\"-0.1\"><ele>30.48</ele><time>1998-07-24T12:00:00Z</time></trkpt>\r\n"
                  "      <trkpt lat=\"51.6\" lon=\"-0.1\"><time>1998-07-24T12:00:01Z</time></trkpt>\r\n"
                  "    </trkseg>\r\n"
                  "    <trkseg>\r\n"
                  "      <trkpt lat=\"51.7\" lon=\"-0.1\"><time>1998-07-24T12:00:03Z</time></trkpt>\r\n"
                  "    </trkseg>\r\n"
                  "  </trk>\r\n"
                  "  <trk><name>walk.plt</name>\r\n"
                  "    <trkseg>\r\n"
                  "      <trkpt lat=\"51.5\" lon=\"-0.1\"><ele>30.48</ele><time>1998-07-24T12:00:00Z</time></trkpt>\r\n"
                  "    </trkseg>\r\n"
                  "  </trk>\r\n"
                  "</gpx>\r\n");
    EXPECT_EQ(front.messages, std::vector<std::string>{kLeftOut});

    // Times that are only the time of reading are no times of the points.
    GpxTrackWriter reading(dir.Path("reading.gpx"), StoreTimes::TimeOfReading);
    reading.AddStoreTrack();
    reading.Commit();
    EXPECT_EQ(ReadText(dir.Path("reading.gpx")),
              kHead + "  <trk><name>walk.plt</name>\r\n"
                      "    <trkseg>\r\n"
                      "      <trkpt lat=\"51.5\" lon=\"-0.1\"><ele>30.48</ele></trkpt>\r\n"
                      "    </trkseg>\r\n"
                      "  </trk>\r\n"
                      "</gpx>\r\n");
}

TEST_F(GpxWriterTest, EveryFileWrittenValidatesAgainstTheSchema)
{
    if (!GpxSchemaPresent()) GTEST_SKIP() << "no schema";
    ClearWaypoints();
    ClearRoutes();
    WriteGpxWaypointFile(dir.Path("empty.gpx"));
    EXPECT_EQ(GpxSchemaErrors(dir.Path("empty.gpx")), "");

    FillWaypointsAndRoutes();
    WaypointList[1].Altitude = 1e30f;  // no elevation, but never a number no parser takes
    WaypointList[2].Latitude = 1e-300;
    WaypointList[2].DateTime = 1e300;
    WriteGpxWaypointFile(dir.Path("waypoints.gpx"));
    EXPECT_EQ(GpxSchemaErrors(dir.Path("waypoints.gpx")), "");

    GpxTrackWriter writer(dir.Path("tracks.gpx"));
    for (int t = 0; t < 3; ++t) {
        FillTrack("T" + std::to_string(t), "");
        TrackProps.PointCount = t;  // an empty track, then one and two points
        writer.AddStoreTrack();
    }
    writer.Commit();
    EXPECT_EQ(GpxSchemaErrors(dir.Path("tracks.gpx")), "");
}

TEST_F(GpxWriterTest, ARoundTripThroughTheNativeFilesKeepsWhatTheyHold)
{
    WriteText(
        dir.Path("in.gpx"),
        "<gpx><wpt lat=\"42.438878\" lon=\"-71.119277\"><ele>44.586548</ele><time>2001-11-28T21:05:28Z</time>"
        "<name>Qu\xC3\xA9"
        "bec</name><desc>a &amp; b</desc><sym>Crossing</sym></wpt><wpt lat=\"-33.8568\" "
        "lon=\"151.2153\"/><trk><name>Ride</name><trkseg><trkpt lat=\"40.18894976936280727\" lon=\"-105.178360976\">"
        "<ele>1531.4</ele><time>2023-01-16T18:02:26.500Z</time></trkpt><trkpt lat=\"40.19\" lon=\"-105.18\"/>"
        "</trkseg><trkseg><trkpt lat=\"40.2\" lon=\"-105.2\"><ele>-12</ele></trkpt></trkseg></trk>"
        "<trk><name>Second</name><trkseg><trkpt lat=\"1\" lon=\"2\"/></trkseg></trk></gpx>");
    // Positions to 6 decimals, altitudes to whole feet, times to 1e-7 day: what the native files hold.
    const auto expectClose = [](const auto& a, const auto& b, double altitude) {
        EXPECT_NEAR(a.Latitude, b.Latitude, 5e-7);
        EXPECT_NEAR(a.Longitude, b.Longitude, 5e-7);
        EXPECT_NEAR(a.Altitude, b.Altitude, altitude);
        EXPECT_NEAR(a.DateTime, b.DateTime, 5e-8);
    };

    ReadGpxWaypointFile(dir.Path("in.gpx"));
    const std::vector<WayPoints> before{WaypointList[1], WaypointList[2]};
    WriteWaypointFile(dir.Path("native.wpt"));
    ReadWaypointFile(dir.Path("native.wpt"));
    WriteGpxWaypointFile(dir.Path("back.gpx"));
    ReadGpxWaypointFile(dir.Path("back.gpx"));
    ASSERT_EQ(WaypointCount, 2);
    for (int i = 1; i <= 2; ++i) {
        const WayPoints& b = before[i - 1];
        expectClose(WaypointList[i], b, 0.5);
        EXPECT_EQ(WaypointList[i].Name, b.Name);
        EXPECT_EQ(WaypointList[i].Description, b.Description);
        EXPECT_EQ(WaypointList[i].Symbol, b.Symbol);
    }

    std::vector<std::vector<TrackPoint>> tracks;
    std::vector<std::string> names;
    ReadGpxTrackFile(dir.Path("in.gpx"), [&](int n) {
        // The table is kept in blocks: taken point by point.
        tracks.emplace_back();
        for (int i = 0; i < TrackProps.PointCount; ++i) tracks.back().push_back(TrackPointList[i]);
        names.push_back(TrackProps.Name);
        WriteTrackFile(dir.Path("native_" + std::to_string(n) + ".plt"));
    });
    GpxTrackWriter writer(dir.Path("back.gpx"));
    for (std::size_t n = 1; n <= tracks.size(); ++n) {
        ReadTrackFile(dir.Path("native_" + std::to_string(n) + ".plt"));
        writer.AddStoreTrack();
    }
    writer.Commit();
    std::size_t t = 0;
    ReadGpxTrackFile(dir.Path("back.gpx"), [&](int) {
        ASSERT_LT(t, tracks.size());
        EXPECT_EQ(TrackProps.Name, names[t]);
        ASSERT_EQ(TrackProps.PointCount, static_cast<int>(tracks[t].size()));
        for (int i = 0; i < TrackProps.PointCount; ++i) {
            expectClose(TrackPointList[i], tracks[t][i], 0.5 / kFeetPerMetre);
            EXPECT_EQ(TrackPointList[i].NewSection, tracks[t][i].NewSection);
        }
        ++t;
    });
    EXPECT_EQ(t, 2u);
    EXPECT_TRUE(front.messages.empty());
}

TEST_F(GpxWriterTest, WhatIsReadFromTheRealFilesIsWrittenValid)
{
    if (!GpxSchemaPresent()) GTEST_SKIP() << "no schema";
    for (const char* file :
         {"GC7FA4.gpx", "basecamp.gpx", "empty.gpx", "expertgps.gpx", "garminconnect.gpx", "gpxpassthrough10.gpx"}) {
        SCOPED_TRACE(file);
        ReadGpxWaypointFile(FixturePath(std::string("gpx/") + file));
        WriteGpxWaypointFile(dir.Path("waypoints.gpx"));
        EXPECT_EQ(GpxSchemaErrors(dir.Path("waypoints.gpx")), "");
        GpxTrackWriter writer(dir.Path("tracks.gpx"));
        ReadGpxTrackFile(FixturePath(std::string("gpx/") + file), [&](int) { writer.AddStoreTrack(); });
        writer.Commit();
        EXPECT_EQ(GpxSchemaErrors(dir.Path("tracks.gpx")), "");
    }
}
