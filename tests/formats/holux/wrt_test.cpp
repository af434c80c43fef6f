// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "core/clock.h"
#include "core/store.h"
#include "formats/holux/Holux.h"
#include "formats/native/Kes.h"
#include "tests/support/byte_builder.h"
#include "tests/support/held_detail.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/test_files.h"

namespace {
constexpr std::size_t kRecords = 1508, kRouteHeader = 21508, kRouteRecords = 21580;

std::size_t Record(int r) { return kRecords + 40 * static_cast<std::size_t>(r); }
std::size_t RouteRecordOffset(int r) { return kRouteRecords + 92 * static_cast<std::size_t>(r); }

// The image an empty store gives, from which the other expectations start.
ByteBuilder EmptyImage()
{
    ByteBuilder b;
    b.u8(0x00).u8(0xA6).u8(0x38).u8(0x5C).u16(0).u16(0);
    for (int s = 0; s < 500; ++s) b.i16(-1);
    b.fill(500, 0x00).fill(20000, 0x00);
    b.u8(0x00).u8(0x59).u8(0x7F).u8(0xD8).u16(0).u16(0);
    for (int s = 0; s < 20; ++s) b.i16(-1);
    b.fill(20, 0x00).u16(0xFFFF).u16(0);
    b.fill(32768 - b.size(), 0x00);
    return b;
}

// A readable image with no waypoints and no routes; tests then place fields.
ByteBuilder BlankReadImage()
{
    ByteBuilder b = EmptyImage();
    b.bytes.resize(23420);
    return b;
}

void PutWaypoint(ByteBuilder& b, int slot, int record, const std::string& name, std::int32_t lon36000,
                 std::int32_t negLat36000)
{
    b.put<std::int16_t>(8 + 2 * static_cast<std::size_t>(slot), static_cast<std::int16_t>(record));
    ByteBuilder r;
    r.fixed(name, 8, ' ').fixed("note", 12, ' ').i32(lon36000).i32(negLat36000);
    r.u8(1).u8(3).u16(2004).u32(43200).u16(0).u8(1).u8(0);
    std::copy(r.bytes.begin(), r.bytes.end(), b.bytes.begin() + static_cast<std::ptrdiff_t>(Record(record)));
}

void PutRoute(ByteBuilder& b, int slot, int record, std::int16_t count, const std::vector<std::int16_t>& refs)
{
    b.put<std::int16_t>(kRouteHeader + 8 + 2 * static_cast<std::size_t>(slot), static_cast<std::int16_t>(record));
    b.put<std::uint8_t>(kRouteHeader + 48 + static_cast<std::size_t>(record), 0xFF);
    const std::size_t at = RouteRecordOffset(record);
    for (std::size_t i = 0; i < 8; ++i) b.put<char>(at + i, "Route   "[i]);
    b.put<std::int16_t>(at + 20, count);
    for (std::size_t k = 0; k < 30; ++k) b.put<std::int16_t>(at + 22 + 2 * k, k < refs.size() ? refs[k] : -1);
}

class HoluxWaypoints : public ::testing::Test {
protected:
    void SetUp() override
    {
        PinClock(45000.25, 45000.0);
        ClearWaypoints();
    }
    void TearDown() override { UnpinClock(); }

    void AddWaypoint(const std::string& name, double lat, double lon, double dateTime = 38047.5)
    {
        WayPoints& w = WaypointList[++WaypointCount];
        w.Name = name;
        w.Latitude = lat;
        w.Longitude = lon;
        w.DateTime = dateTime;
    }
    std::string Write()
    {
        WriteHoluxWaypointFile(dir.Path("out.txt"));
        return ReadText(dir.Path("out.wrt"));
    }
    void Read(const ByteBuilder& image)
    {
        WriteText(dir.Path("in.wrt"), image.str());
        ReadHoluxWaypointFile(dir.Path("in.wrt"));
    }

    TempDir dir;
    RecordingFrontEnd front;
    ScopedFrontEnd scope{front};
};

template <typename T>
T At(const std::string& image, std::size_t offset)
{
    T value;
    std::memcpy(&value, image.data() + offset, sizeof value);
    return value;
}
}  // namespace

TEST_F(HoluxWaypoints, AnEmptyStoreWritesOnlyTheHeadersUnderTheNewExtension)
{
    EXPECT_EQ(Write(), EmptyImage().str());
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out.txt")));
    EXPECT_TRUE(front.messages.empty());
}

TEST_F(HoluxWaypoints, CountsSlotTableAndFlagsFollowTheNumberOfWaypoints)
{
    for (int total : {499, 500, 501}) {
        ClearWaypoints();
        front.messages.clear();
        for (int i = 0; i < total; ++i) AddWaypoint("W" + std::to_string(i), 1, 2);
        const std::string image = Write();
        ASSERT_EQ(image.size(), 32768u);
        const int n = std::min(total, 500);
        EXPECT_EQ(At<std::uint16_t>(image, 4), n) << total;
        EXPECT_EQ(At<std::uint16_t>(image, 6), n == 500 ? 0 : n) << total;
        EXPECT_EQ(At<std::int16_t>(image, 8 + 2 * 498), 498);
        EXPECT_EQ(At<std::int16_t>(image, 8 + 2 * 499), n == 500 ? 499 : -1);
        EXPECT_EQ(static_cast<std::uint8_t>(image[1008 + 499]), n == 500 ? 0xFF : 0x00);
        EXPECT_EQ(image.substr(Record(499), 8), n == 500 ? "W499    " : std::string(8, '\0'));
        EXPECT_EQ(image.substr(kRouteHeader), EmptyImage().str().substr(kRouteHeader)) << total;
        if (total == 501)
            EXPECT_EQ(front.messages,
                      std::vector<std::string>{
                          "Only the first 500 waypoints are saved - this is a limitation of the wrt format."});
        else EXPECT_TRUE(front.messages.empty()) << total;
    }
}

TEST_F(HoluxWaypoints, ARecordHoldsCutTextsPositionsDateAndMarker)
{
    AddWaypoint("LONGERNAME", 10, 12.5, 38047.5);  // 2004-03-01 12:00:00
    WaypointList[1].Description = "a description too long";
    AddWaypoint("Ab", -45.25, -0.5, 0);
    WaypointList[2].Number = 77;  // never written: records follow store order
    const std::string image = Write();

    ByteBuilder first;
    first.text("LONGERNA").text("a descriptio").i32(450000).i32(-360000);
    first.u8(1).u8(3).u16(2004).u32(43200).u16(0).u8(1).u8(0);
    EXPECT_EQ(image.substr(Record(0), 40), first.str());
    ByteBuilder second;
    second.text("Ab      ").fixed("", 12, ' ').i32(-18000).i32(1629000);
    second.u8(30).u8(12).u16(1899).u32(0).u16(0).u8(1).u8(0);
    EXPECT_EQ(image.substr(Record(1), 40), second.str());
}

TEST_F(HoluxWaypoints, PositionsRoundHalfToEven)
{
    for (double units : {0.5, 1.5, 2.5, -2.5, 3.4999}) {
        const double degrees = units / 36000;
        ASSERT_EQ(degrees * 36000, units) << "the test value must be exact";
        AddWaypoint("x", -degrees, degrees);
    }
    const std::string image = Write();
    const std::int32_t expected[] = {0, 2, 2, -2, 3};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(At<std::int32_t>(image, Record(i) + 20), expected[i]) << i;
        EXPECT_EQ(At<std::int32_t>(image, Record(i) + 24), expected[i]) << i;
    }
}

TEST_F(HoluxWaypoints, DatesSplitToTheSecondWithoutLeavingTheDay)
{
    struct Case {
        double dateTime;
        int day, month, year;
        std::uint32_t seconds;
    };
    const Case cases[] = {
        {36525.0 + 86399.0 / 86400, 31, 12, 1999, 86399},
        {38046.0 + 86399.6 / 86400, 1, 3, 2004, 0},  // rounds up to midnight: the next day
        {38046.0 + 3.0 / 256, 29, 2, 2004, 1012},    // exactly 1012.5 seconds: to the even second
        {-1.25, 28, 12, 1899, 64800},                // before day 0 the time still counts forward
        {std::nan(""), 0, 0, 0, 0},
        {1e12, 0, 0, 0, 0},
    };
    for (const Case& c : cases) AddWaypoint("d", 0, 0, c.dateTime);
    const std::string image = Write();
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const std::size_t r = Record(i);
        EXPECT_EQ(static_cast<std::uint8_t>(image[r + 28]), cases[i].day) << i;
        EXPECT_EQ(static_cast<std::uint8_t>(image[r + 29]), cases[i].month) << i;
        EXPECT_EQ(At<std::uint16_t>(image, r + 30), cases[i].year) << i;
        EXPECT_EQ(At<std::uint32_t>(image, r + 32), cases[i].seconds) << i;
    }
}

TEST_F(HoluxWaypoints, ReadingTakesTheSlotNumberAsLinkKeyAndTrimsTexts)
{
    ByteBuilder image = BlankReadImage();
    PutWaypoint(image, 7, 2, " Pier ", 450000, -360000);
    image.put<char>(Record(2) + 3, '\0');  // a zero ends the name early
    Read(image);
    ASSERT_EQ(WaypointCount, 1);
    const WayPoints& w = WaypointList[1];
    EXPECT_EQ(w.Number, 7);
    EXPECT_EQ(w.Name, "Pi");
    EXPECT_EQ(w.Description, "note");
    EXPECT_DOUBLE_EQ(w.Longitude, 12.5);
    EXPECT_DOUBLE_EQ(w.Latitude, 10);
    EXPECT_FLOAT_EQ(w.Altitude, -777.0f);
    EXPECT_DOUBLE_EQ(w.DateTime, 38047.5);
    EXPECT_EQ(w.Column10, 65535);
}

// The image holds the latitude negated: a zero comes back as -0, which the
// native file must show as a plain zero.
TEST_F(HoluxWaypoints, AZeroPositionIsWrittenWithoutASign)
{
    ByteBuilder image = BlankReadImage();
    PutWaypoint(image, 0, 0, "Origin", 0, 0);
    Read(image);
    WriteWaypointFile(dir.Path("out.wpt"));
    const std::string line = SplitCrLf(ReadText(dir.Path("out.wpt"))).at(4);
    EXPECT_EQ(line.substr(0, 36), "   1,Origin,   0.000000,   0.000000,");
}

TEST_F(HoluxWaypoints, InvalidRecordsAndSlotsOutsideTheTableAreSkipped)
{
    ByteBuilder image = BlankReadImage();
    PutWaypoint(image, 0, 0, "A", 0, 0);
    PutWaypoint(image, 1, 1, "B", 0, 0);
    image.put<std::uint8_t>(Record(1) + 38, 2);  // not a valid waypoint
    image.put<std::int16_t>(8 + 2 * 2, 500);
    image.put<std::int16_t>(8 + 2 * 3, 32767);
    image.put<std::int16_t>(8 + 2 * 4, -2);
    PutWaypoint(image, 5, 3, "C", 0, 0);
    image.put<std::uint32_t>(Record(3) + 28, 0);  // no date: read as now
    Read(image);
    ASSERT_EQ(WaypointCount, 2);
    EXPECT_EQ(WaypointList[1].Name, "A");
    EXPECT_EQ(WaypointList[2].Name, "C");
    EXPECT_EQ(WaypointList[2].Number, 5);
    EXPECT_DOUBLE_EQ(WaypointList[2].DateTime, 45000.0);  // the time of reading, in UTC
    EXPECT_EQ(RouteCount, 0);
}

TEST_F(HoluxWaypoints, RoutesLinkWaypointsBySlotAndSitAtRecordIndexPlusOne)
{
    ByteBuilder image = BlankReadImage();
    for (int slot : {2, 4, 5, 9}) PutWaypoint(image, slot, slot, "W" + std::to_string(slot), slot * 36000, 0);
    PutRoute(image, 0, 0, 3, {4, -1, 9, 2, 5});
    PutRoute(image, 1, 2, 3, {4, 8, 600, -7, 2, 5, 9});    // 8 is no waypoint; 600 and -7 no slot
    image.put<std::int16_t>(kRouteHeader + 8 + 2 * 2, 2);  // names record 2 a second time
    image.put<std::int16_t>(kRouteHeader + 8 + 2 * 3, 20);
    PutRoute(image, 4, 5, 1, {4});
    image.put<std::uint8_t>(kRouteHeader + 48 + 5, 0x01);  // record 5 not in use
    Read(image);

    ASSERT_EQ(WaypointCount, 4);
    EXPECT_EQ(RouteCount, 2);
    const RouteRecord& first = RouteList[1];
    EXPECT_EQ(first.Name, "Route");
    ASSERT_EQ(first.PointCount, 3);
    EXPECT_EQ(first.Points[1].Name, "W4");
    EXPECT_EQ(first.Points[2].Name, "W9");
    EXPECT_EQ(first.Points[3].Name, "W2");
    EXPECT_EQ(first.Points[2].Number, 4);  // its position in the waypoint table
    EXPECT_DOUBLE_EQ(first.Points[2].Longitude, 9);
    EXPECT_DOUBLE_EQ(first.Points[2].DateTime, 38047.5);
    EXPECT_EQ(first.Points[2].Description, "note");

    const RouteRecord& third = RouteList[3];
    ASSERT_EQ(third.PointCount, 3);
    EXPECT_EQ(third.Points[1].Name, "W4");
    EXPECT_EQ(third.Points[2].Name, "W2");
    EXPECT_EQ(third.Points[3].Name, "W5");
    EXPECT_EQ(RouteList[2].PointCount, 0);
    EXPECT_EQ(RouteList[6].PointCount, 0);
}

TEST_F(HoluxWaypoints, DetailHoldsTheTextsAsReadTheTimeOrNoneAndRoutePointsTakeTheirWaypoints)
{
    ByteBuilder image = BlankReadImage();
    PutWaypoint(image, 0, 0, " Caf\xE9", 0, 0);
    PutWaypoint(image, 1, 1, "Undated", 0, 0);
    image.put<std::uint32_t>(Record(1) + 28, 0);  // the native field takes the time of reading
    PutRoute(image, 0, 0, 2, {1, 0});
    Read(image);
    const std::string cafe = " Caf\xC3\xA9|note||||2004-03-01T12:00:00Z", undated = "Undated|note||||";
    EXPECT_EQ(Held(WaypointList[1].Detail), cafe);
    EXPECT_EQ(Held(WaypointList[2].Detail), undated);
    EXPECT_EQ(RouteList[1].Detail.name, "Route");
    EXPECT_EQ(Held(RouteList[1].Points[1].Detail), undated);
    EXPECT_EQ(Held(RouteList[1].Points[2].Detail), cafe);
}

TEST_F(HoluxWaypoints, AShortFileReadsAsIfTheRestWereZero)
{
    ByteBuilder image = BlankReadImage();
    PutWaypoint(image, 0, 0, "Kept", 36000, 0);
    PutWaypoint(image, 1, 1, "Cut", 0, 0);
    image.bytes.resize(Record(1) + 30);  // record 1 loses its marker
    Read(image);
    ASSERT_EQ(WaypointCount, 1);
    EXPECT_EQ(WaypointList[1].Name, "Kept");

    Read(ByteBuilder{});
    EXPECT_EQ(WaypointCount, 0);
    EXPECT_EQ(RouteCount, 0);
}

TEST_F(HoluxWaypoints, WrittenAndReadBackGivesTheSameWaypointsWithinPrecision)
{
    AddWaypoint("Lighthouse", 51.123456789, -3.987654321, 40000.123456);
    WaypointList[1].Description = "North cape and beyond";
    WaypointList[1].Altitude = 120;
    AddWaypoint(" ab", -10, 179.99999, 33605);
    RouteCount = 3;
    WriteHoluxWaypointFile(dir.Path("trip"));
    ReadHoluxWaypointFile(dir.Path("trip.wrt"));
    ASSERT_EQ(WaypointCount, 2);
    EXPECT_EQ(RouteCount, 0);
    const WayPoints& w = WaypointList[1];
    EXPECT_EQ(w.Name, "Lighthou");
    EXPECT_EQ(w.Description, "North cape a");
    EXPECT_NEAR(w.Latitude, 51.123456789, 0.5 / 36000);
    EXPECT_NEAR(w.Longitude, -3.987654321, 0.5 / 36000);
    EXPECT_NEAR(w.DateTime, 40000.123456, 0.5 / 86400);
    EXPECT_FLOAT_EQ(w.Altitude, -777.0f);
    EXPECT_EQ(WaypointList[2].Name, "ab");
    EXPECT_DOUBLE_EQ(WaypointList[2].DateTime, 33605);
}
