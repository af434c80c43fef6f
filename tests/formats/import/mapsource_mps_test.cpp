// SPDX-License-Identifier: GPL-3.0-or-later
// The .mps reader and the building blocks both MapSource readers share.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/io/byte_reader.h"
#include "formats/import/Mapsource.h"
#include "formats/import/MapsourceFile.h"
#include "tests/support/mapsource_files.h"
#include "tests/support/test_files.h"

namespace {
using namespace mapsource_files;

ReadResult Read(const ByteBuilder& file) { return ReadMapsourceFile(InputSource::Memory("in.mps", file.str()), {}); }

std::vector<Point> Points(const PointList& list) { return list.ToVector(); }

constexpr double kSemicircle = 180.0 / 2147483648.0;
}  // namespace

TEST(MpsReader, VersionsBelow103AreRefusedAndAbove105Noted)
{
    const std::string later =
        "The file is created by a version of MapSource later than 4.13. Result from this version may be unpredictable.";
    for (const std::uint16_t version : {102, 103, 105, 106}) {
        SCOPED_TRACE(version);
        ByteBuilder file = MpsHeader(version);
        MpsWaypoint(file, {});
        if (version == 102) {
            try {
                Read(file);
                ADD_FAILURE() << "not refused";
            } catch (const InputRefused& refused) {
                EXPECT_STREQ(refused.what(),
                             "The file is created by an obsolete version of MapSource. MapSource 4 or later is "
                             "required.");
                EXPECT_EQ(refused.PaneLine(), "Obsolete Mapsource File");
            }
            continue;
        }
        const ReadResult read = Read(file);
        EXPECT_EQ(read.document.waypoints.size(), 1u);
        const std::vector<Finding> notices = {{FindingKind::Notice, later, 0}};
        EXPECT_EQ(read.findings.All(), version == 106 ? notices : std::vector<Finding>{});
    }
    // A file too short for its version counts as obsolete.
    EXPECT_THROW(ReadMapsourceMpsFile(InputSource::Memory("in.mps", "MsRcd"), {}), InputRefused);
}

TEST(MpsReader, WaypointsKeepTheirTextsAsTheFileHoldsThem)
{
    ByteBuilder file = MpsHeader(103);
    MpsWaypoint(file, {.name = "Camp #2, Lake", .lat = 0, .lon = 5, .comment = "dock, north side", .symbol = 107});
    MpsWaypoint(file, {.name = "", .lat = 0, .lon = 0});  // 0/0: a position never set, left out
    MpsWaypoint(file, {.name = "Caf\xE9 #!", .lat = -33.5, .lon = 151.25, .symbol = 53});
    const std::vector<Point> w = Points(Read(file).document.waypoints);
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].name, "Camp #2, Lake");
    EXPECT_EQ(w[0].comment, "dock, north side");
    EXPECT_EQ(w[0].symbol, "Airport");
    EXPECT_EQ(w[0].latitude, 0);
    EXPECT_NEAR(w[0].longitude, 5, kSemicircle);
    EXPECT_FALSE(w[0].time);  // the record holds none
    EXPECT_EQ(w[1].name, "Caf\xC3\xA9 #!");
    EXPECT_NEAR(w[1].latitude, -33.5, kSemicircle);
    EXPECT_EQ(w[1].symbol, "Danger Area");  // MapSource's own name of code 53; the native table lacks it
    // The native files take the symbols by numbers of their own.
    EXPECT_EQ(w[0].native, (NativeForm{.symbol = 0}));
    EXPECT_EQ(w[1].native, (NativeForm{.symbol = 70}));
}

TEST(MpsReader, AnAltitudeIsAnElevationOnlyWhenItsFlagIsOneAndItIsReal)
{
    // The native files round the metres first, then the feet; 0 m is none there.
    const struct {
        std::uint8_t flag;
        double metres;
        double elevation;  // NaN: none
        std::optional<float> feet;
    } rows[] = {{0, 100, NAN, {}},   {1, 0.4, 0.4, -777},   {1, 0, 0, -777},   {1, 100.4, 100.4, 328},
                {1, NAN, NAN, -777}, {1, 1e300, NAN, -777}, {2, 100, NAN, {}}, {1, -100.5, -100.5, -328}};
    ByteBuilder file = MpsHeader(103);
    std::vector<Fix> points;
    for (const auto& row : rows) {
        ByteBuilder w;
        // The flag is written as given: the builder writes only 0 and 1.
        MpsWaypoint(w, {.metres = row.metres});
        w.bytes[5 + 4 + 27 + 8] = row.flag;
        file.bytes.insert(file.bytes.end(), w.bytes.begin(), w.bytes.end());
        points.push_back({.metres = row.flag == 1 ? std::optional(row.metres) : std::nullopt});
    }
    TrackRecord(file, "T", points, true);
    const ReadResult read = Read(file);
    const std::vector<Point> waypoints = Points(read.document.waypoints);
    const std::vector<Point> track = Points(read.document.tracks.at(0).points);
    ASSERT_EQ(waypoints.size(), std::size(rows));
    ASSERT_EQ(track.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        if (std::isnan(rows[i].elevation)) {
            EXPECT_FALSE(waypoints[i].HasElevation());
            EXPECT_FALSE(track[i].HasElevation());
        } else {
            EXPECT_EQ(waypoints[i].elevation, rows[i].elevation);
            EXPECT_EQ(track[i].elevation, rows[i].elevation);
        }
        EXPECT_EQ(waypoints[i].native.feet, rows[i].feet);
        EXPECT_EQ(track[i].native.feet, rows[i].feet);
    }
}

TEST(MpsReader, EveryTrackInOrderEachStartingItsSection)
{
    ByteBuilder file = MpsHeader(105);
    MpsWaypoint(file, {});
    TrackRecord(file, "First Leg", {{.lat = 1, .lon = 2}, {.lat = 3, .lon = 4, .seconds = std::nullopt}}, true);
    TrackRecord(file, "empty", {}, true);
    TrackRecord(file, "third", {{.lat = 5, .lon = 6, .seconds = 86400}, {.lat = 7, .lon = 8}, {.lat = 9, .lon = 10}},
                true);
    const Document document = Read(file).document;
    EXPECT_EQ(document.waypoints.size(), 1u);
    ASSERT_EQ(document.tracks.size(), 3u);
    const std::vector<std::size_t> sizes = {2, 0, 3};
    for (std::size_t t = 0; t < 3; ++t) {
        EXPECT_EQ(document.tracks[t].points.size(), sizes[t]);
        EXPECT_EQ(document.tracks[t].slot, 0);
        const std::vector<Point> points = Points(document.tracks[t].points);
        for (std::size_t i = 0; i < points.size(); ++i) EXPECT_EQ(points[i].newSection, i == 0);
    }
    EXPECT_EQ(document.tracks[0].info.name, "First Leg");
    const std::vector<Point> first = Points(document.tracks[0].points);
    EXPECT_EQ(first[0].time, (UtcTime{0, 0}));  // time 0 is 1970-01-01
    EXPECT_FALSE(first[1].time);                // none given: none
    EXPECT_EQ(Points(document.tracks[2].points)[0].time, (UtcTime{86400, 0}));
}

TEST(MpsReader, RoutesTakeTheirPointsFromTheLinkPointsAndTheirWaypoints)
{
    ByteBuilder file = MpsHeader(103);
    MpsWaypoint(file, {.name = "A", .lat = 10, .lon = 20, .metres = 5, .comment = "first", .symbol = 107});
    Record(file, 'R',
           RouteBody("Out, back", {{"A", {{10, 20}, {11, 21}}}, {"B", {{12, 22}, {13, 23}}}, {"C"}}, 0, true));
    Record(file, 'M', ByteBuilder().zeroText("map").fill(40, 0x57));
    Record(file, 'q', ByteBuilder().fill(40, 0x57));
    MpsWaypoint(file, {.name = "after"});
    const Document document = Read(file).document;
    EXPECT_EQ(document.waypoints.size(), 2u);
    ASSERT_EQ(document.routes.size(), 1u);
    EXPECT_EQ(document.routes[0].info.name, "Out, back");
    const std::vector<Point> points = Points(document.routes[0].points);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0].comment, "first");  // what its waypoint holds
    EXPECT_EQ(points[0].symbol, "Airport");
    // The native route files give a point no symbol, and the time of conversion.
    EXPECT_EQ(points[0].native, (NativeForm{.symbol = 0, .dayOfConversion = true}));
    EXPECT_EQ(points[0].elevation, 5);
    EXPECT_EQ(points[1].name, "B");  // no waypoint of its name: its name alone
    const double lats[] = {10, 12, 13};
    for (std::size_t k = 0; k < 3; ++k) EXPECT_NEAR(points[k].latitude, lats[k], kSemicircle);
    // The link points are the road, kept whole beside the points.
    EXPECT_EQ(document.routes[0].linksAfter, (std::vector<std::uint32_t>{2, 2, 0}));
    const std::vector<Point> road = Points(document.routes[0].links);
    ASSERT_EQ(road.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(road[i].longitude, 20 + static_cast<double>(i), kSemicircle);
}

TEST(MpsReader, NoCapacityOfTheNativeFilesApplies)
{
    ByteBuilder file = MpsHeader(103);
    for (int i = 1; i <= 10001; ++i) MpsWaypoint(file, "W" + std::to_string(i), 1, 1);
    MpsTrack(file, "long", 100002);
    const Document document = Read(file).document;
    EXPECT_EQ(document.waypoints.size(), 10001u);
    ASSERT_EQ(document.tracks.size(), 1u);
    EXPECT_EQ(document.tracks[0].points.size(), 100002u);
}

TEST(MpsReader, TheGapBeforeThePositionKeepsItsFixedSize)
{
    for (const char* region : {"ED", "EDX"}) {
        SCOPED_TRACE(region);
        ByteBuilder file = MpsHeader(103);
        MpsWaypoint(file, {.name = "ED_X", .lat = 51.89, .lon = 12.97, .region = region});
        MpsWaypoint(file, {.name = "next", .lat = 2, .lon = 3});
        const std::vector<Point> w = Points(Read(file).document.waypoints);
        ASSERT_EQ(w.size(), 2u);
        EXPECT_NEAR(w[0].latitude, 51.89, kSemicircle);
        EXPECT_NEAR(w[0].longitude, 12.97, kSemicircle);
        EXPECT_EQ(w[1].name, "next");
    }
}

TEST(MpsReader, DamagedFramingEndsTheReadingWithWhatCameBefore)
{
    const auto named = [](const Document& d) {
        std::vector<std::string> names;
        d.waypoints.ForEach([&](const Point& p) { names.push_back(p.name); });
        return names;
    };
    ByteBuilder negative = MpsHeader(103);
    MpsWaypoint(negative, {.name = "kept"});
    negative.i32(-5).u8('M');
    MpsWaypoint(negative, {.name = "lost"});
    EXPECT_EQ(named(Read(negative).document), std::vector<std::string>{"kept"});

    ByteBuilder empty = MpsHeader(103);  // a record of length 0 has an empty body
    MpsWaypoint(empty, {.name = "kept"});
    empty.i32(0).u8('W').i32(0).u8('M');
    MpsWaypoint(empty, {.name = "next"});
    EXPECT_EQ(named(Read(empty).document), (std::vector<std::string>{"kept", "next"}));

    ByteBuilder hugeCount = MpsHeader(103);
    TrackRecord(hugeCount, "T", {{.lat = 1, .lon = 1}, {.lat = 2, .lon = 2}}, true);
    hugeCount.put<std::int32_t>(hugeCount.size() - 2 * 31 - 4, 0x7fffffff);
    EXPECT_EQ(Read(hugeCount).document.tracks.at(0).points.size(), 2u);
}

TEST(MpsReader, ARecordCutShortKeepsOnlyWholePositions)
{
    const Finding cut{FindingKind::Truncated, "The MapSource file ends inside a record: what came before it was read.",
                      0};
    ByteBuilder whole = MpsHeader(103);
    MpsWaypoint(whole, {.name = "cut", .lat = 10, .lon = 20, .comment = "long comment", .symbol = 107});
    const std::size_t full = whole.size();
    // Cut inside the comment: the position is whole, the symbol is the default.
    whole.bytes.resize(full - 41 - 5);
    ReadResult read = Read(whole);
    EXPECT_EQ(read.findings.All(), std::vector<Finding>{cut});
    const std::vector<Point> w = Points(read.document.waypoints);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].comment, "long com");
    EXPECT_EQ(w[0].native.symbol, 70);
    // Cut inside the longitude: nothing.
    whole.bytes.resize(full - 41 - 13 - 9 - 2);
    EXPECT_TRUE(Read(whole).document.Empty());
    // Cut inside the header's texts: no record is reached.
    ByteBuilder head = MpsHeader(103);
    head.bytes.resize(head.size() - 3);
    read = Read(head);
    EXPECT_EQ(read.findings.All(), std::vector<Finding>{cut});
}

TEST(MapsourceBlocks, SymbolTableAndLookup)
{
    std::set<std::int32_t> codes;
    std::set<std::int16_t> natives;
    for (const MapsourceSymbol& row : MapsourceSymbols) {
        codes.insert(row.Code);
        natives.insert(row.Native);
        EXPECT_LE(std::string(row.Name).size(), 15u);
    }
    EXPECT_EQ(codes.size(), 119u);
    EXPECT_EQ(codes.count(53), 0u);
    EXPECT_EQ(natives.size(), 119u);
    EXPECT_EQ(*natives.begin(), 0);
    EXPECT_EQ(*natives.rbegin(), 118);
    const std::pair<std::int32_t, std::int16_t> lookups[] = {{0, 35},  {18, 70},   {52, 77},  {53, 70}, {54, 111},
                                                             {107, 0}, {119, 118}, {120, 70}, {-1, 70}};
    for (const auto& [code, native] : lookups) EXPECT_EQ(LookupMapsourceSymbol(code), native) << code;
}

TEST(MapsourceBlocks, HeaderNamesAndSemicircles)
{
    ByteBuilder b;
    b.i32(300).u8('W').text("Ab c-9_\xe9!").u8(0).text("rest").u8(0).text("tail");
    ByteReader file(b.bytes);
    std::int32_t length = 0;
    EXPECT_EQ(ReadRecordHeader(file, length), 'W');
    EXPECT_EQ(length, 300);
    EXPECT_EQ(ReadTextBytes(file, 100), "Ab c-9_\xe9!");
    EXPECT_EQ(ReadTextBytes(file, 2), "re");
    EXPECT_EQ(ReadTextBytes(file, 100), "tail");  // the end of the file ends a text
    EXPECT_EQ(ReadRecordHeader(file, length), 0);
    EXPECT_EQ(length, -1);

    EXPECT_DOUBLE_EQ(SemicirclesToDegrees(1 << 30), 90.0);
    EXPECT_DOUBLE_EQ(SemicirclesToDegrees(INT32_MIN), -180.0);
    EXPECT_DOUBLE_EQ(SemicirclesToDegrees(0), 0.0);
    // Exact: the same double as the count's degrees computed in extended precision.
    std::mt19937 random(5);
    for (int i = 0; i < 100000; ++i) {
        const auto count = static_cast<std::int32_t>(random());
        ASSERT_EQ(SemicirclesToDegrees(count), static_cast<double>(count * 180.0L / 2147483648.0L)) << count;
    }
}

TEST(MapsourceFixtures, RealMpsFiles)
{
    const std::pair<const char*, std::size_t> expected[] = {
        {"mapsource.mps", 9}, {"route.mps", 14}, {"netstumbler.mps", 37}};
    for (const auto& [name, count] : expected) {
        SCOPED_TRACE(name);
        const ReadResult read = ReadMapsourceFile(InputSource::File(FixturePath(std::string("mapsource/") + name)), {});
        EXPECT_TRUE(read.findings.Empty());
        EXPECT_EQ(read.document.waypoints.size(), count);
    }
    const ReadResult netstumbler = ReadMapsourceFile(InputSource::File(FixturePath("mapsource/netstumbler.mps")), {});
    EXPECT_EQ(Points(netstumbler.document.waypoints)[0].name, "linksys");
}

// MapSource 3 (version 100): its records are read where they decode to their
// own lengths in the later layout; a record that does not is refused.
TEST(MpsReader, Version100RecordsAreReadWhereTheyDecodeToTheirLength)
{
    const auto withRecords = [](const std::function<void(ByteBuilder&)>& add) {
        ByteBuilder file = MpsHeader(100);
        add(file);
        file.i32(2).u8('V').u16(0x100);
        return file;
    };
    struct Case {
        const char* what;
        std::function<void(ByteBuilder&)> add;
        bool refused;
    };
    const std::size_t headerEnd = MpsHeader(100).size();
    // The first record's length counts 3 bytes more than its fields.
    const auto grown = [&](ByteBuilder& file) {
        const std::size_t at = headerEnd;
        std::int32_t length = 0;
        std::memcpy(&length, file.bytes.data() + at, 4);
        file.put<std::int32_t>(at, length + 3);
        file.fill(3, 0);
    };
    const Case cases[] = {
        {"waypoint", [](ByteBuilder& f) { MpsWaypoint(f, "Summit", 46.5, 7.25); }, false},
        {"track", [](ByteBuilder& f) { MpsTrack(f, "T", 3); }, false},
        {"route",
         [](ByteBuilder& f) {
             Record(f, 'R', RouteBody("R", {{"A", {{1, 2}}}, {"B", {}, false}}, 0, true));
         },
         false},
        {"longer waypoint",
         [&](ByteBuilder& f) {
             MpsWaypoint(f, "Summit", 46.5, 7.25);
             grown(f);
         },
         true},
        {"longer track",
         [&](ByteBuilder& f) {
             MpsTrack(f, "T", 3);
             grown(f);
         },
         true},
        {"longer route",
         [&](ByteBuilder& f) {
             Record(f, 'R', RouteBody("R", {{"A", {{1, 2}}}}, 0, true));
             grown(f);
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ByteBuilder file = withRecords(c.add);
        if (c.refused) {
            try {
                Read(file);
                ADD_FAILURE() << "not refused";
            } catch (const InputRefused& refused) {
                EXPECT_EQ(refused.PaneLine(), "Obsolete Mapsource File");
            }
            continue;
        }
        const ReadResult read = Read(file);
        EXPECT_TRUE(read.findings.Empty());
        EXPECT_FALSE(read.document.Empty());
        // The same bytes as a version 103 file give the same document.
        ByteBuilder later = file;
        later.put<std::uint16_t>(11, 103);
        EXPECT_EQ(Read(later).document.waypoints.size(), read.document.waypoints.size());
    }
    // A record the file cuts short is a truncation, as in any version.
    ByteBuilder cut = MpsHeader(100);
    MpsTrack(cut, "T", 3);
    cut.bytes.resize(cut.size() - 25);  // inside the last point's longitude
    const ReadResult read = Read(cut);
    EXPECT_EQ(read.findings.All().at(0).kind, FindingKind::Truncated);
    EXPECT_EQ(read.document.tracks.at(0).points.size(), 2u);
}

// The real version 100 files, against a decoding of their bytes made here:
// a 'T' record holds its name, a display byte, a colour (int32), the point
// count (uint32) and 31 bytes a point (latitude and longitude in semicircles,
// a flag and a double of metres, a flag and the seconds since 1970, a flag
// and a double of depth).
TEST(MapsourceFixtures, Version100FilesAgreeWithTheirBytes)
{
    const std::string path = FixturePath("mapsource/mps-track.mps");
    const std::string bytes = ReadText(path);
    ByteReader file(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    std::int32_t length = 0;
    std::uint8_t type = 0;
    std::uint32_t count = 0;
    ASSERT_TRUE(file.seek(0x2D) && file.i32(length) && file.u8(type) && file.skip(6 + 5) && file.u32(count));
    ASSERT_EQ(type, 'T');
    ASSERT_EQ(count, 64u);
    ASSERT_EQ(0x32 + static_cast<std::size_t>(length), 0x32 + 15 + count * 31);

    const ReadResult read = ReadMapsourceFile(InputSource::File(path), {.mode = ReadMode::Tracks});
    EXPECT_TRUE(read.findings.Empty());
    ASSERT_EQ(read.document.tracks.size(), 1u);
    EXPECT_EQ(read.document.tracks[0].info.name, "Track");
    const std::vector<Point> points = Points(read.document.tracks[0].points);
    ASSERT_EQ(points.size(), count);
    for (const Point& p : points) {
        std::int32_t lat = 0, lon = 0;
        std::uint8_t altitudeFlag = 0, timeFlag = 0, depthFlag = 0;
        double metres = 0, depth = 0;
        std::uint32_t seconds = 0;
        ASSERT_TRUE(file.i32(lat) && file.i32(lon) && file.u8(altitudeFlag) && file.f64(metres) && file.u8(timeFlag) &&
                    file.u32(seconds) && file.u8(depthFlag) && file.f64(depth));
        EXPECT_EQ(p.latitude, lat * 180.0 / 2147483648.0);
        EXPECT_EQ(p.longitude, lon * 180.0 / 2147483648.0);
        EXPECT_EQ(altitudeFlag, 1);
        EXPECT_EQ(p.elevation, metres);
        EXPECT_EQ(timeFlag, 1);
        EXPECT_EQ(p.time, (UtcTime{static_cast<std::int64_t>(seconds), 0}));
        EXPECT_EQ(depthFlag, 0);
    }
    EXPECT_NEAR(points.front().latitude, 30.0621833, 1e-7);
    EXPECT_NEAR(points.back().longitude, -91.5996666, 1e-7);

    const ReadResult empty = ReadMapsourceFile(InputSource::File(FixturePath("mapsource/mps-empty.mps")), {});
    EXPECT_TRUE(empty.findings.Empty());
    EXPECT_TRUE(empty.document.Empty());
}
