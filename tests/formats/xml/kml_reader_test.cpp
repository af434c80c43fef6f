// SPDX-License-Identifier: GPL-3.0-or-later
// The KML reader: placemarks, lines, timed tracks and extended data, what
// the product's own KML writer writes read back as it was, and damaged or
// hostile input.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "formats/kml/Kml.h"
#include "tests/formats/xml/xml_inputs.h"
#include "tests/support/odd_document.h"
#include "tests/support/test_files.h"

namespace {
std::string Kml(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\" "
           "xmlns:gx=\"http://www.google.com/kml/ext/2.2\"><Document><name>File</name>" +
           body + "</Document></kml>\n";
}

std::string CutAt(const std::string& file, const std::string& mark) { return file.substr(0, file.find(mark)); }

ReadResult Read(const std::string& content) { return ReadKmlFile(InputSource::Memory("in.kml", content), {}); }

// What a round trip keeps of a point: NaN elevations compare equal; a
// section started by a point left out starts with the next one; a track's
// points have no names in KML.
using Kept = std::tuple<double, double, double, std::optional<UtcTime>, std::string, bool>;
std::vector<Kept> KeptOf(const PointList& points, bool track = false)
{
    std::vector<Kept> kept;
    bool sectionWaiting = false;
    points.ForEach([&](const Point& p) {
        sectionWaiting = sectionWaiting || p.newSection;
        if (!ValidPosition(p)) return;
        const double elevation = p.HasElevation() ? p.elevation : 1e300;
        kept.emplace_back(p.latitude, p.longitude, elevation, p.time, track ? "" : p.name, track && sectionWaiting);
        sectionWaiting = false;
    });
    return kept;
}
}  // namespace

TEST(KmlReader, PlacemarksLinesAndTimedTracks)
{
    const ReadResult read = Read(
        Kml("<Folder><name>Mine</name><Placemark><name>Hut</name><description>warm</description>"
            "<TimeStamp><when>2020-01-01T10:00:00Z</when></TimeStamp><ExtendedData><Data name=\"cmt\"><value>c</value>"
            "</Data><SchemaData><SimpleData name=\"sym\">Lodge</SimpleData><SimpleData name=\"x\">1</SimpleData>"
            "</SchemaData></ExtendedData><Point><coordinates> 7.5,46.25,2100 </coordinates></Point></Placemark>"
            "<Placemark><name>Path</name><MultiGeometry><LineString><coordinates>7,46 7.1,46.1,5\n\t7.2,46.2"
            "</coordinates></LineString><LineString><coordinates>8,47</coordinates></LineString></MultiGeometry>"
            "</Placemark></Folder><Placemark><gx:MultiTrack><gx:Track><when>2020-01-01T10:00:00Z</when>"
            "<when>2020-01-01T10:00:01Z</when><gx:coord>7 46 1</gx:coord><gx:coord>7.1 46.1 2</gx:coord>"
            "</gx:Track></gx:MultiTrack></Placemark>"));
    EXPECT_EQ(read.document.metadata.name, "File");
    const std::vector<Point> w = read.document.waypoints.ToVector();
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(std::tie(w[0].name, w[0].description, w[0].comment, w[0].symbol),
              std::make_tuple("Hut", "warm", "c", "Lodge"));
    EXPECT_EQ(std::make_tuple(w[0].latitude, w[0].longitude, w[0].elevation), std::make_tuple(46.25, 7.5, 2100.0));
    EXPECT_EQ(w[0].time, ParseIsoTime("2020-01-01T10:00:00Z"));
    ASSERT_EQ(read.document.tracks.size(), 2u);
    const std::vector<Point> line = read.document.tracks[0].points.ToVector();
    EXPECT_EQ(read.document.tracks[0].info.name, "Path");
    ASSERT_EQ(line.size(), 4u);
    EXPECT_TRUE(std::isnan(line[0].elevation));
    EXPECT_EQ(line[1].elevation, 5);
    EXPECT_EQ(std::vector<bool>({line[0].newSection, line[1].newSection, line[3].newSection}),
              std::vector<bool>({true, false, true}));
    const std::vector<Point> timed = read.document.tracks[1].points.ToVector();
    ASSERT_EQ(timed.size(), 2u);
    EXPECT_EQ(timed[1].time, ParseIsoTime("2020-01-01T10:00:01Z"));
    EXPECT_EQ(timed[1].elevation, 2);
    EXPECT_EQ(read.findings.CountOf(FindingKind::Reduced), 1);  // the extended data named x
}

// Longer than a text the parser holds, and than the times held in memory.
TEST(KmlReader, LongLinesAndTimedTracksKeepEveryPointInOrder)
{
    constexpr int kPoints = 200000;
    std::string whens, coords, tuples;
    for (int i = 0; i < kPoints; ++i) {
        whens += "<when>" + IsoTime({i, 0}) + "</when>";
        coords += "<gx:coord>" + std::to_string(i % 100) + " 1</gx:coord>";
        tuples += std::to_string(i % 100) + ",2 ";
    }
    const ReadResult read = Read(Kml("<Placemark><gx:Track>" + whens + coords +
                                     "</gx:Track></Placemark><Placemark>"
                                     "<LineString><coordinates>" +
                                     tuples + "</coordinates></LineString></Placemark>"));
    ASSERT_EQ(read.document.tracks.size(), 2u);
    ASSERT_EQ(read.document.tracks[0].points.size(), std::size_t{kPoints});
    ASSERT_EQ(read.document.tracks[1].points.size(), std::size_t{kPoints});
    std::int64_t i = 0;
    read.document.tracks[0].points.ForEach([&](const Point& p) {
        EXPECT_EQ(p.time, (UtcTime{i, 0}));
        EXPECT_EQ(p.longitude, static_cast<double>(i++ % 100));
    });
    EXPECT_TRUE(read.findings.Empty());
}

TEST(KmlReader, WhatTheProductWritesReadsBackAsItWas)
{
    TempDir dir;
    const Document written = odd_document::Build();
    WriteRequest request;
    request.outputName = dir.Path("odd.kml");
    request.exactNames = true;
    WriteKmlFile(written, request);
    const ReadResult read = ReadKmlFile(InputSource::File(request.outputName), {});
    const Document& back = read.document;
    EXPECT_EQ(KeptOf(back.waypoints), KeptOf(written.waypoints));
    ASSERT_EQ(back.routes.size(), written.routes.size());
    for (std::size_t i = 0; i < back.routes.size(); ++i) {
        EXPECT_EQ(back.routes[i].info.name, written.routes[i].info.name);
        EXPECT_EQ(KeptOf(back.routes[i].points), KeptOf(written.routes[i].points));
    }
    ASSERT_EQ(back.tracks.size(), written.tracks.size());
    for (std::size_t i = 0; i < back.tracks.size(); ++i) {
        EXPECT_EQ(back.tracks[i].info.name, written.tracks[i].info.name);
        EXPECT_EQ(back.tracks[i].info.description, written.tracks[i].info.description);
        EXPECT_EQ(KeptOf(back.tracks[i].points, true), KeptOf(written.tracks[i].points, true));
    }
    const std::vector<Point> w = back.waypoints.ToVector();
    EXPECT_EQ(std::tie(w[0].description, w[0].symbol, w[0].comment), std::make_tuple("two\r\nlines", "Summit", "c"));
    EXPECT_TRUE(read.findings.Empty());
}

TEST(KmlReader, BadInputIsRefusedOrLeftOutAndCountedAndNothingIsInvented)
{
    const std::string good = "<Placemark><Point><coordinates>1,2</coordinates></Point></Placemark>";
    const auto line = [](const std::string& coordinates) {
        return "<Placemark><LineString><coordinates>" + coordinates + "</coordinates></LineString></Placemark>";
    };
    const struct {
        const char* what;
        std::string file;
        bool refused;
        std::size_t kept;    // waypoints and track points
        FindingKind kind;    // of the finding expected
        std::int64_t count;  // of that kind (a damage counts none)
    } cases[] = {
        {"no coordinates", Kml("<Placemark><name>a</name></Placemark><Placemark><Point/></Placemark>" + good), false, 1,
         FindingKind::Skipped, 2},
        {"empty coordinates", Kml("<Placemark><Point><coordinates> </coordinates></Point></Placemark>"), false, 0,
         FindingKind::Skipped, 1},
        {"an area only", Kml("<Placemark><Polygon/></Placemark>"), false, 0, FindingKind::Skipped, 1},
        {"malformed tuples", Kml(line("1,2 1;2 1,2,3,4 ,2 1,x 200,1 1,91 3,4")), false, 2, FindingKind::Unusable, 6},
        {"a string for a point's position",
         Kml("<Placemark><Point><coordinates>east,north</coordinates></Point>"
             "</Placemark>"),
         false, 0, FindingKind::Unusable, 1},
        {"a string for an altitude", Kml(line("1,2,high")), false, 1, FindingKind::Skipped, 1},
        {"strings for times",
         Kml("<Placemark><gx:Track><when>soon</when><gx:coord>1 2</gx:coord></gx:Track>"
             "</Placemark>"),
         false, 1, FindingKind::Skipped, 1},
        {"truncated", CutAt(Kml(good + line("1,2 3,4 5,6")), "5,6"), false, 3, FindingKind::Damaged, 0},
        {"entity bomb", EntityBomb("kml", "<Placemark><name>&k;</name>" + good.substr(11)), false, 0,
         FindingKind::Damaged, 0},
        {"nested too deep", DeeplyNested("kml"), false, 0, FindingKind::Damaged, 0},
        {"another root", "<?xml version=\"1.0\"?><gpx/>", true, 0, FindingKind::Notice, 0},
        {"no XML", "kml", true, 0, FindingKind::Notice, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.refused) {
            EXPECT_THROW(Read(c.file), InputRefused);
            continue;
        }
        const ReadResult read = Read(c.file);
        std::size_t kept = read.document.waypoints.size();
        for (const Track& track : read.document.tracks) {
            kept += track.points.size();
            track.points.ForEach([](const Point& p) {
                EXPECT_TRUE(ValidPosition(p));
                EXPECT_FALSE(p.time);
            });
        }
        EXPECT_EQ(kept, c.kept);
        EXPECT_TRUE(read.findings.Has(c.kind));
        EXPECT_EQ(read.findings.CountOf(c.kind), c.count);
    }
}

TEST(KmlReader, RealFiles)
{
    const ReadResult points = ReadKmlFile(InputSource::File(FixturePath("kml/kml-points.kml")), {});
    EXPECT_EQ(points.document.waypoints.size(), 9u);
    const ReadResult track = ReadKmlFile(InputSource::File(FixturePath("kml/earth-expertgps-track.kml")), {});
    EXPECT_EQ(track.document.waypoints.size(), 196u);
    EXPECT_EQ(track.document.tracks.size(), 3u);
}
