// SPDX-License-Identifier: GPL-3.0-or-later
// The road a route follows (its link points) in the outputs that hold it:
// GPX as the device route point extension, CSV as rows of their own, KML and
// GeoJSON as the route's line, each position drawn once.
#include <gtest/gtest.h>

#include "formats/csv/Csv.h"
#include "formats/geojson/GeoJson.h"
#include "formats/gpx/Gpx.h"
#include "formats/kml/Kml.h"
#include "tests/support/test_files.h"

namespace {
Point At(double latitude, double longitude)
{
    Point p;
    p.latitude = latitude;
    p.longitude = longitude;
    return p;
}

// Two points; the road from the first starts on it, bends twice and ends on the second.
Document Routed()
{
    Document document;
    Route route;
    route.info.name = "R";
    route.points = {At(1, 1), At(2, 2)};
    route.links = {At(1, 1), At(1, 1.5), At(1.5, 2), At(2, 2)};
    route.linksAfter = {4, 0};
    document.routes.push_back(std::move(route));
    return document;
}

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

std::string Written(WriteResult (*write)(const Document&, const WriteRequest&), const TempDir& dir, const char* name)
{
    WriteRequest request;
    request.outputName = dir.Path(name);
    request.exactNames = true;
    write(Routed(), request);
    return ReadText(dir.Path(name));
}
}  // namespace

TEST(Road, EachOutputThatHoldsItWritesIt)
{
    TempDir dir;
    const std::string gpx = Written(WriteGpxFile, dir, "r.gpx");
    EXPECT_EQ(Count(gpx, "<gpxx:RoutePointExtension"), 1u);
    EXPECT_NE(gpx.find("<gpxx:rpt lat=\"1\" lon=\"1\"/><gpxx:rpt lat=\"1\" lon=\"1.5\"/><gpxx:rpt lat=\"1.5\" "
                       "lon=\"2\"/><gpxx:rpt lat=\"2\" lon=\"2\"/></gpxx:RoutePointExtension>"),
              std::string::npos);
    if (GpxSchemaPresent()) {
        EXPECT_EQ(GpxSchemaErrors(dir.Path("r.gpx")), "");
    }
    EXPECT_EQ(Count(Written(WriteCsvFile, dir, "r.csv"), "route link point,,R,,"), 4u);
    EXPECT_NE(Written(WriteKmlFile, dir, "r.kml").find("<coordinates>1,1 1.5,1 2,1.5 2,2</coordinates>"),
              std::string::npos);
    EXPECT_NE(Written(WriteGeoJsonFile, dir, "r.geojson").find("\"coordinates\":[[1,1],[1.5,1],[2,1.5],[2,2]]"),
              std::string::npos);
}
