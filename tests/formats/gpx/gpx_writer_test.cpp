// SPDX-License-Identifier: GPL-3.0-or-later
// The GPX writer: the exact file, schema validity, and the round trip
// through the native files.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/time/clock.h"
#include "formats/gpx/Gpx.h"
#include "formats/native/Kes.h"
#include "tests/support/test_files.h"

namespace {
const Finding kLeftOut{FindingKind::Cut,
                       "Only points with a latitude from -90 to 90 and a longitude from -180 to 180 are saved - this "
                       "is a limitation of the gpx format.",
                       1};
const std::string kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                          "<gpx version=\"1.1\" creator=\"kesTranscribe\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
                          "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                          "xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\" "
                          "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 "
                          "http://www.topografix.com/GPX/1/1/gpx.xsd\">\r\n"
                          "  <metadata><time>2023-03-15T12:00:00Z</time></metadata>\r\n";
const UtcTime kNoon = *UtcTimeOf(1998, 7, 24, 12, 0, 0);

Point At(double lat, double lon, double metres = kNoValue, std::optional<UtcTime> time = {}, bool newSection = false)
{
    Point p;
    p.latitude = lat;
    p.longitude = lon;
    p.elevation = metres;
    p.time = time;
    p.newSection = newSection;
    return p;
}

UtcTime Plus(UtcTime time, int seconds) { return {time.seconds + seconds, time.nanoseconds}; }

// Something of everything a writer must handle, as readers leave it.
Document WaypointsAndRoutes()
{
    Document d;
    Point a = At(47.608, -122.335, 99.99999, kNoon);
    a.name = "Summit & <top>";
    a.description = "view \"north\"\x01\xC3\xA9\xE2\x82\xAC";
    a.symbol = "Summit";
    d.waypoints = {a, At(-0.0, 180), At(NAN, 0)};
    Point p1 = At(1.5, 2.5);
    p1.name = "P1";
    Point p3 = At(1.5, 2.5);
    p3.description = "d";
    p3.symbol = "Medical Facility";
    d.routes = {{{.name = "Out"}, {p1}}, {{.name = "Empty"}, {}}, {{.name = "R3"}, {p3}}};
    return d;
}

Track DayOne()
{
    return {{.name = "Day 1", .description = "by bike"},
            {At(51.5, -0.1, 30.48, kNoon, true), At(51.6, -0.1, kNoValue, Plus(kNoon, 1)),
             At(95, -0.1, 5, kNoon, true),  // out of range, but its section still starts
             At(51.7, -0.1, kNoValue, Plus(kNoon, 3))}};
}

class GpxWriterTest : public ::testing::Test {
protected:
    WriteResult Write(WriteResult (*writer)(const Document&, const WriteRequest&), const Document& document,
                      const std::string& name, bool exactNames = true)
    {
        WriteRequest request;
        request.outputName = dir.Path(name);
        request.exactNames = exactNames;
        request.clock = Clock::Fixed(45000.25, 45000.5);
        return writer(document, request);
    }
    TempDir dir;
};
}  // namespace

TEST_F(GpxWriterTest, WaypointsAndRoutesAreWrittenExactly)
{
    const WriteResult written = Write(WriteGpxWaypointFile, WaypointsAndRoutes(), "out.txt", false);
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
    EXPECT_EQ(written.counts, (WrittenCounts{.waypoints = 2, .routes = 2}));
    EXPECT_EQ(written.findings.All(), std::vector<Finding>{kLeftOut});
}

TEST_F(GpxWriterTest, TracksAreWrittenExactlyWithASegmentPerSection)
{
    Document document;
    document.waypoints = {At(1, 2)};  // not a part of a track file
    document.tracks = {DayOne(), {{.name = "walk.plt"}, {At(51.5, -0.1, 30.48, kNoon, true)}}};
    const WriteResult written = Write(WriteGpxTrackFile, document, "tracks", false);
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
    EXPECT_EQ(written.counts, (WrittenCounts{.trackPoints = 4, .tracks = 2}));
    EXPECT_EQ(written.findings.All(), std::vector<Finding>{kLeftOut});

    // A time of day without its date is no time of the point.
    document.tracks.erase(document.tracks.begin());
    Point undated = At(51.5, -0.1, 30.48, kNoon, true);
    undated.undated = true;
    document.tracks.front().points = {undated};
    Write(WriteGpxTrackFile, document, "undated.gpx");
    EXPECT_EQ(ReadText(dir.Path("undated.gpx")),
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
    Write(WriteGpxWaypointFile, Document{}, "empty.gpx");
    EXPECT_EQ(GpxSchemaErrors(dir.Path("empty.gpx")), "");

    Document odd = WaypointsAndRoutes();
    odd.waypoints = {At(47.608, -122.335, 1e30), At(1e-300, 180, 1, UtcTime{std::int64_t{1} << 60, 0})};
    odd.tracks = {{{.name = "T0"}, {}}, DayOne()};
    odd.tracks.back().points.push_back(At(51.8, -0.1, NAN, UtcTime{-(std::int64_t{1} << 40), 0}));
    Write(WriteGpxFile, odd, "odd.gpx");
    EXPECT_EQ(GpxSchemaErrors(dir.Path("odd.gpx")), "");
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
    // Positions to 6 decimals, elevations to whole feet, times to 1e-7 day: what the native files hold.
    const auto expectClose = [](const Point& a, const Point& b) {
        EXPECT_NEAR(a.latitude, b.latitude, 5e-7);
        EXPECT_NEAR(a.longitude, b.longitude, 5e-7);
        EXPECT_EQ(a.HasElevation(), b.HasElevation());
        if (a.HasElevation()) {
            EXPECT_NEAR(a.elevation, b.elevation, 0.5 / 3.2808);
        }
        const auto seconds = [](const UtcTime& t) { return static_cast<double>(t.seconds) + t.nanoseconds * 1e-9; };
        if (b.time) {
            EXPECT_NEAR(seconds(*a.time), seconds(*b.time), 0.005);
        }
        EXPECT_EQ(a.newSection, b.newSection);
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(a.description, b.description);
        // Symbol 0 of the native files is "Airport" and none alike.
        if (!b.symbol.empty()) {
            EXPECT_EQ(a.symbol, b.symbol);
        }
    };
    const auto read = [&](ReadResult (*reader)(const InputSource&, const ReadOptions&), const std::string& name) {
        return reader(InputSource::File(dir.Path(name)), ReadOptions{}).document;
    };
    const Document in = read(ReadGpxFile, "in.gpx");
    Write(WriteWaypointFile, in, "native.wpt");
    Write(WriteGpxWaypointFile, read(ReadWaypointFile, "native.wpt"), "back.gpx");
    const std::vector<Point> before = in.waypoints.ToVector(),
                             after = read(ReadGpxFile, "back.gpx").waypoints.ToVector();
    ASSERT_EQ(after.size(), 2u);
    for (std::size_t i = 0; i < after.size(); ++i) expectClose(after[i], before[i]);

    WriteRequest tracks;
    tracks.outputName = dir.Path("native.plt");
    tracks.numberTrackFiles = true;
    tracks.clock = Clock::Fixed(45000.25, 45000.5);
    WriteTrackFile(in, tracks);
    Document native;
    for (const char* file : {"native_1.plt", "native_2.plt"}) native.Append(read(ReadTrackFile, file));
    Write(WriteGpxTrackFile, native, "back.gpx");
    const Document back = read(ReadGpxFile, "back.gpx");
    ASSERT_EQ(back.tracks.size(), in.tracks.size());
    for (std::size_t t = 0; t < back.tracks.size(); ++t) {
        EXPECT_EQ(back.tracks[t].info.name, in.tracks[t].info.name);
        const std::vector<Point> a = back.tracks[t].points.ToVector(), b = in.tracks[t].points.ToVector();
        ASSERT_EQ(a.size(), b.size());
        for (std::size_t i = 0; i < a.size(); ++i) expectClose(a[i], b[i]);
    }
}

TEST_F(GpxWriterTest, WhatIsReadFromTheRealFilesIsWrittenValid)
{
    if (!GpxSchemaPresent()) GTEST_SKIP() << "no schema";
    for (const char* file :
         {"GC7FA4.gpx", "basecamp.gpx", "empty.gpx", "expertgps.gpx", "garminconnect.gpx", "gpxpassthrough10.gpx"}) {
        SCOPED_TRACE(file);
        const ReadResult read = ReadGpxFile(InputSource::File(FixturePath(std::string("gpx/") + file)), {});
        Write(WriteGpxFile, read.document, "everything.gpx");
        EXPECT_EQ(GpxSchemaErrors(dir.Path("everything.gpx")), "");
    }
}
