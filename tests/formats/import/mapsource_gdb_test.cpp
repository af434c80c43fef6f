// SPDX-License-Identifier: GPL-3.0-or-later
// The .gdb reader: versions, waypoints, routes and their link points, tracks.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/io/byte_reader.h"
#include "formats/import/MapsourceFile.h"
#include "formats/import/MapsourceGDB.h"
#include "tests/support/mapsource_files.h"
#include "tests/support/test_files.h"

namespace {
using namespace mapsource_files;

ReadResult Read(const ByteBuilder& file) { return ReadMapsourceFile(InputSource::Memory("in.gdb", file.str()), {}); }

std::vector<Point> Points(const PointList& list) { return list.ToVector(); }

constexpr double kSemicircle = 180.0 / 2147483648.0;
const Finding kCut{FindingKind::Truncated, "The MapSource file ends inside a record: what came before it was read.", 0};
}  // namespace

// Version 109 is read exactly: noted only where a record was not understood.
TEST(GdbReader, VersionsBelow107AreRefusedAndAbove109Or109NotUnderstoodNoted)
{
    const std::string later =
        "The file is created by a version of MapSource later than 6.5. Result from this version may be unpredictable.";
    for (const std::uint16_t version : {106, 107, 108, 109, 110, 1109}) {
        SCOPED_TRACE(version);
        ByteBuilder file = GdbHeader(version % 1000);
        GdbWaypoint(file, {}, version % 1000);
        if (version == 1109) Record(file, 'Z', ByteBuilder().u8(1));  // a kind of record the reader does not know
        if (version == 106) {
            try {
                Read(file);
                ADD_FAILURE() << "not refused";
            } catch (const InputRefused& refused) {
                EXPECT_STREQ(refused.what(),
                             "The file is created by an obsolete version of MapSource. MapSource 6 or later is "
                             "required.");
                EXPECT_EQ(refused.PaneLine(), "Obsolete Mapsource File");
            }
            continue;
        }
        const ReadResult read = Read(file);
        EXPECT_EQ(read.document.waypoints.size(), 1u);
        const std::vector<Finding> notices = {{FindingKind::Notice, later, 0}};
        EXPECT_EQ(read.findings.All(), version > 109 ? notices : std::vector<Finding>{});
    }
}

TEST(GdbReader, WaypointsKeepEveryValueTheirRecordHolds)
{
    ByteBuilder file = GdbHeader(108);
    GdbWaypoint(file, {.name = "Camp #2",
                       .comment = "a,b",
                       .symbol = 107,
                       .proximity = 2.5,
                       .display = 1,
                       .description = "Turn left,\nthen right",
                       .link = "http://www.leipzig.de",
                       .seconds = 86400});
    GdbWaypoint(file, {.name = "", .display = 2, .depth = 10});
    GdbWaypoint(file, {.metres = 0.1, .display = 7});
    GdbWaypoint(file, {.metres = 100, .proximity = NAN, .depth = -1e300});
    GdbWaypoint(file, {.lat = 0, .lon = 0});
    const std::vector<Point> w = Points(Read(file).document.waypoints);
    ASSERT_EQ(w.size(), 4u);
    EXPECT_EQ(w[0].name, "Camp #2");
    EXPECT_EQ(w[0].comment, "a,b");
    EXPECT_EQ(w[0].description, "Turn left,\nthen right");
    EXPECT_EQ(w[0].links, (std::vector<Link>{{"http://www.leipzig.de", "", ""}}));
    EXPECT_EQ(w[0].symbol, "Airport");
    EXPECT_EQ(w[0].time, (UtcTime{86400, 0}));
    EXPECT_EQ(w[0].device.proximity, 2.5);
    EXPECT_EQ(w[0].device.displayMode, "SymbolAndName");
    EXPECT_FALSE(w[0].HasElevation());
    EXPECT_EQ(w[1].name, "");
    EXPECT_FALSE(w[1].time);
    EXPECT_EQ(w[1].device.depth, 10);  // a depth is no elevation
    EXPECT_FALSE(w[1].HasElevation());
    EXPECT_EQ(w[1].device.displayMode, "SymbolAndDescription");
    EXPECT_EQ(w[2].elevation, 0.1);
    EXPECT_EQ(w[2].device.displayMode, "");  // no mode of that number
    EXPECT_EQ(w[3].elevation, 100);
    EXPECT_EQ(w[3].device.depth, -1e300);
    EXPECT_TRUE(std::isnan(w[3].device.proximity));
    EXPECT_EQ(w[3].device.displayMode, "SymbolOnly");
    // The native files round the feet once, 0 ft is none there, and a depth
    // stands in for a missing altitude.
    const NativeForm native[] = {
        {.symbol = 0}, {.feet = 33, .symbol = 70}, {.feet = -777, .symbol = 70}, {.feet = 328, .symbol = 70}};
    for (std::size_t i = 0; i < std::size(native); ++i) EXPECT_EQ(w[i].native, native[i]) << i;
}

TEST(GdbReader, ARegionTextInsideTheGapDoesNotShiftThePosition)
{
    ByteBuilder file = GdbHeader(108);
    GdbWaypoint(file, {.name = "LF_X", .lat = 46.3876, .lon = 3.4982, .comment = "Dummy airport", .region = "LF"});
    const std::vector<Point> w = Points(Read(file).document.waypoints);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_NEAR(w[0].latitude, 46.3876, kSemicircle);
    EXPECT_NEAR(w[0].longitude, 3.4982, kSemicircle);
    EXPECT_EQ(w[0].comment, "Dummy airport");
}

TEST(GdbReader, Version109WaypointsAreUtf8AndReadToTheirRecordEnd)
{
    ByteBuilder file = GdbHeader(109);
    GdbWaypoint(file, {.name = "Caf\xC3\xA9 1", .comment = "\xE2\x86\x92 \xE2\x82\xAC", .depth = 10, .seconds = 86400},
                109);
    GdbWaypoint(file, {.name = "Listed", .seconds = 43200, .list = {"one", "", "three"}}, 109);
    GdbWaypoint(file, {.name = "Caf\xE9", .symbol = 107, .list = {"x"}}, 109);  // not UTF-8: Windows-1252
    const std::vector<Point> w = Points(Read(file).document.waypoints);
    ASSERT_EQ(w.size(), 3u);
    EXPECT_EQ(w[0].name, "Caf\xC3\xA9 1");
    EXPECT_EQ(w[0].comment, "\xE2\x86\x92 \xE2\x82\xAC");
    EXPECT_EQ(w[0].time, (UtcTime{86400, 0}));
    EXPECT_EQ(w[0].device.depth, 10);
    EXPECT_EQ(w[1].links, (std::vector<Link>{{"one", "", ""}}));
    EXPECT_EQ(w[1].time, (UtcTime{43200, 0}));
    EXPECT_EQ(w[2].name, "Caf\xC3\xA9");
    EXPECT_EQ(w[2].native.symbol, 0);
    EXPECT_FALSE(w[2].time);
}

TEST(GdbReader, FacilityWaypointsTakeTheTimeFromTheRecordsLastFiveBytes)
{
    const std::string texts("CITY1\0\0FAC1\0", 12);
    for (const std::uint16_t version : {108, 109}) {
        SCOPED_TRACE(version);
        ByteBuilder file = GdbHeader(version);
        GdbWaypoint(file, {.name = "ED_X", .symbol = 107, .region = "ED", .seconds = 86400, .facility = texts},
                    version);
        GdbWaypoint(file, {.name = "LF_X", .region = "LF", .facility = texts}, version);
        GdbWaypoint(file, {.name = "after", .seconds = 43200}, version);
        const std::vector<Point> w = Points(Read(file).document.waypoints);
        ASSERT_EQ(w.size(), 3u);
        EXPECT_EQ(w[0].native.symbol, 0);
        EXPECT_EQ(w[0].time, (UtcTime{86400, 0}));
        EXPECT_FALSE(w[1].time);
        EXPECT_EQ(w[2].name, "after");
        EXPECT_EQ(w[2].time, (UtcTime{43200, 0}));
    }
}

// An address waypoint keeps every field of its record: the address texts of
// its version (street, phone, country and postal code from version 109 on),
// and the texts, link, time, categories and temperature of any waypoint.
TEST(GdbReader, AddressWaypointsKeepEveryFieldOfTheirVersion)
{
    for (const std::uint16_t version : {107, 108, 109}) {
        SCOPED_TRACE(version);
        const bool utf8 = version >= 109;
        ByteBuilder file = GdbHeader(version);
        const Wpt hall{.name = "Town hall",
                       .comment = "First",
                       .symbol = 107,
                       .description = "Second",
                       .link = "http://u.example/x",
                       .seconds = 86400,
                       .list = {"http://u.example/x", "more"},
                       .city = "Leipzig",
                       .state = "SN",
                       .street = "Markt 1",
                       .phone = "0341 1",
                       .country = "DE",
                       .postalCode = "04109",
                       .categories = 0x4001,
                       .celsius = 21.5};
        GdbWaypoint(file, hall, version);
        GdbWaypoint(file, {.name = "after", .seconds = 43200, .celsius = std::nullopt}, version);
        const std::vector<Point> w = Points(Read(file).document.waypoints);
        ASSERT_EQ(w.size(), 2u);
        EXPECT_EQ(w[0].comment, "First");
        EXPECT_EQ(w[0].description, "Second");
        EXPECT_EQ(w[0].links, (std::vector<Link>{{"http://u.example/x", "", ""}}));
        EXPECT_EQ(w[0].time, (UtcTime{86400, 0}));
        const DeviceDetails& d = w[0].device;
        const std::vector<std::string> address = {utf8 ? "Markt 1" : "", "Leipzig",        "SN",
                                                  utf8 ? "04109" : "",   utf8 ? "DE" : "", utf8 ? "0341 1" : ""};
        EXPECT_EQ((std::vector{d.street, d.city, d.state, d.postalCode, d.country, d.phone}), address);
        EXPECT_EQ(d.categories, (std::vector<std::string>{"Category 1", "Category 15"}));
        EXPECT_EQ(d.celsius, 21.5);
        EXPECT_EQ(w[1].name, "after");
        EXPECT_EQ(w[1].time, (UtcTime{43200, 0}));
        EXPECT_TRUE(w[1].device.city.empty() && w[1].device.categories.empty() && std::isnan(w[1].device.celsius));
    }
}

// Each point takes its own first link point, the last the final link point
// of the one before it; a point without its own link points stands at 0,0.
TEST(GdbReader, RoutePointsArePlacedByTheLinkPointsInEveryVersion)
{
    const LinkPoint a{10, 20}, b{11, 21}, c{12, 22}, d{13, 23};
    const struct {
        std::vector<RoutePoint> points;
        std::vector<LinkPoint> placed;
    } routes[] = {
        {{{"P1", {a, b}}, {"P-2", {c, d}}, {"P 3", {}, false}}, {a, c, d}},
        {{{"P1", {a, b}}, {"P2", {}}, {"P3", {c, d}}, {"P4", {}, false}}, {a, {0, 0}, c, d}},
        {{{"A", {{1, 1}, {1.1, 1.1}, {1.2, 1.2}, {2, 2}}}, {"B", {}}}, {{1, 1}, {2, 2}}},
        {{{"only", {a, b}}}, {{0, 0}}},
    };
    for (const std::uint16_t version : {107, 108, 109, 110}) {
        SCOPED_TRACE(version);
        ByteBuilder file = GdbHeader(version);
        for (const auto& route : routes) Record(file, 'R', RouteBody("To the lake", route.points, version));
        GdbWaypoint(file, {.name = "after"}, version);
        const Document document = Read(file).document;
        EXPECT_EQ(document.waypoints.size(), 1u);
        ASSERT_EQ(document.routes.size(), std::size(routes));
        for (std::size_t r = 0; r < std::size(routes); ++r) {
            EXPECT_EQ(document.routes[r].info.name, "To the lake");
            const std::vector<Point> points = Points(document.routes[r].points);
            ASSERT_EQ(points.size(), routes[r].placed.size());
            for (std::size_t k = 0; k < points.size(); ++k) {
                EXPECT_EQ(points[k].name, routes[r].points[k].name);
                EXPECT_NEAR(points[k].latitude, routes[r].placed[k].lat, kSemicircle);
                EXPECT_NEAR(points[k].longitude, routes[r].placed[k].lon, kSemicircle);
            }
        }
    }
}

TEST(GdbReader, ARoutePointTakesTheFirstWaypointOfItsNameReadBeforeItsRoute)
{
    ByteBuilder file = GdbHeader(109);
    GdbWaypoint(file,
                {.name = "Stra\xC3\x9F"
                         "e",
                 .comment = "first",
                 .seconds = 60},
                109);
    GdbWaypoint(file,
                {.name = "Stra\xC3\x9F"
                         "e",
                 .comment = "second"},
                109);
    Record(file, 'R',
           RouteBody("Stra\xC3\x9F"
                     "e",
                     {{"Stra\xC3\x9F"
                       "e",
                       {{5, 5}, {6, 6}}},
                      {"late", {}, false}},
                     109));
    GdbWaypoint(file, {.name = "late", .comment = "after the route"}, 109);
    const Document document = Read(file).document;
    ASSERT_EQ(document.routes.size(), 1u);
    EXPECT_EQ(document.routes[0].info.name, "Stra\xC3\x9F"
                                            "e");
    const std::vector<Point> points = Points(document.routes[0].points);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].comment, "first");
    EXPECT_EQ(points[0].time, (UtcTime{60, 0}));
    EXPECT_EQ(points[0].native, (NativeForm{.symbol = 0, .dayOfConversion = true}));
    EXPECT_NEAR(points[0].latitude, 5, kSemicircle);
    EXPECT_EQ(points[1].comment, "");
    EXPECT_NEAR(points[1].latitude, 6, kSemicircle);
}

TEST(GdbReader, EveryTrackWithItsAltitudesTimesAndDepths)
{
    ByteBuilder file = GdbHeader(108);
    GdbWaypoint(file, {});
    GdbRoute(file, "kept", 1);
    TrackRecord(file, "ACTIVE LOG 001", {{.depth = 5}, {.seconds = std::nullopt}}, false);
    TrackRecord(file, "empty", {}, false);
    TrackRecord(file, "third", {{.metres = 100, .seconds = 86400}, {.metres = 0.1}, {}}, false);
    const Document document = Read(file).document;
    EXPECT_EQ(document.waypoints.size(), 1u);
    EXPECT_EQ(document.routes.size(), 1u);
    ASSERT_EQ(document.tracks.size(), 3u);
    EXPECT_EQ(document.tracks[0].info.name, "ACTIVE LOG 001");
    EXPECT_EQ(document.tracks[1].points.size(), 0u);
    const std::vector<Point> first = Points(document.tracks[0].points), third = Points(document.tracks[2].points);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].depth, 5);
    EXPECT_FALSE(first[0].HasElevation());
    EXPECT_FALSE(first[1].time);
    ASSERT_EQ(third.size(), 3u);
    EXPECT_EQ(third[0].elevation, 100);
    EXPECT_EQ(third[0].native.feet, 328);
    EXPECT_EQ(third[0].time, (UtcTime{86400, 0}));
    EXPECT_EQ(third[1].elevation, 0.1);
    EXPECT_EQ(third[1].native.feet, -777);  // 0 ft
    EXPECT_FALSE(third[2].HasElevation());
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(third[i].newSection, i == 0);
}

TEST(GdbReader, TheOptionsLeaveOutWhatTheOutputDoesNotTake)
{
    ByteBuilder file = GdbHeader(108);
    GdbWaypoint(file, {});
    GdbRoute(file, "R", 2);
    GdbTrack(file, "T", 3);
    GdbWaypoint(file, {.name = "WP2"});
    GdbWaypoint(file, {.name = "WP3"});
    GdbTrack(file, "U", 4);
    const InputSource source = InputSource::Memory("in.gdb", file.str());
    const Document waypoints = ReadMapsourceFile(source, {ReadMode::Waypoints}).document;
    EXPECT_EQ(waypoints.waypoints.size(), 3u);
    EXPECT_EQ(waypoints.routes.size(), 1u);
    EXPECT_TRUE(waypoints.tracks.empty());
    const Document tracks = ReadMapsourceFile(source, {ReadMode::Tracks}).document;
    EXPECT_TRUE(tracks.waypoints.empty());
    EXPECT_TRUE(tracks.routes.empty());
    EXPECT_EQ(tracks.TrackPointCount(), 7);
    // A list goes one point past what the output takes, which it cuts and says so.
    const Document kept = ReadMapsourceFile(source, {.trackPointsKept = 2, .waypointsKept = 1}).document;
    EXPECT_EQ(kept.waypoints.size(), 2u);
    ASSERT_EQ(kept.tracks.size(), 2u);
    EXPECT_EQ(kept.tracks[0].points.size(), 3u);
    EXPECT_EQ(kept.tracks[1].points.size(), 3u);
}

TEST(GdbReader, NoCapacityOfTheNativeFilesApplies)
{
    ByteBuilder file = GdbHeader(107);
    std::vector<RoutePoint> many(1001, RoutePoint{"p", {{5, 5}, {6, 6}}});
    Record(file, 'R', RouteBody("many", many, 107));
    for (int r = 2; r <= 102; ++r) GdbRoute(file, "R" + std::to_string(r), 1);
    GdbTrack(file, "long", 100003);
    const Document document = Read(file).document;
    ASSERT_EQ(document.routes.size(), 102u);
    EXPECT_EQ(document.routes[0].points.size(), 1001u);
    EXPECT_EQ(document.routes[101].info.name, "R102");
    EXPECT_EQ(document.TrackPointCount(), 100003);
}

TEST(GdbReader, OtherRecordsChangeNothingAndDamagedFramingEndsTheReading)
{
    ByteBuilder other = GdbHeader(108);
    for (const char type : {'L', 'M', 'z'}) Record(other, type, ByteBuilder().fill(30, 'W'));
    EXPECT_TRUE(Read(other).document.Empty());

    const std::pair<std::int32_t, std::size_t> rows[] = {{-1, 1}, {0, 2}};
    for (const auto& [length, waypoints] : rows) {
        SCOPED_TRACE(length);
        ByteBuilder file = GdbHeader(108);
        GdbWaypoint(file, {.name = "kept"});
        file.i32(length).u8('R');
        GdbWaypoint(file, {.name = "next"});
        const Document document = Read(file).document;
        EXPECT_EQ(document.waypoints.size(), waypoints);
        EXPECT_TRUE(document.routes.empty());
    }
}

TEST(GdbReader, ARecordCutShortKeepsWhatWasReadWhole)
{
    ByteBuilder track = GdbHeader(108);
    TrackRecord(track, "cut", {{.lat = 1, .lon = 1}, {.lat = 2, .lon = 2}, {.lat = 3, .lon = 3}}, false);
    track.bytes.resize(track.size() - 15);  // inside the third point's position
    ReadResult read = Read(track);
    EXPECT_EQ(read.findings.All(), std::vector<Finding>{kCut});
    EXPECT_EQ(read.document.TrackPointCount(), 2);

    for (const std::size_t headerCut : {1, 4}) {  // the file ends inside the next record's header
        ByteBuilder cutHeader = GdbHeader(108);
        GdbWaypoint(cutHeader, {.name = "whole"});
        cutHeader.fill(headerCut, 0);
        read = Read(cutHeader);
        EXPECT_EQ(read.findings.All(), std::vector<Finding>{kCut});
        EXPECT_EQ(read.document.waypoints.size(), 1u);
    }

    // A length shorter than the fields: they are read only within it, and
    // the framing breaks: the next header is not where the length says.
    ByteBuilder shortLength = GdbHeader(108);
    GdbWaypoint(shortLength, {.name = "short"});
    shortLength.put<std::int32_t>(GdbHeader(108).size(), 20);
    GdbWaypoint(shortLength, {.name = "whole"});
    read = Read(shortLength);
    EXPECT_TRUE(read.findings.Empty());
    EXPECT_TRUE(read.document.waypoints.empty());
}

TEST(MapsourceGdbBlocks, PositionBlockAndZeroTerminatedText)
{
    ByteBuilder b;
    b.i32(1 << 30).i32(-(1 << 29)).u8(1).f64(100).i32(7).i32(8).u8(0);
    b.text("ab").u8(0).text("cd");
    ByteReader file(b.bytes);
    const PositionBlock first = ReadPositionBlock(file);
    EXPECT_EQ(first.Latitude, 1 << 30);
    EXPECT_EQ(first.Longitude, -(1 << 29));
    EXPECT_TRUE(ReadPositionBlock(file).Whole);
    EXPECT_EQ(ReadZeroTerminated(file), std::string("ab\0", 3));
    EXPECT_EQ(ReadZeroTerminated(file), "cd");
    EXPECT_FALSE(ReadPositionBlock(file).Whole);
}

TEST(MapsourceFixtures, RealGdbFiles)
{
    const struct {
        const char* name;
        std::size_t waypoints;
        std::vector<std::size_t> routePoints, trackPoints;
    } files[] = {
        {"gdb-sample.gdb", 199, {199}, {17, 11, 1, 1, 1, 42, 664, 4, 6}},
        {"gdb-sample2.gdb", 14, {4, 10}, {42}},
    };
    for (const auto& e : files) {
        SCOPED_TRACE(e.name);
        const ReadResult read =
            ReadMapsourceFile(InputSource::File(FixturePath(std::string("mapsource/") + e.name)), {});
        EXPECT_TRUE(read.findings.Empty());
        EXPECT_EQ(read.document.waypoints.size(), e.waypoints);
        std::vector<std::size_t> routePoints, trackPoints;
        for (const Route& route : read.document.routes) routePoints.push_back(route.points.size());
        for (const Track& track : read.document.tracks) trackPoints.push_back(track.points.size());
        EXPECT_EQ(routePoints, e.routePoints);
        EXPECT_EQ(trackPoints, e.trackPoints);
    }
    const Document sample2 =
        ReadMapsourceFile(InputSource::File(FixturePath("mapsource/gdb-sample2.gdb")), {}).document;
    // The airport waypoints with a region code keep their own positions.
    const std::vector<Point> route = Points(sample2.routes.at(0).points);
    EXPECT_NEAR(route.at(3).latitude, 46.387606, 1e-6);
    EXPECT_NEAR(route.at(3).longitude, 3.498277, 1e-6);
    // Ordinary and facility waypoints alike carry the file's times.
    const std::vector<Point> waypoints = Points(sample2.waypoints);
    const std::pair<std::size_t, std::int64_t> times[] = {{0, 1143504637},  {7, 1143509887},  {8, 1143510121},
                                                          {10, 1143510032}, {12, 1143510205}, {13, 1143841766}};
    for (const auto& [index, seconds] : times) EXPECT_EQ(waypoints.at(index).time, (UtcTime{seconds, 0})) << index;
    const std::pair<std::size_t, const char*> displays[] = {
        {0, "SymbolOnly"}, {7, "SymbolAndName"}, {9, "SymbolAndDescription"}};
    for (const auto& [index, mode] : displays) EXPECT_EQ(waypoints.at(index).device.displayMode, mode) << index;
}
