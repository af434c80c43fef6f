// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "core/byte_reader.h"
#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/file_io.h"
#include "core/store.h"
#include "core/text_fields.h"
#include "formats/import/Mapsend.h"
#include "formats/native/Kes.h"
#include "tests/support/byte_builder.h"
#include "tests/support/recording_front_end.h"
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

void AddWaypoint(ByteBuilder& b, const std::string& name, const std::string& comment, std::uint8_t symbol, double feet,
                 double lon, double negLat)
{
    b.u8(static_cast<std::uint8_t>(name.size())).text(name);
    b.u8(static_cast<std::uint8_t>(comment.size())).text(comment);
    b.u32(0xDEADBEEF).u8(symbol).u8(0x55).f64(feet).f64(lon).f64(negLat);
}

class MapsendTest : public ::testing::Test {
protected:
    void Track(const ByteBuilder& b)
    {
        WriteText(dir.Path("in.trk"), b.str());
        ReadMapsendTrackFile(dir.Path("in.trk"));
    }
    void Waypoints(const ByteBuilder& b)
    {
        WriteText(dir.Path("in.wpt"), b.str());
        ReadMapsendWaypointFile(dir.Path("in.wpt"));
    }
    void TearDown() override { UnpinClock(); }

    TempDir dir;
    RecordingFrontEnd front;
    ScopedFrontEnd scope{front};
};
}  // namespace

TEST_F(MapsendTest, VersionCharacterDecidesTheRecordSizeAndTheAltitudeType)
{
    const struct {
        char version;
        float metres;  // written as an int32 in versions "0" and "4"
    } rows[] = {{'0', 205}, {'4', -12}, {'X', 12.5f}, {'6', -0.25f}};
    for (const auto& row : rows) {
        const char version = row.version;
        SCOPED_TRACE(version);
        ByteBuilder b = TrackHeader(version, "Walk", 2);
        AddPoint(b, version, -122.25, -45.5, row.metres, 0);
        AddPoint(b, version, 4.5, -52.25, -3.0f, 86400);
        Track(b);
        ASSERT_EQ(TrackProps.PointCount, 2);
        EXPECT_EQ(TrackProps.Name, "Walk");
        EXPECT_EQ(TrackProps.Description, "");
        const TrackPoint& first = TrackPointList[0];
        EXPECT_DOUBLE_EQ(first.Latitude, 45.5);
        EXPECT_DOUBLE_EQ(first.Longitude, -122.25);
        EXPECT_FLOAT_EQ(first.Altitude, row.metres);
        EXPECT_FLOAT_EQ(TrackPointList[1].Altitude, -3.0f);
        EXPECT_DOUBLE_EQ(first.DateTime, 25569.0);  // 1970-01-01 00:00
        const TrackPoint& second = TrackPointList[1];
        EXPECT_DOUBLE_EQ(second.Latitude, 52.25);
        EXPECT_DOUBLE_EQ(second.Longitude, 4.5);
        EXPECT_DOUBLE_EQ(second.DateTime, 25570.0);
        EXPECT_DOUBLE_EQ(TrackPointList[2].Latitude, -777.0);
    }
    EXPECT_TRUE(front.messages.empty());
}

TEST_F(MapsendTest, InvalidRecordsAreSkippedAndOnlyTheFirstStoredPointStartsASection)
{
    ByteBuilder b = TrackHeader('4', "T", 5);
    AddPoint(b, '4', 1, -1, 0, 0, 0);
    AddPoint(b, '4', 2, -2, 0, 0, 7);
    AddPoint(b, '4', 3, -3, 0, 0, 0);
    AddPoint(b, '4', 4, -4, 0, 0, -1);
    AddPoint(b, '4', 5, -5, 0, 0, 1);
    Track(b);
    ASSERT_EQ(TrackProps.PointCount, 3);
    EXPECT_DOUBLE_EQ(TrackPointList[0].Longitude, 2);
    EXPECT_DOUBLE_EQ(TrackPointList[1].Longitude, 4);
    EXPECT_DOUBLE_EQ(TrackPointList[2].Latitude, 5);
    EXPECT_EQ(TrackPointList[0].NewSection, 1);
    EXPECT_EQ(TrackPointList[1].NewSection, 0);
    EXPECT_EQ(TrackPointList[2].NewSection, 0);
}

TEST_F(MapsendTest, WrongKindIsRefusedWithAMessageAndLeavesThatPartEmpty)
{
    TrackProps.PointCount = 3;
    TrackProps.Name = "stale";
    ByteBuilder waypointFile = Header('4', 1);
    waypointFile.i32(1);
    AddWaypoint(waypointFile, "A", "", 1, 0, 0, 0);
    ReadFailed = false;
    Track(waypointFile);
    EXPECT_TRUE(ReadFailed);
    EXPECT_EQ(TrackProps.PointCount, 0);
    EXPECT_EQ(TrackProps.Name, "");

    WaypointCount = 4;
    ReadFailed = false;
    Waypoints(TrackHeader('4', "T", 0));
    EXPECT_TRUE(ReadFailed);
    EXPECT_EQ(WaypointCount, 0);

    ReadFailed = false;
    Track(ByteBuilder().text("short"));  // no header at all
    EXPECT_TRUE(ReadFailed);
    ReadFailed = false;
    EXPECT_EQ(front.messages, (std::vector<std::string>{"This is not a Track file", "This is not a Waypoint file",
                                                        "This is not a Track file"}));
}

TEST_F(MapsendTest, CountsBeyondTheFileEndWithTheLastWholeRecordAndSaysSo)
{
    const auto readInPart = [this](bool track, const ByteBuilder& file) {
        StartConversionRecord();
        if (track) Track(file);
        else Waypoints(file);
        return InputReadInPart();
    };
    ByteBuilder cut = TrackHeader('4', "T", 5);
    AddPoint(cut, '4', 1, 0, 0, 0);
    AddPoint(cut, '4', 2, 0, 0, 0);
    cut.fill(20, 0x11);  // half a record
    EXPECT_TRUE(readInPart(true, cut));
    EXPECT_EQ(TrackProps.PointCount, 2);
    EXPECT_EQ(CutMessages(),
              std::vector<std::string>{"The MapSend file ends inside a record: what came before it was read."});

    ByteBuilder huge = TrackHeader('0', "T", std::numeric_limits<std::int32_t>::max());
    for (int i = 0; i < 3; ++i) AddPoint(huge, '0', i, 0, 0, 0);
    EXPECT_TRUE(readInPart(true, huge));
    EXPECT_EQ(TrackProps.PointCount, 3);

    ByteBuilder trailerCut = TrackHeader('4', "T", 1);
    AddPoint(trailerCut, '4', 1, 0, 0, 0);
    trailerCut.bytes.pop_back();  // the byte after the last record
    EXPECT_TRUE(readInPart(true, trailerCut));
    EXPECT_EQ(TrackProps.PointCount, 1);
    EXPECT_TRUE(readInPart(true, TrackHeader('4', "T", 1).text("")));
    EXPECT_TRUE(readInPart(true, Header('4', 2).u8(9).text("name")));  // no count

    ByteBuilder negative = TrackHeader('0', "Neg", -4);
    AddPoint(negative, '0', 1, 0, 0, 0);
    EXPECT_FALSE(readInPart(true, negative));
    EXPECT_EQ(TrackProps.PointCount, 0);
    EXPECT_EQ(TrackProps.Name, "Neg");

    ByteBuilder waypoints = Header('4', 1);
    waypoints.i32(1000000);
    AddWaypoint(waypoints, "One", "c", 1, 0, 0, 0);
    AddWaypoint(waypoints, "Two", "c", 1, 0, 0, 0);
    waypoints.u8(5).text("Thr");  // name cut short, no record
    EXPECT_TRUE(readInPart(false, waypoints));
    EXPECT_EQ(WaypointCount, 2);
    EXPECT_EQ(WaypointList[2].Name, "Two");
    EXPECT_EQ(WaypointList[3].Name, "");
}

TEST_F(MapsendTest, TrackStopsAtOneHundredThousandPoints)
{
    ByteBuilder b = TrackHeader('0', "Long", 100005);
    for (int i = 0; i < 100005; ++i) AddPoint(b, '0', i * 1e-5, -1, 0, static_cast<std::uint32_t>(i));
    Track(b);
    EXPECT_EQ(TrackProps.PointCount, 100000);
    EXPECT_DOUBLE_EQ(TrackPointList[99999].Longitude, 99999 * 1e-5);
    EXPECT_DOUBLE_EQ(TrackPointList[100000].Latitude, -777.0);
}

TEST_F(MapsendTest, WaypointsTakeNameCommentPositionSymbolAndTodaysDate)
{
    PinClock(46000.625, 46000.5);
    ByteBuilder b = Header('0', 1);
    b.i32(2);
    AddWaypoint(b, "", "first has no name", 200, 1234.5, -122.25, -45.5);
    AddWaypoint(b, "Camp", "", 3, -777, 10, 20);
    Waypoints(b);
    ASSERT_EQ(WaypointCount, 2);
    const WayPoints& w = WaypointList[1];
    EXPECT_EQ(w.Name, "");
    EXPECT_EQ(w.Description, "first has no name");
    EXPECT_DOUBLE_EQ(w.Latitude, 45.5);
    EXPECT_DOUBLE_EQ(w.Longitude, -122.25);
    EXPECT_FLOAT_EQ(w.Altitude, 1234.5f);
    EXPECT_EQ(w.Symbol, 200);
    EXPECT_DOUBLE_EQ(w.DateTime, 46000.5);  // the time of reading, in UTC
    EXPECT_EQ(w.Number, -1);
    EXPECT_EQ(w.Column10, 65535);
    EXPECT_EQ(WaypointList[2].Name, "Camp");
    EXPECT_DOUBLE_EQ(WaypointList[2].Latitude, -20);
    EXPECT_FLOAT_EQ(WaypointList[2].Altitude, -777.0f);
}

TEST_F(MapsendTest, WaypointsStopAtTheStoreCapacity)
{
    ByteBuilder b = Header('4', 1);
    b.i32(10003);
    for (int i = 1; i <= 10003; ++i) AddWaypoint(b, std::to_string(i), "", 0, 0, 0, 0);
    Waypoints(b);
    EXPECT_EQ(WaypointCount, 10000);
    EXPECT_EQ(WaypointList[10000].Name, "10000");
}

TEST_F(MapsendTest, CountedStringsStopAtTheFileEnd)
{
    const ByteBuilder b = ByteBuilder().u8(0).u8(3).text("abc").u8(9).text("xy");
    ByteReader file(b.bytes);
    EXPECT_EQ(ReadCountedString(file), "");
    EXPECT_EQ(file.position(), 1u);  // the next item starts right after a zero length
    EXPECT_EQ(ReadCountedString(file), "abc");
    EXPECT_EQ(ReadCountedString(file), "xy");
    EXPECT_EQ(ReadCountedString(file), "");
}

// Any bit pattern can sit in the file; the writers must still round it soundly.
TEST_F(MapsendTest, NonFiniteOrHugeAltitudesReachTheWritersAsMissing)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    ByteBuilder wpt = Header('4', 1);
    wpt.i32(2);
    AddWaypoint(wpt, "Nan", "", 0, nan, 1, -1);
    AddWaypoint(wpt, "Huge", "", 0, 1e300, 1, -1);
    Waypoints(wpt);
    ASSERT_EQ(WaypointCount, 2);
    EXPECT_FLOAT_EQ(WaypointList[2].Altitude, -777);
    WriteWaypointFile(dir.Path("out.wpt"));
    const auto lines = SplitCrLf(ReadText(dir.Path("out.wpt")));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(GetField(lines[4], 15, "?"), "-777");
    EXPECT_EQ(GetField(lines[5], 15, "?"), "-777");

    ByteBuilder trk = TrackHeader('5', "T", 1);
    AddPoint(trk, '5', 2, -1, std::numeric_limits<float>::infinity(), 0);
    Track(trk);
    WriteTrackFile(dir.Path("out.plt"));
    const auto points = SplitCrLf(ReadText(dir.Path("out.plt")));
    ASSERT_EQ(points.size(), 7u);
    EXPECT_EQ(GetField(points[6], 4, "?"), "-777");
}

TEST_F(MapsendTest, RandomAndTruncatedInputsEndCleanly)
{
    ByteBuilder trk = TrackHeader('4', "Track", 40);
    for (int i = 0; i < 40; ++i) AddPoint(trk, '4', i, -i, 1, 2, i % 3);
    ByteBuilder wpt = Header('4', 1);
    wpt.i32(30);
    for (int i = 0; i < 30; ++i) AddWaypoint(wpt, "W" + std::to_string(i), "comment", 4, 5, 6, 7);

    std::mt19937 random(20261208);
    auto run = [&](const std::vector<std::uint8_t>& bytes) {
        WriteText(dir.Path("f"), std::string(bytes.begin(), bytes.end()));
        try {
            ReadMapsendTrackFile(dir.Path("f"));
            ReadMapsendWaypointFile(dir.Path("f"));
        } catch (const FileError&) {
        } catch (const ConversionError&) {}
        ASSERT_LE(TrackProps.PointCount, kMaxTrackPoints);
        ASSERT_LE(WaypointCount, kMaxWaypoints);
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

TEST_F(MapsendTest, RealTrackFiles)
{
    StartConversionRecord();
    ReadMapsendTrackFile(FixturePath("mapsend/mapsend.trk"));
    EXPECT_EQ(TrackProps.Name, "Track");
    ASSERT_EQ(TrackProps.PointCount, 64);
    EXPECT_NEAR(TrackPointList[0].Latitude, 30.0621833, 1e-6);
    EXPECT_NEAR(TrackPointList[0].Longitude, -91.61035, 1e-6);
    EXPECT_NEAR(TrackPointList[0].DateTime, 25569 + 1022346381 / 86400.0, 1e-9);
    EXPECT_NEAR(TrackPointList[63].Latitude, 30.0471333, 1e-6);
    EXPECT_FLOAT_EQ(TrackPointList[0].Altitude, 1);

    ReadMapsendTrackFile(FixturePath("mapsend/chicago.trk"));
    EXPECT_EQ(TrackProps.Name, "chicago");
    EXPECT_EQ(TrackProps.PointCount, 2000);
    EXPECT_FLOAT_EQ(TrackPointList[0].Altitude, 205);
    EXPECT_FLOAT_EQ(TrackPointList[1].Altitude, 203);
    EXPECT_NEAR(TrackPointList[1999].Longitude, -86.84725, 1e-6);
    EXPECT_TRUE(front.messages.empty());
    EXPECT_FALSE(InputReadInPart());
}
