// SPDX-License-Identifier: GPL-3.0-or-later
// The .mps reader and the building blocks both MapSource readers share.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "core/byte_reader.h"
#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/convert.h"
#include "core/store.h"
#include "formats/format_table.h"
#include "formats/import/Mapsource.h"
#include "tests/support/byte_builder.h"
#include "tests/support/mapsource_files.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/test_files.h"

namespace {
constexpr double kLocalNow = 45000.25;
constexpr double kUtcNow = kLocalNow + 0.5;  // the time of reading

using mapsource_files::Semicircles;

ByteBuilder MpsHead(std::uint16_t version)
{
    ByteBuilder b;
    b.text("MsRcd").u8(0).i32(2).u8('D').u16(version);
    b.i32(27).u8('A').u16(406).zeroText("SQA").zeroText("Oct 22 2001").zeroText("15:45:05");
    return b;
}

void Record(ByteBuilder& file, char type, const ByteBuilder& body)
{
    file.i32(static_cast<std::int32_t>(body.size())).u8(static_cast<std::uint8_t>(type));
    file.bytes.insert(file.bytes.end(), body.bytes.begin(), body.bytes.end());
}

struct Wpt {
    std::string name_ = "WP1";
    double lat_ = 51.5;
    double lon_ = -0.25;
    std::uint8_t altFlag_ = 0;
    double metres_ = 0;
    std::string comment_{};
    std::int32_t symbol_ = 18;
    std::string region_{};  // bytes 4 to 6 of the 27 before the position
    Wpt& name(const std::string& v)
    {
        name_ = v;
        return *this;
    }
    Wpt& lat(double v)
    {
        lat_ = v;
        return *this;
    }
    Wpt& lon(double v)
    {
        lon_ = v;
        return *this;
    }
    Wpt& altFlag(std::uint8_t v)
    {
        altFlag_ = v;
        return *this;
    }
    Wpt& metres(double v)
    {
        metres_ = v;
        return *this;
    }
    Wpt& comment(const std::string& v)
    {
        comment_ = v;
        return *this;
    }
    Wpt& symbol(std::int32_t v)
    {
        symbol_ = v;
        return *this;
    }
    Wpt& region(const std::string& v)
    {
        region_ = v;
        return *this;
    }
};

void AddWaypoint(ByteBuilder& file, const Wpt& w)
{
    ByteBuilder b;
    b.zeroText(w.name_).u32(0).fixed(w.region_, 3).u16(0).fill(12, 0xff).u16(0).u32(0xffffffff);
    b.i32(Semicircles(w.lat_)).i32(Semicircles(w.lon_)).u8(w.altFlag_).f64(w.metres_).zeroText(w.comment_);
    b.fill(17, 0).i32(w.symbol_).fill(20, 0);
    Record(file, 'W', b);
}

struct Pt {
    double lat_ = 50.0;
    double lon_ = 8.0;
    std::uint8_t altFlag_ = 0;
    double metres_ = 0;
    std::uint8_t timeFlag_ = 1;
    std::uint32_t seconds_ = 0;
    Pt& lat(double v)
    {
        lat_ = v;
        return *this;
    }
    Pt& lon(double v)
    {
        lon_ = v;
        return *this;
    }
    Pt& altFlag(std::uint8_t v)
    {
        altFlag_ = v;
        return *this;
    }
    Pt& metres(double v)
    {
        metres_ = v;
        return *this;
    }
    Pt& timeFlag(std::uint8_t v)
    {
        timeFlag_ = v;
        return *this;
    }
    Pt& seconds(std::uint32_t v)
    {
        seconds_ = v;
        return *this;
    }
};

void AddTrack(ByteBuilder& file, const std::string& name, const std::vector<Pt>& points)
{
    ByteBuilder b;
    b.zeroText(name).u8(0).i32(0).i32(static_cast<std::int32_t>(points.size()));
    for (const Pt& p : points)
        b.i32(Semicircles(p.lat_))
            .i32(Semicircles(p.lon_))
            .u8(p.altFlag_)
            .f64(p.metres_)
            .u8(p.timeFlag_)
            .u32(p.seconds_)
            .u8(0)
            .f64(0);
    Record(file, 'T', b);
}

class MpsReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PinClock(kLocalNow, kUtcNow);
        ReadFailed = false;
        TrackFilesWritten.clear();
    }
    void TearDown() override { UnpinClock(); }

    void Read(const ByteBuilder& file)
    {
        const std::string path = dir.Path("in.mps");
        WriteText(path, file.str());
        ScopedFrontEnd scope(front);
        ReadMapsourceMpsFile(path, dir.Path("out.plt"), mode);
    }

    TempDir dir;
    RecordingFrontEnd front;
    ReadMode mode = ReadMode::Waypoints;
};

TEST_F(MpsReaderTest, VersionBoundaries)
{
    for (std::uint16_t version : {102, 103, 105, 106}) {
        SCOPED_TRACE(version);
        front.messages.clear();
        front.lines.clear();
        ReadFailed = false;
        ByteBuilder file = MpsHead(version);
        AddWaypoint(file, {});
        Read(file);
        if (version == 102) {
            EXPECT_EQ(front.messages,
                      std::vector<std::string>{"The file is created by an obsolete version of MapSource. "
                                               "MapSource 4 or later is required."});
            EXPECT_EQ(front.lines, std::vector<std::string>{"Obsolete Mapsource File"});
            EXPECT_TRUE(ReadFailed);
            EXPECT_EQ(WaypointCount, 0);
        } else {
            EXPECT_FALSE(ReadFailed);
            EXPECT_EQ(WaypointCount, 1);
            EXPECT_TRUE(front.lines.empty());
            if (version == 106)
                EXPECT_EQ(front.messages,
                          std::vector<std::string>{"The file is created by a version of MapSource later "
                                                   "than 4.13. Result from this version may be "
                                                   "unpredictable."});
            else EXPECT_TRUE(front.messages.empty());
        }
    }
}

TEST_F(MpsReaderTest, EmptyOrHeaderlessFileIsRejectedAsObsolete)
{
    Read(ByteBuilder{});
    EXPECT_TRUE(ReadFailed);
    EXPECT_EQ(front.lines, std::vector<std::string>{"Obsolete Mapsource File"});
}

TEST_F(MpsReaderTest, WaypointFieldsNamesAndComments)
{
    ByteBuilder file = MpsHead(103);
    AddWaypoint(file, Wpt().name("Camp #2, Lake").lat(0).lon(5).comment("dock, north side").symbol(107));
    AddWaypoint(file, Wpt().name("").lat(0).lon(0));  // 0/0: dropped, not counted
    AddWaypoint(file, Wpt().name("#!").lat(-33.5).lon(151.25).symbol(53));
    Read(file);
    ASSERT_EQ(WaypointCount, 2);
    const WayPoints& a = WaypointList[1];
    EXPECT_EQ(a.Name, "Camp2Lake");
    EXPECT_EQ(a.Description, "dock  north side");
    EXPECT_DOUBLE_EQ(a.Latitude, 0);
    EXPECT_NEAR(a.Longitude, 5, 1e-7);
    EXPECT_EQ(a.Symbol, 0);
    EXPECT_DOUBLE_EQ(a.DateTime, kUtcNow);
    EXPECT_EQ(a.Number, -1);
    EXPECT_EQ(a.Column10, 65535);
    const WayPoints& b = WaypointList[2];
    EXPECT_EQ(b.Name, "X");
    EXPECT_NEAR(b.Latitude, -33.5, 1e-7);
    EXPECT_NEAR(b.Longitude, 151.25, 1e-7);
    EXPECT_EQ(b.Symbol, 70);
}

TEST_F(MpsReaderTest, AltitudeRulesForWaypointsAndTrackPoints)
{
    ByteBuilder file = MpsHead(103);
    const std::vector<std::pair<std::uint8_t, double>> cases = {{0, 100.0},        {1, 0.4},   {1, 100.0},
                                                                {1, std::nan("")}, {1, 1e300}, {2, 100.0}};
    std::vector<Pt> points;
    for (const auto& [flag, metres] : cases) {
        AddWaypoint(file, Wpt().altFlag(flag).metres(metres));
        points.push_back(Pt().altFlag(flag).metres(metres));
    }
    AddTrack(file, "T", points);
    Read(file);
    ASSERT_EQ(WaypointCount, 6);
    const float feet[] = {-777, -777, 328, -777, -777, -777};  // 1e300 m is no real altitude
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(WaypointList[i + 1].Altitude, feet[i]);
        const float metres = feet[i] == -777 ? -777.0f : static_cast<float>(feet[i] / 3.2808);
        EXPECT_FLOAT_EQ(TrackPointList[i].Altitude, metres);
    }
    EXPECT_FLOAT_EQ(TrackPointList[2].Altitude, static_cast<float>(328 / 3.2808));
}

TEST_F(MpsReaderTest, ThreeTracksInTrackModeGiveThreeFiles)
{
    mode = ReadMode::Tracks;
    ByteBuilder file = MpsHead(105);
    AddWaypoint(file, {});  // not stored in track mode
    AddTrack(file, "First Leg", {Pt().lat(1).lon(2), Pt().lat(3).lon(4).timeFlag(0)});
    AddTrack(file, "empty", {});
    AddTrack(file, "third", {Pt().lat(5).lon(6).seconds(86400), Pt().lat(7).lon(8), Pt().lat(9).lon(10)});
    Read(file);
    EXPECT_EQ(WaypointCount, 0);
    // A track without points makes no file.
    const std::vector<std::string> names = {dir.Path("out_1.plt"), dir.Path("out_3.plt")};
    EXPECT_EQ(TrackFilesWritten.FirstNames(), names);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out_2.plt")));
    const auto first = SplitCrLf(ReadText(names[0]));
    ASSERT_GE(first.size(), 8u);
    EXPECT_EQ(first[4], "0,2,255,FirstLeg,1,0,0,255");
    EXPECT_EQ(first[6].substr(0, 25), "   1.000000,   2.000000,1");
    EXPECT_EQ(first[6].substr(34, 13), "25569.0000000");  // time 0 is 1970-01-01
    EXPECT_EQ(first[7].substr(0, 25), "   3.000000,   4.000000,0");
    EXPECT_EQ(first[7].substr(34, 13), "45000.7500000");  // no time: the time of reading
    const auto third = SplitCrLf(ReadText(names[1]));
    ASSERT_EQ(third.size(), 9u);
    EXPECT_EQ(third[6][24], '1');
    EXPECT_EQ(third[7][24], '0');
    EXPECT_EQ(third[8][24], '0');
    EXPECT_EQ(third[6].substr(34, 13), "25570.0000000");
    EXPECT_EQ(TrackProps.PointCount, 3);  // the store keeps the last track
}

TEST_F(MpsReaderTest, RoutesAndUnknownRecordsChangeNothing)
{
    ByteBuilder file = MpsHead(103);
    ByteBuilder junk;
    junk.zeroText("route").fill(40, 0x57);
    Record(file, 'R', junk);
    Record(file, 'M', junk);
    Record(file, 'q', junk);
    AddWaypoint(file, Wpt().name("after"));
    Read(file);
    ASSERT_EQ(WaypointCount, 1);
    EXPECT_EQ(WaypointList[1].Name, "after");
    EXPECT_EQ(TrackProps.PointCount, 0);
}

TEST_F(MpsReaderTest, StopsAfterTenThousandWaypoints)
{
    ByteBuilder file = MpsHead(103);
    for (int i = 1; i <= 10001; ++i) AddWaypoint(file, Wpt().name("W" + std::to_string(i)).lat(1).lon(1));
    AddTrack(file, "never", {{}});
    Read(file);
    EXPECT_EQ(WaypointCount, 10000);
    EXPECT_EQ(WaypointList[10000].Name, "W10000");
    EXPECT_EQ(TrackProps.PointCount, 0);
}

TEST_F(MpsReaderTest, OverlongTrackKeepsTheFirst100000Points)
{
    ByteBuilder file = MpsHead(103);
    std::vector<Pt> points(100002, Pt().lat(1).lon(1));
    points[99999].lat(2);
    AddTrack(file, "long", points);
    AddWaypoint(file, Wpt().name("after"));
    Read(file);
    EXPECT_EQ(TrackProps.PointCount, 100000);
    EXPECT_NEAR(TrackPointList[99999].Latitude, 2, 1e-7);
    ASSERT_EQ(WaypointCount, 1);
    EXPECT_EQ(WaypointList[1].Name, "after");
}

TEST_F(MpsReaderTest, TextInTheGapBeforeThePositionKeepsItsFixedSize)
{
    for (const char* region : {"ED", "EDX"}) {
        SCOPED_TRACE(region);
        ByteBuilder file = MpsHead(103);
        AddWaypoint(file, Wpt().name("ED_X").lat(51.89).lon(12.97).region(region));
        AddWaypoint(file, Wpt().name("next").lat(2).lon(3));
        Read(file);
        ASSERT_EQ(WaypointCount, 2);
        EXPECT_NEAR(WaypointList[1].Latitude, 51.89, 1e-7);
        EXPECT_NEAR(WaypointList[1].Longitude, 12.97, 1e-7);
        EXPECT_EQ(WaypointList[2].Name, "next");
    }
}

TEST_F(MpsReaderTest, NegativeLengthsEndTheReadingAndEmptyRecordsAreSkipped)
{
    ByteBuilder negative = MpsHead(103);
    AddWaypoint(negative, Wpt().name("kept"));
    negative.i32(-5).u8('M');
    AddWaypoint(negative, Wpt().name("lost"));
    Read(negative);
    ASSERT_EQ(WaypointCount, 1);
    EXPECT_EQ(WaypointList[1].Name, "kept");

    ByteBuilder empty = MpsHead(103);  // a record of length 0 has an empty body
    AddWaypoint(empty, Wpt().name("kept"));
    empty.i32(0).u8('W').i32(0).u8('M');
    AddWaypoint(empty, Wpt().name("next"));
    Read(empty);
    ASSERT_EQ(WaypointCount, 2);
    EXPECT_EQ(WaypointList[2].Name, "next");

    ByteBuilder hugeCount = MpsHead(103);
    AddTrack(hugeCount, "T", {Pt().lat(1).lon(1), Pt().lat(2).lon(2)});
    hugeCount.put<std::int32_t>(hugeCount.size() - 2 * 31 - 4, 0x7fffffff);
    Read(hugeCount);
    EXPECT_EQ(TrackProps.PointCount, 2);
}

TEST_F(MpsReaderTest, RecordCutShortKeepsOnlyWholePositions)
{
    ByteBuilder whole = MpsHead(103);
    AddWaypoint(whole, Wpt().name("cut").lat(10).lon(20).comment("long comment").symbol(107));
    const std::size_t full = whole.size();
    // Cut inside the comment: the position is whole, the symbol takes the default.
    whole.bytes.resize(full - 41 - 5);
    StartConversionRecord();
    Read(whole);
    EXPECT_TRUE(InputReadInPart());
    ASSERT_EQ(WaypointCount, 1);
    EXPECT_EQ(WaypointList[1].Description, "long com");
    EXPECT_EQ(WaypointList[1].Symbol, 70);
    // Cut inside the longitude: nothing stored.
    whole.bytes.resize(full - 41 - 13 - 9 - 2);
    Read(whole);
    EXPECT_EQ(WaypointCount, 0);
    // Cut inside the header's texts: no record is reached.
    ByteBuilder head = MpsHead(103);
    head.bytes.resize(head.size() - 3);
    StartConversionRecord();
    Read(head);
    EXPECT_TRUE(InputReadInPart());
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
    EXPECT_EQ(LookupMapsourceSymbol(0), 35);
    EXPECT_EQ(LookupMapsourceSymbol(18), 70);
    EXPECT_EQ(LookupMapsourceSymbol(52), 77);
    EXPECT_EQ(LookupMapsourceSymbol(53), 70);
    EXPECT_EQ(LookupMapsourceSymbol(54), 111);
    EXPECT_EQ(LookupMapsourceSymbol(107), 0);
    EXPECT_EQ(LookupMapsourceSymbol(119), 118);
    EXPECT_EQ(LookupMapsourceSymbol(120), 70);
    EXPECT_EQ(LookupMapsourceSymbol(-1), 70);
}

TEST(MapsourceBlocks, HeaderNameAndSemicircles)
{
    ByteBuilder b;
    b.i32(300).u8('W').text("Ab c-9_\xe9!").u8(0).text("rest");
    ByteReader file(b.bytes);
    std::int32_t length = 0;
    EXPECT_EQ(ReadRecordHeader(file, length), 'W');
    EXPECT_EQ(length, 300);
    EXPECT_EQ(ReadCleanName(file), "Abc-9");
    EXPECT_EQ(ReadCleanName(file), "rest");  // the end of the file ends a name
    EXPECT_EQ(ReadRecordHeader(file, length), 0);
    EXPECT_EQ(length, -1);

    EXPECT_DOUBLE_EQ(SemicirclesToDegrees(1 << 30), 90.0);
    EXPECT_DOUBLE_EQ(SemicirclesToDegrees(INT32_MIN), -180.0);
    EXPECT_DOUBLE_EQ(SemicirclesToDegrees(0), 0.0);
}

TEST(MapsourceFixtures, RealMpsFilesConvert)
{
    RecordingFrontEnd front;
    ScopedFrontEnd scope(front);
    TempDir dir;
    const std::pair<const char*, int> expected[] = {{"mapsource.mps", 9}, {"route.mps", 14}, {"netstumbler.mps", 37}};
    for (const auto& [name, count] : expected) {
        SCOPED_TRACE(name);
        ReadFailed = false;
        ReadMapsourceMpsFile(FixturePath(std::string("mapsource/") + name), dir.Path("out"), ReadMode::Waypoints);
        EXPECT_FALSE(ReadFailed);
        EXPECT_EQ(WaypointCount, count);
        EXPECT_TRUE(front.messages.empty());
    }
    EXPECT_EQ(WaypointList[1].Name, "linksys");
    ReadFailed = false;
    ReadMapsourceMpsFile(FixturePath("mapsource/mps-track.mps"), dir.Path("out"), ReadMode::Waypoints);
    EXPECT_TRUE(ReadFailed);  // version 100
}
}  // namespace
