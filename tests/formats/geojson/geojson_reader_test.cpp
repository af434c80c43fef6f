// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "formats/geojson/GeoJson.h"
#include "formats/gpx/Gpx.h"
#include "tests/support/odd_document.h"
#include "tests/support/written_back.h"

namespace {
ReadResult Read(const std::string& json, ReadMode mode = ReadMode::Everything)
{
    return ReadGeoJsonFile(InputSource::Memory("in", json), {.mode = mode});
}

std::string Feature(const std::string& properties, const std::string& geometry)
{
    return R"({"type":"Feature","properties":{)" + properties + R"(},"geometry":)" + geometry + "}";
}
std::string Collection(const std::string& features)
{
    return R"({"type":"FeatureCollection","features":[)" + features + "]}";
}

std::int64_t PointsOf(const std::vector<Track>& tracks)
{
    std::int64_t count = 0;
    for (const Track& t : tracks) count += static_cast<std::int64_t>(t.points.size());
    return count;
}
}  // namespace

// What this product writes reads back to what it wrote: written again, the
// file is the same, byte for byte, and the points hold the same positions,
// times, elevations and names.
TEST(GeoJsonReader, WhatIsWrittenReadsBack)
{
    const Document gpx = ReadGpxFile(InputSource::File(FixturePath("gpx/expertgps.gpx")), {}).document;
    for (const Document& document : {odd_document::Build(), gpx}) {
        const WrittenBack back = WriteAndReadBack(WriteGeoJsonFile, ReadGeoJsonFile, document);
        EXPECT_EQ(back.first, back.second);
        ASSERT_EQ(back.read.document.routes.size(), document.routes.size());
        ASSERT_EQ(back.read.document.tracks.size(), document.tracks.size());
    }
    const Document read = WriteAndReadBack(WriteGeoJsonFile, ReadGeoJsonFile, gpx).read.document;
    ExpectSamePoints(gpx.waypoints, read.waypoints, 5e-8);
    for (std::size_t i = 0; i < gpx.routes.size(); ++i) {
        EXPECT_EQ(read.routes[i].info.name, gpx.routes[i].info.name);
        ExpectSamePoints(gpx.routes[i].points, read.routes[i].points, 5e-8);
    }
    // A line where some point has no elevation is written without any.
    for (std::size_t i = 0; i < gpx.tracks.size(); ++i) {
        EXPECT_EQ(read.tracks[i].info.name, gpx.tracks[i].info.name);
        ExpectSamePoints(gpx.tracks[i].points, read.tracks[i].points, 5e-8, false);
    }
}

// Properties before or after the geometry, "type" first or last: the same points.
TEST(GeoJsonReader, OrderOfMembersDoesNotMatter)
{
    const std::string properties = R"("name":"Walk","coordTimes":["2020-06-08T18:39:00Z","2020-06-08T18:39:05Z"])";
    const std::string line = R"({"coordinates":[[2,1,10],[2.5,1.5,11]],"type":"LineString"})";
    const std::string before = Collection(Feature(properties, line));
    const std::string after =
        Collection(R"({"geometry":)" + line + R"(,"properties":{)" + properties + R"(},"type":"Feature"})");
    const std::string bare = R"({"features":[)" + Feature(properties, line) + R"(],"type":"FeatureCollection"})";
    for (const std::string& json : {before, after, bare}) {
        const ReadResult read = Read(json);
        ASSERT_EQ(read.document.tracks.size(), 1u) << json;
        EXPECT_EQ(read.document.tracks[0].info.name, "Walk");
        const std::vector<Point> points = read.document.tracks[0].points.ToVector();
        ASSERT_EQ(points.size(), 2u);
        EXPECT_EQ(Held(points[1]), "||||11.000|2020-06-08T18:39:05Z");
        EXPECT_EQ(points[1].latitude, 1.5);
        EXPECT_TRUE(read.findings.Empty());
    }
}

// Points are waypoints and lines tracks, kept to the mode; a bare geometry is one feature.
TEST(GeoJsonReader, KindsAndModes)
{
    const std::string json =
        Collection(Feature(R"("name":"A","ele":12.5,"time":"2020-06-08T18:39:00Z","desc":"d")",
                           R"({"type":"Point","coordinates":[1,2]})") +
                   "," + Feature("", R"({"type":"MultiPoint","coordinates":[[1,2],[3,4,5]]})") + "," +
                   Feature("", R"({"type":"MultiLineString","coordinates":[[[1,2],[3,4]],[[5,6]]]})") + "," +
                   Feature(R"("type":"route","name":"R")", R"({"type":"LineString","coordinates":[[1,2],[3,4]]})"));
    const ReadResult all = Read(json);
    ASSERT_EQ(all.document.waypoints.size(), 3u);
    EXPECT_EQ(Held(all.document.waypoints.ToVector()[0]), "A||d||12.500|2020-06-08T18:39:00Z");
    ASSERT_EQ(all.document.tracks.size(), 1u);
    const std::vector<Point> track = all.document.tracks[0].points.ToVector();
    ASSERT_EQ(track.size(), 3u);
    EXPECT_TRUE(track[0].newSection && !track[1].newSection && track[2].newSection);
    ASSERT_EQ(all.document.routes.size(), 1u);
    const ReadResult tracks = Read(json, ReadMode::Tracks);
    EXPECT_TRUE(tracks.document.waypoints.empty() && tracks.document.routes.empty());
    EXPECT_EQ(tracks.waypointsLeftOut, 3);
    EXPECT_EQ(tracks.routesLeftOut, 1);
    EXPECT_EQ(Read(json, ReadMode::Waypoints).tracksLeftOut, 1);
    EXPECT_EQ(Read(R"({"type":"LineString","coordinates":[[1,2],[3,4]]})").document.tracks.size(), 1u);
}

// Bad input of each kind: what can be read is kept, the rest counted, and a
// file of which nothing can be read, or that is no GeoJSON, refused.
TEST(GeoJsonReader, BadInputs)
{
    const std::string point = R"({"type":"Point","coordinates":[1,2]})";
    struct Case {
        const char* what;
        std::string json;
        std::int64_t waypoints, trackPoints;
        FindingKind finding;  // Notice: none
        std::int64_t count;
    };
    const Case cases[] = {
        {"a string for a latitude",
         Collection(Feature("", R"({"type":"Point","coordinates":[1,"2"]})") + "," + Feature("", point)), 1, 0,
         FindingKind::Unusable, 1},
        {"a missing latitude",
         Collection(Feature("", R"({"type":"Point","coordinates":[1]})") + "," + Feature("", point)), 1, 0,
         FindingKind::Unusable, 1},
        {"a latitude beyond the pole",
         Collection(Feature("", R"({"type":"Point","coordinates":[1,91]})") + "," + Feature("", point)), 1, 0,
         FindingKind::Unusable, 1},
        {"a string for an elevation", Collection(Feature("", R"({"type":"Point","coordinates":[1,2,"high"]})")), 1, 0,
         FindingKind::Skipped, 1},
        {"a point of a line unreadable",
         Collection(Feature("", R"({"type":"LineString","coordinates":[[1,2],[null,3],[4,5]]})")), 0, 2,
         FindingKind::Unusable, 1},
        {"a line nested as a point",
         Collection(Feature("", R"({"type":"LineString","coordinates":[1,2]})") + "," + Feature("", point)), 1, 0,
         FindingKind::Skipped, 1},
        {"positions at two depths",
         Collection(Feature("", R"({"type":"MultiLineString","coordinates":[[[1,2]],[3,4]]})") + "," +
                    Feature("", point)),
         1, 0, FindingKind::Skipped, 1},
        {"no coordinates", Collection(Feature("", R"({"type":"Point"})") + "," + Feature("", point)), 1, 0,
         FindingKind::Skipped, 1},
        {"no geometry", Collection(Feature("", "null") + "," + Feature("", point)), 1, 0, FindingKind::Skipped, 1},
        {"an unknown geometry",
         Collection(Feature("", R"({"type":"Circle","coordinates":[1,2]})") + "," + Feature("", point)), 1, 0,
         FindingKind::Skipped, 1},
        {"times not matching the points",
         Collection(Feature(R"("coordTimes":["2020-01-01T00:00:00Z"])",
                            R"({"type":"LineString","coordinates":[[1,2],[3,4]]})")),
         0, 2, FindingKind::Skipped, 1},
        {"a time that is none", Collection(Feature(R"("time":"yesterday")", point)), 1, 0, FindingKind::Skipped, 1},
        {"cut short inside a line",
         R"({"type":"FeatureCollection","features":[{"type":"Feature","geometry":{"type":"LineString","coordinates":[[1,2],[3,4],[5)",
         0, 2, FindingKind::Damaged, 0},
        {"garbage after the end", Collection(Feature("", point)) + "}}garbage", 1, 0, FindingKind::Notice, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ReadResult read = Read(c.json);
        EXPECT_EQ(static_cast<std::int64_t>(read.document.waypoints.size()), c.waypoints);
        EXPECT_EQ(PointsOf(read.document.tracks), c.trackPoints);
        EXPECT_EQ(c.finding == FindingKind::Notice ? read.findings.Empty() : read.findings.Has(c.finding), true);
        if (c.count > 0) {
            EXPECT_EQ(read.findings.CountOf(c.finding), c.count);
        }
    }
    const std::pair<const char*, std::string> refused[] = {
        {"not a JSON object", "[1,2]"},
        {"a number alone", "42"},
        {"no GeoJSON type", R"({"name":"x"})"},
        {"nothing readable", Collection(Feature("", R"({"type":"Point","coordinates":["a","b"]})"))},
        {"only areas", Collection(Feature("", R"({"type":"Polygon","coordinates":[[[1,2],[3,4],[1,2]]]})"))},
        {"not JSON", "GPX? <gpx>"},
        {"cut before any feature", R"({"type":"FeatureCollection","features":[{"type":"Feat)"},
        {"nested too deeply", R"({"type":"Feature","properties":{"a":)" + std::string(100, '[')},
        {"a string of more than 4 MB", R"({"type":"Feature","properties":{"name":")" + std::string(5u << 20, 'x')},
    };
    for (const auto& [what, json] : refused) {
        SCOPED_TRACE(what);
        EXPECT_THROW(Read(json), InputRefused);
    }
}
