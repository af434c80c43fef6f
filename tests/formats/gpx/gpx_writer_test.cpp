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
