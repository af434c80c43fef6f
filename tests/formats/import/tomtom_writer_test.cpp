// SPDX-License-Identifier: GPL-3.0-or-later
// The .ov2 writer: its bytes, and what the reader makes of them.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "formats/import/tomtom.h"
#include "tests/support/byte_builder.h"
#include "tests/support/document_points.h"
#include "tests/support/native_documents.h"
#include "tests/support/test_files.h"

namespace {
Point At(double lat, double lon, std::string name)
{
    Point p;
    p.latitude = lat;
    p.longitude = lon;
    p.name = std::move(name);
    return p;
}

class TomTomWriter : public ::testing::Test {
protected:
    std::string Write(const Document& document, WriteResult* result = nullptr)
    {
        const WriteResult written = WriteTomTomFile(document, native_documents::RequestFor(dir.Path("out.txt")));
        if (result) *result = written;
        return ReadText(dir.Path("out.ov2"));
    }
    TempDir dir;
};

void AddRecord(ByteBuilder& b, std::int32_t lon, std::int32_t lat, std::string_view name)
{
    b.u8(2).i32(static_cast<std::int32_t>(13 + name.size() + 1)).i32(lon).i32(lat).zeroText(name);
}
}  // namespace

// A simple record per waypoint: whole 1e-5 degrees (halves away from zero),
// the name in the code page where it holds it and cannot pass for UTF-8,
// else in UTF-8; nothing of routes and tracks, nothing before or after.
TEST_F(TomTomWriter, EachWaypointIsOneSimpleRecord)
{
    Document document;
    Point described = At(52.37403, 4.89123, "Dam Square");
    described.description = "not held";
    described.elevation = 3;
    document.waypoints = PointList(std::vector<Point>{
        described,
        At(-33.86, -151.21, ""),
        At(0.000025, -0.000025, "V\xC3\xB6lker \xE2\x82\xAC"),  // both in the code page
        At(89.999996, 179.999996, "\xC4\x80 point"),            // U+0100: UTF-8
        At(1, 2, "\xC3\x83\xC2\xA9"),                           // its code-page bytes would read as UTF-8
        At(95, 0, "no position"),
    });
    document.routes.push_back({{}, PointList(std::vector<Point>{At(1, 1, "R")})});
    document.tracks.push_back({{}, PointList(std::vector<Point>{At(1, 1, "T")}), 0});
    WriteResult result;
    const std::string bytes = Write(document, &result);

    ByteBuilder expected;
    AddRecord(expected, 489123, 5237403, "Dam Square");
    AddRecord(expected, -15121000, -3386000, "");
    AddRecord(expected, -3, 3, "V\xF6lker \x80");
    AddRecord(expected, 18000000, 9000000, "\xC4\x80 point");
    AddRecord(expected, 200000, 100000, "\xC3\x83\xC2\xA9");
    EXPECT_EQ(bytes, expected.str());
    EXPECT_EQ(result.counts.waypoints, 5);
    EXPECT_FALSE(result.findings.Empty());  // the point without a position, left out

    // Read back: the names as they were, the positions to 1e-5 degrees.
    const std::vector<Point> back = ReadMemory(ReadTomTomFile, bytes).document.waypoints.ToVector();
    ASSERT_EQ(back.size(), 5u);
    const std::vector<Point> sent = document.waypoints.ToVector();
    for (std::size_t i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i].name, sent[i].name);
        EXPECT_LE(std::fabs(back[i].latitude - sent[i].latitude), 0.5e-5 + 1e-12);
        EXPECT_LE(std::fabs(back[i].longitude - sent[i].longitude), 0.5e-5 + 1e-12);
    }
}

// Whatever the names and positions, the reader gives them back.
TEST_F(TomTomWriter, RandomWaypointsReadBack)
{
    std::mt19937 random(20261210);
    std::uniform_real_distribution<double> lat(-90, 90), lon(-180, 180);
    const char* const pieces[] = {"a",       " ", ",", "\xC3\xA9", "\xE2\x82\xAC", "\xC4\x80", "\xF0\x9F\x98\x80",
                                  "\xC3\x83"};
    std::vector<Point> points;
    for (int i = 0; i < 2000; ++i) {
        std::string name;
        for (std::size_t n = random() % 12; n > 0; --n) name += pieces[random() % std::size(pieces)];
        points.push_back(At(lat(random), lon(random), name));
    }
    Document document;
    document.waypoints = PointList(points);
    const std::vector<Point> back = ReadMemory(ReadTomTomFile, Write(document)).document.waypoints.ToVector();
    ASSERT_EQ(back.size(), points.size());
    for (std::size_t i = 0; i < back.size(); ++i) {
        ASSERT_EQ(back[i].name, points[i].name) << i;
        ASSERT_EQ(back[i].latitude, std::lround(points[i].latitude * 1e5) / 1e5) << i;
        ASSERT_EQ(back[i].longitude, std::lround(points[i].longitude * 1e5) / 1e5) << i;
    }
}
