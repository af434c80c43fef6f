// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "formats/wintec/WintecTes.h"
#include "tests/support/byte_builder.h"
#include "tests/support/document_points.h"

namespace {
constexpr std::uint16_t kStart = 1, kMark = 2;

struct Fix {
    int year = 2009, month = 12, day = 25, hour = 13, minute = 52, second = 54;
};

std::uint32_t Packed(const Fix& f)
{
    return static_cast<std::uint32_t>(f.second | f.minute << 6 | f.hour << 12 | f.day << 17 | f.month << 22 |
                                      (f.year - 2000) << 26);
}

ByteBuilder& Record(ByteBuilder& b, std::uint16_t flags, const Fix& fix, std::int32_t latitude, std::int32_t longitude,
                    std::int16_t altitude)
{
    return b.u16(flags).u32(Packed(fix)).i32(latitude).i32(longitude).i16(altitude);
}

ReadResult Read(const std::string& bytes, ReadMode mode = ReadMode::Everything)
{
    return ReadWintecTesFile(InputSource::Memory("in.tes", bytes), {.mode = mode});
}
}  // namespace

// Every field of a record, in both hemispheres, the marks starting logs and making waypoints.
TEST(WintecTes, RecordsGiveTracksAndMarkedWaypoints)
{
    ByteBuilder b;
    Record(b, kStart, {}, 531229088, 89171496, 55);
    Record(b, kMark, {.second = 59}, -531225056, -1799999999, -2);
    Record(b, kStart | kMark, {.year = 2063, .month = 1, .day = 31, .hour = 23, .minute = 59, .second = 0}, 900000000,
           1800000000, 32767);
    const ReadResult read = Read(b.str());
    ASSERT_EQ(read.document.tracks.size(), 2u);
    const std::vector<Point> first = read.document.tracks[0].points.ToVector();
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(Held(first[0]), "||||55.000|2009-12-25T13:52:54Z");
    EXPECT_DOUBLE_EQ(first[0].latitude, 53.1229088);
    EXPECT_DOUBLE_EQ(first[0].longitude, 8.9171496);
    EXPECT_DOUBLE_EQ(first[1].latitude, -53.1225056);
    EXPECT_DOUBLE_EQ(first[1].longitude, -179.9999999);
    const std::vector<Point> second = read.document.tracks[1].points.ToVector();
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(Held(second[0]), "||||32767.000|2063-01-31T23:59:00Z");
    EXPECT_TRUE(second[0].newSection);
    const std::vector<Point> waypoints = read.document.waypoints.ToVector();
    ASSERT_EQ(waypoints.size(), 2u);
    EXPECT_EQ(Held(waypoints[0]), "||||-2.000|2009-12-25T13:52:59Z");
    EXPECT_DOUBLE_EQ(waypoints[1].longitude, 180.0);
    EXPECT_TRUE(read.findings.Empty());
}

// A read for one kind counts the other as left out.
TEST(WintecTes, OneKindCountsTheOther)
{
    ByteBuilder b;
    Record(b, kStart | kMark, {}, 1, 1, 0);
    Record(b, kStart, {}, 2, 2, 0);
    const ReadResult tracks = Read(b.str(), ReadMode::Tracks);
    EXPECT_EQ(tracks.document.tracks.size(), 2u);
    EXPECT_TRUE(tracks.document.waypoints.empty());
    EXPECT_EQ(tracks.waypointsLeftOut, 1);
    const ReadResult waypoints = Read(b.str(), ReadMode::Waypoints);
    EXPECT_TRUE(waypoints.document.tracks.empty());
    EXPECT_EQ(waypoints.document.waypoints.size(), 1u);
    EXPECT_EQ(waypoints.tracksLeftOut, 2);
}

// Damage of each kind: what cannot be read is left out and said, nothing made up.
TEST(WintecTes, DamagedRecordsAreLeftOutAndSaid)
{
    const struct {
        const char* what;
        Fix fix;
        std::int32_t latitude, longitude;
        std::size_t cut;  // bytes of the last record left out
        std::size_t points;
        FindingKind kind;
        std::int64_t count;
    } cases[] = {
        {"a latitude past the pole", {}, 900000001, 0, 0, 1, FindingKind::Unusable, 1},
        {"a longitude past the date line", {}, 0, -1800000001, 0, 1, FindingKind::Unusable, 1},
        {"a month 13", {.month = 13}, 1, 1, 0, 2, FindingKind::Skipped, 1},
        {"a day 0", {.day = 0}, 1, 1, 0, 2, FindingKind::Skipped, 1},
        {"a 30th of February", {.month = 2, .day = 30}, 1, 1, 0, 2, FindingKind::Skipped, 1},
        {"a minute 60", {.minute = 60}, 1, 1, 0, 2, FindingKind::Skipped, 1},
        {"a record cut short", {}, 1, 1, 5, 1, FindingKind::Truncated, 0},
        {"a record of one byte", {}, 1, 1, 15, 1, FindingKind::Truncated, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ByteBuilder b;
        Record(b, kStart, {}, 10, 10, 0);
        Record(b, 0, c.fix, c.latitude, c.longitude, 0);
        b.bytes.resize(b.size() - c.cut);
        const ReadResult read = Read(b.str());
        EXPECT_EQ(TrackPoints(read).size(), c.points);
        ASSERT_EQ(read.findings.All().size(), 1u);
        EXPECT_EQ(read.findings.All()[0].kind, c.kind);
        EXPECT_EQ(read.findings.All()[0].count, c.count);
        for (const Point& p : TrackPoints(read)) EXPECT_TRUE(p.time || c.kind == FindingKind::Skipped);
    }
}

// Without a signature the file is taken by its extension: a text or another
// file so named is refused by its first record's flags, its bytes never read as positions.
TEST(WintecTes, OtherFilesGivenItsExtensionAreRefused)
{
    ByteBuilder odd;
    Record(odd, 0x0100, {}, 10, 10, 0);
    for (const std::string& bytes : {std::string("Kestrelmaps Track Point File Version 2.1\r\nWGS 84\r\n"), odd.str()})
        EXPECT_THROW(Read(bytes), InputRefused) << bytes;
}
