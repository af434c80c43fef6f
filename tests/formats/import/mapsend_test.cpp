// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "core/io/byte_reader.h"
#include "core/io/file_io.h"
#include "formats/import/Mapsend.h"
#include "tests/support/byte_builder.h"
#include "tests/support/document_points.h"
#include "tests/support/test_files.h"

namespace {
ByteBuilder Header(char version, std::int32_t kind)
{
    ByteBuilder b;
    b.u8(12).fixed("MapSend file", 12).u8(static_cast<std::uint8_t>(version)).i32(kind);
    return b;
}

ByteBuilder TrackHeader(char version, const std::string& name, std::int32_t count)
{
    ByteBuilder b = Header(version, 2);
    b.u8(static_cast<std::uint8_t>(name.size())).text(name).i32(count);
    return b;
}

// Versions "0" and "4" hold whole metres, any other version character a float.
void AddPoint(ByteBuilder& b, char version, double lon, double negLat, float metres, std::uint32_t seconds,
              std::int32_t valid = 1)
{
    b.f64(lon).f64(negLat);
    if (version == '0' || version == '4') b.i32(static_cast<std::int32_t>(metres));
    else b.f32(metres);
    b.u32(seconds).i32(valid);
    if (version != '0') b.u8(0xEE);
}

void AddWaypoint(ByteBuilder& b, const std::string& name, const std::string& comment, std::uint8_t symbol,
                 double metres, double lon, double negLat)
{
    b.u8(static_cast<std::uint8_t>(name.size())).text(name);
    b.u8(static_cast<std::uint8_t>(comment.size())).text(comment);
    b.u32(0xDEADBEEF).u8(symbol).u8(0x55).f64(metres).f64(lon).f64(negLat);
}

ReadResult ReadTrack(const ByteBuilder& b) { return ReadMemory(ReadMapsendTrackFile, b.str()); }
ReadResult ReadWaypoints(const ByteBuilder& b) { return ReadMemory(ReadMapsendWaypointFile, b.str()); }
}  // namespace

TEST(Mapsend, VersionCharacterDecidesTheRecordSizeAndTheAltitudeType)
{
    const struct {
        char version;
        float metres;  // written as an int32 in versions "0" and "4"
        const char* held;
    } rows[] = {{'0', 205, "||||205.000|1970-01-01T00:00:00Z"},
                {'4', -12, "||||-12.000|1970-01-01T00:00:00Z"},
                {'X', 209.8f, "||||209.800|1970-01-01T00:00:00Z"},  // the decimal the float was written from
                {'6', -0.25f, "||||-0.250|1970-01-01T00:00:00Z"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        ByteBuilder b = TrackHeader(row.version, "H\xF6henweg", 2);
        AddPoint(b, row.version, -122.25, -45.5, row.metres, 0);
        AddPoint(b, row.version, 4.5, -52.25, -3.0f, 1591641540);
        const ReadResult read = ReadTrack(b);
        ASSERT_EQ(read.document.tracks.size(), 1u);
        EXPECT_EQ(read.document.tracks[0].info.name, "H\xC3\xB6henweg");
        const std::vector<Point> points = TrackPoints(read);
        ASSERT_EQ(points.size(), 2u);
        EXPECT_EQ(std::tie(points[0].latitude, points[0].longitude), std::make_tuple(45.5, -122.25));
        EXPECT_EQ(Held(points[0]), row.held);
        EXPECT_EQ(std::tie(points[1].latitude, points[1].longitude), std::make_tuple(52.25, 4.5));
        EXPECT_EQ(Held(points[1]), "||||-3.000|2020-06-08T18:39:00Z");
        EXPECT_TRUE(read.findings.Empty());
    }
}

TEST(Mapsend, InvalidRecordsAreSkippedAndOnlyTheFirstPointStartsASection)
{
    ByteBuilder b = TrackHeader('4', "T", 5);
    for (const std::int32_t valid : {0, 7, 0, -1, 1}) AddPoint(b, '4', valid + 3, -1, 0, 0, valid);
    const std::vector<Point> points = TrackPoints(ReadTrack(b));
    ASSERT_EQ(points.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(points[i].newSection, i == 0) << i;
    EXPECT_EQ(points[1].longitude, 2);
}

TEST(Mapsend, AFileOfTheOtherKindOrOfNoKindIsRefused)
{
    ByteBuilder waypointFile = Header('4', 1);
    waypointFile.i32(0);
    const struct {
        Reader reader;
        ByteBuilder file;
        const char* message;
    } rows[] = {{ReadMapsendTrackFile, waypointFile, "This is not a Track file"},
                {ReadMapsendWaypointFile, TrackHeader('4', "T", 0), "This is not a Waypoint file"},
                {ReadMapsendTrackFile, ByteBuilder().text("short"), "This is not a Track file"}};
    for (const auto& row : rows) {
        try {
            ReadMemory(row.reader, row.file.str());
            ADD_FAILURE() << row.message;
        } catch (const InputRefused& refused) {
            EXPECT_STREQ(refused.what(), row.message);
        }
    }
}

// A count beyond the file's end ends with the last whole record, and says so.
TEST(Mapsend, AFileEndingInsideARecordKeepsWhatCameBefore)
{
    ByteBuilder cut = TrackHeader('4', "T", 5);
    AddPoint(cut, '4', 1, 0, 0, 0);
    AddPoint(cut, '4', 2, 0, 0, 0);
    cut.fill(20, 0x11);  // half a record
    ByteBuilder huge = TrackHeader('0', "T", std::numeric_limits<std::int32_t>::max());
    for (int i = 0; i < 3; ++i) AddPoint(huge, '0', i, 0, 0, 0);
    ByteBuilder trailerCut = TrackHeader('4', "T", 1);
    AddPoint(trailerCut, '4', 1, 0, 0, 0);
    trailerCut.bytes.pop_back();  // the byte after the last record
    ByteBuilder negative = TrackHeader('0', "Neg", -4);
    AddPoint(negative, '0', 1, 0, 0, 0);
    ByteBuilder waypoints = Header('4', 1);
    waypoints.i32(1000000);
    AddWaypoint(waypoints, "One", "c", 1, 0, 0, 0);
    AddWaypoint(waypoints, "Two", "c", 1, 0, 0, 0);
    waypoints.u8(5).text("Thr");  // name cut short, no record
    const struct {
        const char* what;
        ReadResult read;
        std::size_t points;
        bool truncated;
    } rows[] = {
        {"half a record", ReadTrack(cut), 2, true},
        {"a count far beyond", ReadTrack(huge), 3, true},
        {"no trailer byte", ReadTrack(trailerCut), 1, true},
        {"no points", ReadTrack(TrackHeader('4', "T", 1)), 0, true},
        {"no count", ReadTrack(Header('4', 2).u8(9).text("name")), 0, true},
        {"a negative count", ReadTrack(negative), 0, false},
        {"waypoints", ReadWaypoints(waypoints), 2, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const Document& d = row.read.document;
        EXPECT_EQ(d.waypoints.size() + static_cast<std::size_t>(d.TrackPointCount()), row.points);
        const std::vector<Finding> expected = {
            {FindingKind::Truncated, "The MapSend file ends inside a record: what came before it was read.", 0}};
        EXPECT_EQ(row.read.findings.All(), row.truncated ? expected : std::vector<Finding>{});
    }
}

TEST(Mapsend, WaypointsTakeNameCommentPositionSymbolAndMetresButNoTime)
{
    ByteBuilder b = Header('0', 1);
    b.i32(3);
    AddWaypoint(b, "", "first has no name", 200, 1234.5, -122.25, -45.5);
    AddWaypoint(b, "Caf\xE9, Pier", "north,\x96it", 0, 8848.86, 7.25, -46.5);
    AddWaypoint(b, "Grave", "", 11, -3.5, 7, -46);
    const ReadResult read = ReadWaypoints(b);
    const std::vector<Point> points = read.document.waypoints.ToVector();
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(std::tie(points[0].latitude, points[0].longitude), std::make_tuple(45.5, -122.25));
    const char* const held[] = {"|first has no name|||1234.500|",
                                "Caf\xC3\xA9, Pier|north,\xE2\x80\x93it||Airport|8848.860|",
                                "Grave|||Cemetery|-3.500|"};
    const int codes[] = {200, 0, 11};
    const float feet[] = {1234.5f, 8848.86f, -3.5f};  // the native files' feet: the value unchanged
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Held(points[i]), held[i]);
        EXPECT_EQ(points[i].symbolCode, codes[i]);
        EXPECT_EQ(points[i].native, NativeForm{.feet = feet[i]});
    }
    EXPECT_TRUE(read.findings.Empty());
}

TEST(Mapsend, CountedStringsStopAtTheFileEnd)
{
    const ByteBuilder b = ByteBuilder().u8(0).u8(3).text("abc").u8(9).text("xy");
    ByteReader file(b.bytes);
    EXPECT_EQ(ReadCountedString(file), "");
    EXPECT_EQ(file.position(), 1u);  // the next item starts right after a zero length
    EXPECT_EQ(ReadCountedString(file), "abc");
    EXPECT_EQ(ReadCountedString(file), "xy");
    EXPECT_EQ(ReadCountedString(file), "");
}

// Any bit pattern can sit in the file: what is not a usable value is none.
TEST(Mapsend, NonFiniteValuesAreNoneAndPointsWithoutAPositionAreLeftOut)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    ByteBuilder wpt = Header('4', 1);
    wpt.i32(3);
    AddWaypoint(wpt, "Nan", "", 0, nan, 1, -1);
    AddWaypoint(wpt, "Huge", "", 0, 1e300, 1, -1);
    AddWaypoint(wpt, "Nowhere", "", 0, 1, nan, -1);
    const ReadResult waypoints = ReadWaypoints(wpt);
    ASSERT_EQ(waypoints.document.waypoints.size(), 2u);
    for (const Point& p : waypoints.document.waypoints) {
        EXPECT_FALSE(p.HasElevation()) << p.name;
        EXPECT_EQ(p.native.feet, -777.0f) << p.name;
    }
    EXPECT_EQ(waypoints.findings.CountOf(FindingKind::Unusable), 1);

    ByteBuilder trk = TrackHeader('5', "T", 2);
    AddPoint(trk, '5', nan, -1, 1, 0);
    AddPoint(trk, '5', 2, -1, std::numeric_limits<float>::infinity(), 0);
    const ReadResult track = ReadTrack(trk);
    const std::vector<Point> points = TrackPoints(track);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_TRUE(points[0].newSection);  // the first point left out hands its section on
    EXPECT_FALSE(points[0].HasElevation());
    EXPECT_EQ(track.findings.CountOf(FindingKind::Unusable), 1);
}

// Every record the file holds is read, beyond any native capacity.
TEST(Mapsend, EveryPointAndWaypointIsRead)
{
    ByteBuilder trk = TrackHeader('0', "Long", 100005);
    for (int i = 0; i < 100005; ++i) AddPoint(trk, '0', i * 1e-5, -1, 0, static_cast<std::uint32_t>(i));
    EXPECT_EQ(ReadTrack(trk).document.TrackPointCount(), 100005);
    ByteBuilder wpt = Header('4', 1);
    wpt.i32(10003);
    for (int i = 1; i <= 10003; ++i) AddWaypoint(wpt, std::to_string(i), "", 0, 0, 0, 0);
    EXPECT_EQ(ReadWaypoints(wpt).document.waypoints.size(), 10003u);
}

// However damaged, a file gives at most the records its bytes can hold.
TEST(Mapsend, RandomAndTruncatedInputsEndCleanly)
{
    ByteBuilder trk = TrackHeader('4', "Track", 40);
    for (int i = 0; i < 40; ++i) AddPoint(trk, '4', i, -i, 1, 2, i % 3);
    ByteBuilder wpt = Header('4', 1);
    wpt.i32(30);
    for (int i = 0; i < 30; ++i) AddWaypoint(wpt, "W" + std::to_string(i), "comment", 4, 5, 6, 7);

    std::mt19937 random(20261208);
    auto run = [&](const std::vector<std::uint8_t>& bytes) {
        for (const Reader reader : {ReadMapsendTrackFile, ReadMapsendWaypointFile}) {
            try {
                const ReadResult read = ReadMemory(reader, std::string(bytes.begin(), bytes.end()));
                const Document& d = read.document;
                ASSERT_LE(d.waypoints.size() * 32 + static_cast<std::size_t>(d.TrackPointCount()) * 28, bytes.size());
            } catch (const InputRefused&) {}
        }
    };
    for (const ByteBuilder* valid : {&trk, &wpt})
        for (std::size_t length = 0; length <= valid->size(); length += 7)
            run(std::vector<std::uint8_t>(valid->bytes.begin(), valid->bytes.begin() + length));
    for (int round = 0; round < 120; ++round) {
        const std::size_t size = round < 20 ? round : random() % 200001;
        std::vector<std::uint8_t> bytes(size);
        for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
        // Half the inputs get a plausible header so the records are reached.
        if (round % 2 == 0 && size >= 22) {
            bytes[13] = round % 4 == 0 ? '0' : '4';
            bytes[14] = static_cast<std::uint8_t>(1 + round % 4 / 2);
            bytes[15] = bytes[16] = bytes[17] = 0;
        }
        run(bytes);
    }
}

TEST(Mapsend, RealTrackFiles)
{
    const ReadResult mapsend = ReadMapsendTrackFile(InputSource::File(FixturePath("mapsend/mapsend.trk")), {});
    ASSERT_EQ(mapsend.document.tracks.size(), 1u);
    EXPECT_EQ(mapsend.document.tracks[0].info.name, "Track");
    const std::vector<Point> points = TrackPoints(mapsend);
    ASSERT_EQ(points.size(), 64u);
    EXPECT_NEAR(points[0].latitude, 30.0621833, 1e-6);
    EXPECT_NEAR(points[0].longitude, -91.61035, 1e-6);
    EXPECT_EQ(Held(points[0]), "||||1.000|2002-05-25T17:06:21Z");

    const ReadResult chicago = ReadMapsendTrackFile(InputSource::File(FixturePath("mapsend/chicago.trk")), {});
    EXPECT_EQ(chicago.document.tracks.at(0).info.name, "chicago");
    EXPECT_EQ(chicago.document.TrackPointCount(), 2000);
    EXPECT_TRUE(mapsend.findings.Empty() && chicago.findings.Empty());
}
