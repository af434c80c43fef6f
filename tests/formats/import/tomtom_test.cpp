// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>

#include "core/io/file_io.h"
#include "formats/import/tomtom.h"
#include "tests/support/byte_builder.h"
#include "tests/support/document_points.h"
#include "tests/support/test_files.h"

namespace {
const char* const kTruncated = "The TomTom file ends inside a record: what came before it was read.";

void AddPoint(ByteBuilder& b, std::int32_t lon, std::int32_t lat, std::string_view name, std::uint8_t type = 2)
{
    b.u8(type).i32(static_cast<std::int32_t>(13 + name.size() + 1)).i32(lon).i32(lat).zeroText(name);
}

void AddSkipper(ByteBuilder& b) { b.u8(1).fill(20, 0x7F); }

ReadResult Read(const ByteBuilder& b) { return ReadMemory(ReadTomTomFile, b.str()); }

std::vector<std::string> Names(const ReadResult& read)
{
    std::vector<std::string> names;
    for (const Point& p : read.document.waypoints) names.push_back(p.name);
    return names;
}
}  // namespace

// The point's one text is its name and its description, whole: UTF-8 where
// it is UTF-8, the 8-bit code page otherwise.
TEST(TomTom, SkipperBlocksAreSkippedAndPointsBecomeWaypoints)
{
    ByteBuilder b;
    AddSkipper(b);
    AddPoint(b, 489123, 5237403, "Dam Square, Amsterdam");
    AddPoint(b, -15121000, -3386000, "");
    AddPoint(b, 0, 0, "Fr\xE8res, Bogis");
    AddPoint(b, 0, 0, "Test_\xC4\x80_Point");
    const ReadResult read = Read(b);
    const std::vector<Point> points = read.document.waypoints.ToVector();
    ASSERT_EQ(points.size(), 4u);
    const char* const held[] = {"Dam Square, Amsterdam||Dam Square, Amsterdam|||", "|||||",
                                "Fr\xC3\xA8res, Bogis||Fr\xC3\xA8res, Bogis|||",
                                "Test_\xC4\x80_Point||Test_\xC4\x80_Point|||"};
    // The native waypoint file gives them the day of no time.
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(Held(points[i]), held[i]);
        EXPECT_EQ(points[i].native, (NativeForm{.noDateDay = true}));
    }
    EXPECT_EQ(std::tie(points[0].latitude, points[0].longitude), std::make_tuple(52.37403, 4.89123));
    EXPECT_EQ(std::tie(points[1].latitude, points[1].longitude), std::make_tuple(-33.86, -151.21));
    EXPECT_TRUE(read.findings.Empty());
}

TEST(TomTom, RecordTypesAreReadByTheirLengths)
{
    ByteBuilder b;
    AddSkipper(b);
    AddPoint(b, 100, 100, "Deleted", 0);
    AddPoint(b, 200, 300, "Simple");
    // An extended point: its further texts lie inside its length, after the name.
    const std::string extra = std::string("Extended, too\0", 14) + "id 42" + '\0' + "+41 21 555" + '\0';
    b.u8(3).i32(static_cast<std::int32_t>(13 + extra.size())).i32(400).i32(500).text(extra);
    b.u8(0x2A).i32(9).u32(0x02020202);  // unknown type: skipped by its length
    AddPoint(b, 600, 700, "Last");
    const ReadResult read = Read(b);
    EXPECT_EQ(Names(read), (std::vector<std::string>{"Simple", "Extended, too", "Last"}));
    const std::vector<Point> points = read.document.waypoints.ToVector();
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(std::tie(points[1].latitude, points[1].longitude), std::make_tuple(0.005, 0.004));
}

TEST(TomTom, ALengthTheRecordCannotHaveEndsTheReading)
{
    const struct {
        std::uint8_t type;
        std::int32_t length;  // of the second record, whose true length is 17
        std::vector<std::string> names;
        bool truncated;
        std::size_t written = 17;  // of the record's bytes, type and length included
    } rows[] = {{2, 17, {"One", "Two", "Three"}, false},
                {3, 17, {"One", "Two", "Three"}, false},
                {0, 17, {"One", "Three"}, false},
                {9, 17, {"One", "Three"}, false},
                {2, 12, {"One"}, false},
                {3, 0, {"One"}, false},
                {2, -17, {"One"}, false},
                {2, 1000, {"One"}, true},
                {0, 4, {"One"}, false},
                // The shortest a point can be: no name, and the next record follows.
                {2, 13, {"One", "", "Three"}, false, 13},
                {0, 5, {"One", "Three"}, false, 5}};
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << int(row.type) << " " << row.length);
        ByteBuilder b;
        AddPoint(b, 1, 1, "One");
        ByteBuilder second;
        second.u8(row.type).i32(row.length).i32(2).i32(2).zeroText("Two");
        b.text(second.str().substr(0, row.written));
        AddPoint(b, 3, 3, "Three");
        const ReadResult read = Read(b);
        EXPECT_EQ(Names(read), row.names);
        EXPECT_EQ(read.findings.Has(FindingKind::Truncated), row.truncated);
    }
    // A short length cuts the name: the record ends there.
    ByteBuilder b;
    b.u8(2).i32(15).i32(0).i32(0).zeroText("Long name");
    AddPoint(b, 3, 3, "Next");
    EXPECT_EQ(Names(Read(b)), (std::vector<std::string>{"Lo"}));
}

TEST(TomTom, EveryPointIsReadAndAnEmptyFileHoldsNone)
{
    EXPECT_TRUE(Read(ByteBuilder()).document.Empty());
    ByteBuilder b;
    for (int i = 1; i <= 12000; ++i) AddPoint(b, i, -i, "P" + std::to_string(i));
    const ReadResult read = Read(b);
    ASSERT_EQ(read.document.waypoints.size(), 12000u);
    EXPECT_EQ(Names(read).back(), "P12000");
}

TEST(TomTom, ARecordCutShortByTheFileEndIsNotRead)
{
    ByteBuilder whole;
    AddPoint(whole, 100000, 200000, "Whole");
    ByteBuilder cut = whole;
    cut.u8(2).i32(18).i32(-250000).u8(0x10);  // the latitude has one byte of four
    ByteBuilder skipper = whole;
    skipper.u8(1).fill(5, 0x02);  // a cut skipper yields nothing
    for (const ByteBuilder* file : {&cut, &skipper}) {
        const ReadResult read = Read(*file);
        EXPECT_EQ(Names(read), std::vector<std::string>{"Whole"});
        EXPECT_EQ(read.findings.All(), (std::vector<Finding>{{FindingKind::Truncated, kTruncated, 0}}));
    }
}

TEST(TomTom, AMissingInputRaisesAFileError)
{
    TempDir dir;
    EXPECT_THROW(ReadTomTomFile(InputSource::File(dir.Path("absent.ov2")), {}), FileError);
}

// However damaged, a file gives at most a waypoint per 14 of its bytes.
TEST(TomTom, RandomAndTruncatedInputsEndCleanly)
{
    ByteBuilder valid;
    AddSkipper(valid);
    for (int i = 0; i < 30; ++i) AddPoint(valid, i * 1000, -i * 1000, "Point, number " + std::to_string(i));
    std::mt19937 random(8122026);
    auto run = [&](const std::vector<std::uint8_t>& bytes) {
        const ReadResult read = ReadMemory(ReadTomTomFile, std::string(bytes.begin(), bytes.end()));
        ASSERT_LE(read.document.waypoints.size() * 13, bytes.size());
    };
    for (std::size_t length = 0; length <= valid.size(); length += 13)
        run(std::vector<std::uint8_t>(valid.bytes.begin(), valid.bytes.begin() + length));
    for (int round = 0; round < 60; ++round) {
        const std::size_t size = round < 20 ? round : random() % 200001;
        std::vector<std::uint8_t> bytes(size);
        // Mostly zeros and small types so that many short records come up.
        for (auto& byte : bytes) byte = static_cast<std::uint8_t>(round % 2 ? random() : random() % 3);
        run(bytes);
    }
}

TEST(TomTom, RealPointsFile)
{
    const ReadResult read = ReadTomTomFile(InputSource::File(FixturePath("tomtom/tomtom.ov2")), {});
    const std::vector<Point> points = read.document.waypoints.ToVector();
    ASSERT_EQ(points.size(), 54u);
    EXPECT_EQ(Held(points[0]), "Aebi Fr\xC3\xA8res, Bogis-Bossey||Aebi Fr\xC3\xA8res, Bogis-Bossey|||");
    EXPECT_EQ(std::tie(points[0].latitude, points[0].longitude), std::make_tuple(46.35438, 6.17021));
    EXPECT_TRUE(read.findings.Empty());
}
