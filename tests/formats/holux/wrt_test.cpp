// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "core/time/clock.h"
#include "formats/holux/Holux.h"
#include "tests/support/byte_builder.h"
#include "tests/support/native_documents.h"
#include "tests/support/sample_files.h"

namespace {
using namespace native_documents;
constexpr std::size_t kRecords = 1508, kRouteHeader = 21508, kRouteRecords = 21580;

std::size_t Record(int r) { return kRecords + 40 * static_cast<std::size_t>(r); }
std::size_t RouteRecordOffset(int r) { return kRouteRecords + 92 * static_cast<std::size_t>(r); }

// The image of no waypoints, from which the other expectations start.
ByteBuilder EmptyImage() { return samples::EmptyWrtImage(); }

// A readable image with no waypoints and no routes; tests then place fields.
ByteBuilder BlankReadImage()
{
    ByteBuilder b = EmptyImage();
    b.bytes.resize(23420);
    return b;
}

void PutWaypoint(ByteBuilder& b, int slot, int record, const std::string& name, std::int32_t lon36000)
{
    b.put<std::int16_t>(8 + 2 * static_cast<std::size_t>(slot), static_cast<std::int16_t>(record));
    ByteBuilder r;
    r.fixed(name, 8, ' ').fixed("note", 12, ' ').i32(lon36000).i32(-360000);
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

template <typename T>
T At(const std::string& image, std::size_t offset)
{
    T value;
    std::memcpy(&value, image.data() + offset, sizeof value);
    return value;
}

class HoluxWaypoints : public ::testing::Test {
protected:
    const Clock kClock = Clock::Fixed(45000.25, 45000.0);
    std::string Write(const std::vector<Point>& points, WriteResult* result = nullptr)
    {
        Document document;
        document.waypoints = PointList(points);
        const WriteResult written = WriteHoluxWaypointFile(document, RequestFor(dir.Path("out.txt"), nullptr, kClock));
        if (result) *result = written;
        return ReadText(dir.Path("out.wrt"));
    }
    TempDir dir;
};

Point Dated(Point p, double dayCount)
{
    p.time = UtcTimeOfDayCount(dayCount, 3);
    return p;
}
}  // namespace

TEST_F(HoluxWaypoints, NoWaypointsWriteOnlyTheHeadersUnderTheNewExtension)
{
    EXPECT_EQ(Write({}), EmptyImage().str());
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out.txt")));
}

TEST_F(HoluxWaypoints, CountsSlotTableAndFlagsFollowTheNumberOfWaypoints)
{
    for (int total : {499, 500, 501}) {
        std::vector<Point> points;
        for (int i = 0; i < total; ++i) points.push_back(Dated(At(1, 2, "W" + std::to_string(i)), 40000));
        WriteResult result;
        const std::string image = Write(points, &result);
        ASSERT_EQ(image.size(), 32768u);
        const int n = std::min(total, 500);
        EXPECT_EQ(result.counts.waypoints, n);
        EXPECT_EQ(At<std::uint16_t>(image, 4), n) << total;
        EXPECT_EQ(At<std::uint16_t>(image, 6), n == 500 ? 0 : n) << total;
        EXPECT_EQ(At<std::int16_t>(image, 8 + 2 * 499), n == 500 ? 499 : -1);
        EXPECT_EQ(static_cast<std::uint8_t>(image[1008 + 499]), n == 500 ? 0xFF : 0x00);
        EXPECT_EQ(image.substr(Record(499), 8), n == 500 ? "W499    " : std::string(8, '\0'));
        EXPECT_EQ(image.substr(kRouteHeader), EmptyImage().str().substr(kRouteHeader)) << total;
        const std::vector<Finding> cut = {
            {FindingKind::Cut, "Only the first 500 waypoints are saved - this is a limitation of the wrt format.", 1}};
        EXPECT_EQ(result.findings.All(), total == 501 ? cut : std::vector<Finding>{}) << total;
    }
}

TEST_F(HoluxWaypoints, ARecordHoldsCutTextsPositionsDateAndMarker)
{
    Point first = Dated(At(10, 12.5, "LONGERNAME"), 38047.5);  // 2004-03-01 12:00:00
    first.description = "a description too long";
    Point second = At(-45.25, -0.5, "Ab");  // no time: the time of conversion, in UTC
    second.comment = "c";
    const std::string image = Write({first, second});
    ByteBuilder one;
    one.text("LONGERNA").text("a descriptio").i32(450000).i32(-360000);
    one.u8(1).u8(3).u16(2004).u32(43200).u16(0).u8(1).u8(0);
    EXPECT_EQ(image.substr(Record(0), 40), one.str());
    ByteBuilder two;
    two.text("Ab      ").fixed("c", 12, ' ').i32(-18000).i32(1629000);
    two.u8(15).u8(3).u16(2023).u32(0).u16(0).u8(1).u8(0);
    EXPECT_EQ(image.substr(Record(1), 40), two.str());
}

TEST_F(HoluxWaypoints, PositionsRoundHalfToEvenAndDatesSplitWithinTheirDay)
{
    struct Case {
        double units;  // of latitude and longitude
        double dateTime;
        int day, month, year;
        std::uint32_t seconds;
    };
    const Case cases[] = {
        {0.5, 36525.0 + 86399.0 / 86400, 31, 12, 1999, 86399},
        {1.5, 38046.0 + 86399.6 / 86400, 1, 3, 2004, 0},  // rounds up to midnight: the next day
        {2.5, 38046.0 + 3.0 / 256, 29, 2, 2004, 1012},    // exactly 1012.5 seconds: to the even second
        {-2.5, -1.25, 28, 12, 1899, 64800},               // before day 0 the time still counts forward
        {3.4999, 40000, 6, 7, 2009, 0},
    };
    std::vector<Point> points;
    for (const Case& c : cases) points.push_back(Dated(At(-c.units / 36000, c.units / 36000), c.dateTime));
    const std::string image = Write(points);
    const std::int32_t units[] = {0, 2, 2, -2, 3};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::size_t r = Record(static_cast<int>(i));
        EXPECT_EQ(At<std::int32_t>(image, r + 20), units[i]) << i;
        EXPECT_EQ(At<std::int32_t>(image, r + 24), units[i]) << i;
        EXPECT_EQ(static_cast<std::uint8_t>(image[r + 28]), cases[i].day) << i;
        EXPECT_EQ(static_cast<std::uint8_t>(image[r + 29]), cases[i].month) << i;
        EXPECT_EQ(At<std::uint16_t>(image, r + 30), cases[i].year) << i;
        EXPECT_EQ(At<std::uint32_t>(image, r + 32), cases[i].seconds) << i;
    }
}

TEST_F(HoluxWaypoints, ValidRecordsOfTheSlotTableAreReadWithTheirTextsAsHeld)
{
    ByteBuilder image = BlankReadImage();
    PutWaypoint(image, 0, 2, " Caf\xE9", 450000);
    PutWaypoint(image, 1, 1, "B", 0);
    image.put<std::uint8_t>(Record(1) + 38, 2);  // not a valid waypoint
    image.put<std::int16_t>(8 + 2 * 2, 500);
    image.put<std::int16_t>(8 + 2 * 3, -2);
    PutWaypoint(image, 5, 3, "Pier", 0);
    image.put<char>(Record(3) + 2, '\0');         // a zero ends the name early
    image.put<std::uint32_t>(Record(3) + 28, 0);  // no date: no time
    const ReadResult read = ReadBytes(ReadHoluxWaypointFile, image.str());
    EXPECT_TRUE(read.findings.Empty());
    const std::vector<Point> points = read.document.waypoints.ToVector();
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].name, " Caf\xC3\xA9");
    EXPECT_EQ(points[0].comment, "note");
    EXPECT_EQ(points[0].longitude, 12.5);
    EXPECT_EQ(points[0].latitude, 10);
    EXPECT_EQ(IsoTime(points[0].time.value()), "2004-03-01T12:00:00Z");
    EXPECT_EQ(points[1].name, "Pi");
    EXPECT_FALSE(points[1].time);
    EXPECT_TRUE(read.document.routes.empty());
}

TEST_F(HoluxWaypoints, RoutesTakeTheWaypointsOfTheirSlotsInOrder)
{
    ByteBuilder image = BlankReadImage();
    for (int slot : {2, 4, 5, 9}) PutWaypoint(image, slot, slot, "W" + std::to_string(slot), slot * 36000);
    PutRoute(image, 0, 0, 3, {4, -1, 9, 2, 5});
    PutRoute(image, 1, 2, 3, {4, 8, 600, -7, 2, 5, 9});    // 8 is no waypoint; 600 and -7 no slot
    image.put<std::int16_t>(kRouteHeader + 8 + 2 * 2, 2);  // names record 2 a second time
    image.put<std::int16_t>(kRouteHeader + 8 + 2 * 3, 20);
    PutRoute(image, 4, 5, 1, {4});
    image.put<std::uint8_t>(kRouteHeader + 48 + 5, 0x01);  // record 5 not in use
    PutRoute(image, 5, 6, 0, {2, 4});                      // a count never reached takes every reference
    const ReadResult read = ReadBytes(ReadHoluxWaypointFile, image.str());
    std::vector<std::vector<std::string>> routes;
    for (const Route& route : read.document.routes) {
        EXPECT_EQ(route.info.name, "Route");
        routes.emplace_back();
        for (const Point& p : route.points) routes.back().push_back(p.name + " " + p.comment);
    }
    EXPECT_EQ(routes,
              (std::vector<std::vector<std::string>>{
                  {"W4 note", "W9 note", "W2 note"}, {"W4 note", "W2 note", "W5 note"}, {"W2 note", "W4 note"}}));
}

TEST_F(HoluxWaypoints, AShortFileReadsAsIfTheRestWereZeroAndSaysSo)
{
    ByteBuilder image = BlankReadImage();
    PutWaypoint(image, 0, 0, "Kept", 36000);
    PutWaypoint(image, 1, 1, "Cut", 0);
    image.bytes.resize(Record(1) + 30);  // record 1 loses its marker
    for (const std::string& bytes : {image.str(), std::string()}) {
        const ReadResult read = ReadBytes(ReadHoluxWaypointFile, bytes);
        EXPECT_EQ(read.document.waypoints.size(), bytes.empty() ? 0u : 1u);
        EXPECT_EQ(read.findings.All(), (std::vector<Finding>{{FindingKind::Truncated,
                                                              "The Holux file ends inside a record: what came "
                                                              "before it was read.",
                                                              0}}));
    }
}

// Written and read back, a waypoint keeps its position to the image's unit,
// its time to the second and its texts to their widths, trailing blanks aside.
TEST_F(HoluxWaypoints, WaypointsReadBackAsWritten)
{
    std::vector<Point> points;
    for (int i = 0; i < 500; ++i) {
        Point p = Dated(At(-89.99 + i * 0.36, 179.99 - i * 0.72, "Place " + std::to_string(i)), 30000 + i * 17.123456);
        p.comment = "comment number " + std::to_string(i);
        points.push_back(p);
    }
    Write(points);
    const std::vector<Point> back =
        ReadBytes(ReadHoluxWaypointFile, ReadText(dir.Path("out.wrt"))).document.waypoints.ToVector();
    ASSERT_EQ(back.size(), points.size());
    for (std::size_t i = 0; i < back.size(); ++i) {
        EXPECT_NEAR(back[i].latitude, points[i].latitude, 0.5 / 36000);
        EXPECT_NEAR(back[i].longitude, points[i].longitude, 0.5 / 36000);
        EXPECT_LE(std::abs(back[i].time->seconds - points[i].time->seconds), 1);
        EXPECT_EQ(back[i].name, points[i].name.substr(0, 8));
        EXPECT_EQ(back[i].comment, points[i].comment.substr(0, 12));
    }
}

// The format's day of no time (1992-01-02, midnight) reads back as no time;
// a time a second later is a time.
TEST_F(HoluxWaypoints, TheDayOfNoTimeReadsBackAsNoTime)
{
    Point undated = At(10, 20, "NOTIME");
    undated.native.noDateDay = true;
    Write({undated, Dated(At(10, 20, "LATER"), 33605.0 + 1.0 / 86400)});
    const std::vector<Point> back =
        ReadBytes(ReadHoluxWaypointFile, ReadText(dir.Path("out.wrt"))).document.waypoints.ToVector();
    ASSERT_EQ(back.size(), 2u);
    EXPECT_FALSE(back[0].time.has_value());
    EXPECT_TRUE(back[1].time.has_value());
}
