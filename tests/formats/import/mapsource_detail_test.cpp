// SPDX-License-Identifier: GPL-3.0-or-later
// What both MapSource readers keep beside the native fields: texts, values
// and symbols as the file holds them, .mps routes, the end of version 109
// waypoints, and waypoints, routes and tracks together in the mode that
// takes everything.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/store.h"
#include "formats/import/MapsourceFile.h"
#include "formats/import/MapsourceSymbolNames.h"
#include "tests/support/mapsource_files.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/test_files.h"

namespace {
using namespace mapsource_files;

constexpr std::uint32_t kSeconds = 1591641540;  // 2020-06-08 18:39:00 UTC
const std::string kMonument = "V\xF6lkerschlachtdenkmal";
const std::string kMonumentUtf8 = "V\xC3\xB6lkerschlachtdenkmal";

const std::string kDescription = "Turn left,\nthen right", kLink = "http://www.leipzig.de";

// A .gdb waypoint also has a description, a link and a time, which an .mps record lacks.
void AddPlace(ByteBuilder& f, const std::string& name, std::int32_t code, std::optional<double> metres,
              std::uint16_t version)
{
    const bool mps = version < 107;
    ByteBuilder w;
    w.zeroText(name);
    NameGap(w);
    w.i32(Semicircles(44)).i32(Semicircles(10)).u8(metres ? 1 : 0);
    if (mps || metres) w.f64(metres.value_or(0));
    w.zeroText("P+R, Am " + name);
    if (mps) w.fill(17, 0).i32(code).fill(20, 0);
    else w.u8(0).i32(0).i32(0).i32(code).i32(0).u8(0).u16(0).i32(0).zeroText(metres ? kDescription : "");
    if (!mps && version >= 109) w.u32(1);
    if (!mps) w.zeroText(metres ? kLink : "").u16(0).u8(0).u8(metres ? 1 : 0);
    if (!mps && metres) w.u32(kSeconds);
    if (!mps && version >= 109) w.fill(6, 0);
    Record(f, 'W', w);
}

// From the first place to the second: two link points and the leg's bounds; the last point has none.
void AddRoute(ByteBuilder& f, const std::string& from, const std::string& to, std::size_t pointEnd)
{
    ByteBuilder r;
    const auto blocks = [&r](std::initializer_list<double> lats) {
        for (double lat : lats) r.i32(Semicircles(lat)).i32(Semicircles(10)).u8(1).f64(5);
    };
    r.zeroText("To the lake, west").u16(0);
    blocks({1, 2});
    r.u32(2).zeroText(from);
    NameGap(r);
    r.fill(19, 0).u32(2);
    blocks({1, 2});
    r.u8(0);
    blocks({2, 1});
    r.fill(pointEnd, 0xff).zeroText(to);
    NameGap(r);
    r.fill(19, 0).u32(0).u8(1).fill(pointEnd, 0xff);
    Record(f, 'R', r);
}

// A point with an elevation and a time, then one with neither.
void AddTrack(ByteBuilder& f, bool mps)
{
    ByteBuilder t;
    t.zeroText("Trip, day 1").u8(0).i32(0).u32(2).i32(1).i32(2).u8(1).f64(123.456).u8(1).u32(kSeconds).u8(0);
    if (mps) t.f64(0).i32(3).i32(4).u8(0).f64(0).u8(0).u32(0).u8(0).f64(0);
    else t.u8(0).i32(3).i32(4).u8(0).u8(0).u8(0).u8(0);
    Record(f, 'T', t);
}

class MapsourceDetail : public ::testing::Test {
protected:
    void SetUp() override
    {
        PinClock(45000.25, 45000.75);
        ReadFailed = false;
        TrackFilesWritten.clear();
    }
    void TearDown() override { UnpinClock(); }

    void Read(const ByteBuilder& file, const std::string& name, ReadMode mode)
    {
        WriteText(dir.Path(name), file.str());
        ScopedFrontEnd scope(front);
        ReadMapsourceFile(dir.Path(name), dir.Path("out.plt"), mode);
    }

    TempDir dir;
    RecordingFrontEnd front;
};

TEST_F(MapsourceDetail, EverythingModeKeepsWaypointsRoutesAndTracksAsTheFileHoldsThem)
{
    for (const std::uint16_t version : {103, 108, 109}) {
        SCOPED_TRACE(version);
        TrackFilesWritten.clear();
        const bool mps = version < 107;
        const std::string monument = version >= 109 ? kMonumentUtf8 : kMonument;
        ByteBuilder file = mps ? MpsHeader(version) : GdbHeader(version);
        AddPlace(file, monument, 140, 8848.86, version);
        AddPlace(file, "1 Birch Harbor Rd", 8284, std::nullopt, version);
        AddRoute(file, monument, "1 Birch Harbor Rd", mps ? 0 : version < 109 ? 8 : 10);
        AddTrack(file, mps);
        Read(file, mps ? "in.mps" : "in.gdb", ReadMode::Everything);

        ASSERT_EQ(WaypointCount, 2);
        EXPECT_EQ(WaypointList[1].Name, "Vlkerschlachtdenkmal");  // the native fields stay as they were
        const PointDetail& a = WaypointList[1].Detail;
        EXPECT_EQ(a.texts.Unpacked().name, kMonumentUtf8);
        EXPECT_EQ(a.texts.Unpacked().comment, "P+R, Am " + kMonumentUtf8);
        EXPECT_EQ(a.texts.Unpacked().description, mps ? "" : kDescription);
        EXPECT_EQ(a.texts.Unpacked().link, mps ? "" : kLink);
        EXPECT_EQ(a.texts.Unpacked().symbol, "Flag, Red");
        EXPECT_EQ(a.values.metres, 8848.86);
        EXPECT_EQ(a.values.time, mps ? std::nullopt : std::optional<UtcTime>(UtcTime{kSeconds, 0}));
        const PointDetail& b = WaypointList[2].Detail;
        EXPECT_EQ(b.texts.Unpacked().name, "1 Birch Harbor Rd");
        EXPECT_EQ(b.texts.Unpacked().symbol, "Flag, Blue");
        EXPECT_TRUE(std::isnan(b.values.metres));
        EXPECT_FALSE(b.values.time);

        ASSERT_EQ(RouteCount, 1);
        EXPECT_EQ(RouteList[1].Detail.name, "To the lake, west");
        ASSERT_EQ(RouteList[1].PointCount, 2);
        EXPECT_EQ(RouteList[1].Points[1].Detail.texts.Unpacked().comment,
                  a.texts.Unpacked().comment);  // what its waypoint holds
        EXPECT_EQ(RouteList[1].Points[1].Detail.values.metres, 8848.86);
        EXPECT_EQ(RouteList[1].Points[2].Detail.texts.Unpacked().symbol, "Flag, Blue");

        EXPECT_EQ(TrackFilesWritten.size(), 1u);  // handed over, as in track mode
        EXPECT_EQ(TrackProps.Detail.name, "Trip, day 1");
        ASSERT_EQ(TrackProps.PointCount, 2);
        EXPECT_EQ(TrackPointList[0].Values.metres, 123.456);
        EXPECT_EQ(TrackPointList[0].Values.time, std::optional<UtcTime>(UtcTime{kSeconds, 0}));
        EXPECT_TRUE(std::isnan(TrackPointList[1].Values.metres));
        EXPECT_FALSE(TrackPointList[1].Values.time);
    }
}

TEST_F(MapsourceDetail, RealMpsRoutesTakeTheirPointsFromTheLinkPoints)
{
    ScopedFrontEnd scope(front);
    ReadMapsourceFile(FixturePath("mapsource/route.mps"), dir.Path("out"), ReadMode::Waypoints);
    const std::pair<const char*, int> routes[] = {{"ATCHAFALAYA", 3}, {"LILI PATH", 11}};
    ASSERT_EQ(RouteCount, 2);
    for (int r = 1, w = 1; r <= 2; ++r) {
        EXPECT_EQ(RouteList[r].Name, routes[r - 1].first);
        ASSERT_EQ(RouteList[r].PointCount, routes[r - 1].second);
        for (int k = 1; k <= RouteList[r].PointCount; ++k, ++w) {  // the route points are the waypoints in order
            const RouteWpRecord& p = RouteList[r].Points[k];
            EXPECT_EQ(p.Detail.texts.Unpacked().name, WaypointList[w].Detail.texts.Unpacked().name);
            EXPECT_EQ(p.Detail.texts.Unpacked().symbol, WaypointList[w].Detail.texts.Unpacked().symbol);
            EXPECT_NEAR(p.Latitude, WaypointList[w].Latitude, 1e-9);
            EXPECT_NEAR(p.Longitude, WaypointList[w].Longitude, 1e-9);
        }
    }
}

TEST_F(MapsourceDetail, Version109FacilityWaypointsTakeTheTimeBeforeTheirLastTexts)
{
    // Texts of the waypoint's own, the last its street, then nine zero bytes; the rows give what follows.
    ByteBuilder texts, address, campground, untimed;
    texts.zeroText("Bar Harbor").zeroText("ME").zeroText("1 Birch Harbor Rd").fill(9, 0);
    address.u8(1).u32(0x5EDE85C4).u32(0).zeroText("USA").zeroText("04693");  // 01 c4 85 de 5e, a count of 0
    campground.u8(1).u32(0x5EDE1C67).u32(1).zeroText("207-288-1300").u8(0);  // a count of 1 (a phone number)
    campground.zeroText("United States").zeroText("04693");
    untimed.u8(0).u32(0).zeroText("USA").zeroText("04693");
    struct Row {
        std::string end;
        std::optional<std::uint32_t> seconds;
    };
    const Row rows[] = {{address.str(), 0x5EDE85C4}, {campground.str(), 0x5EDE1C67}, {untimed.str(), std::nullopt}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.end.size());
        ByteBuilder file = GdbHeader(109), w;
        w.zeroText("1 Birch Harbor Rd");
        NameGap(w);
        w.i32(Semicircles(44.4)).i32(Semicircles(-68.2)).u8(0).zeroText("").u8(0).i32(0).i32(0).i32(38);
        w.text(texts.str()).text(row.end);
        Record(file, 'W', w);
        Read(file, "in.gdb", ReadMode::Waypoints);
        ASSERT_EQ(WaypointCount, 1);
        const WayPoints& p = WaypointList[1];
        EXPECT_DOUBLE_EQ(p.DateTime, row.seconds ? 25569 + *row.seconds / 86400.0 : 45000.75);
        EXPECT_EQ(p.Detail.values.time, row.seconds ? std::optional(UtcTime{*row.seconds, 0}) : std::nullopt);
    }
}

TEST(MapsourceSymbolNames, MapsourceAndDeviceCodes)
{
    const std::pair<std::int32_t, const char*> rows[] = {
        {0, "Anchor"},     {95, "Cemetery"},   {107, "Airport"},     {142, "Flag, Green"}, {248, "Water Source"},
        {249, "Waypoint"}, {8235, "Cemetery"}, {8284, "Flag, Blue"}, {16384, "Airport"},   {-1, "Waypoint"},
    };
    for (const auto& [code, name] : rows) EXPECT_EQ(MapsourceSymbolName(code), name) << code;
}
}  // namespace
