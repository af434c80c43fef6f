// SPDX-License-Identifier: GPL-3.0-or-later
// What both MapSource readers keep of what their files hold: the texts in
// every version's encoding, the routes of real .mps files, the time of
// version 109 address waypoints, and the symbol names.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "formats/import/MapsourceFile.h"
#include "formats/import/MapsourceSymbolNames.h"
#include "tests/support/mapsource_files.h"
#include "tests/support/test_files.h"

namespace {
using namespace mapsource_files;

const std::string kMonument = "V\xF6lkerschlachtdenkmal";
const std::string kMonumentUtf8 = "V\xC3\xB6lkerschlachtdenkmal";
}  // namespace

TEST(MapsourceDetail, EveryVersionGivesTheSameDocument)
{
    for (const std::uint16_t version : {103, 108, 109}) {
        SCOPED_TRACE(version);
        const bool mps = version < 107;
        ByteBuilder file = mps ? MpsHeader(version) : GdbHeader(version);
        const Wpt place{.name = version >= 109 ? kMonumentUtf8 : kMonument,
                        .metres = 8848.86,
                        .comment = "P+R, Am " + (version >= 109 ? kMonumentUtf8 : kMonument),
                        .symbol = 140};
        if (mps) MpsWaypoint(file, place);
        else GdbWaypoint(file, place, version);
        Record(file, 'R',
               RouteBody("To the lake, west", {{place.name, {{1, 10}, {2, 10}}}, {"B", {}, false}}, version, mps));
        TrackRecord(file, "Trip, day 1", {{.metres = 123.456, .seconds = 1591641540}, {.seconds = std::nullopt}}, mps);
        const Document document =
            ReadMapsourceFile(InputSource::Memory(mps ? "in.mps" : "in.gdb", file.str()), {}).document;

        ASSERT_EQ(document.waypoints.size(), 1u);
        const Point waypoint = document.waypoints.ToVector()[0];
        EXPECT_EQ(waypoint.name, kMonumentUtf8);
        EXPECT_EQ(waypoint.comment, "P+R, Am " + kMonumentUtf8);
        EXPECT_EQ(waypoint.symbol, "Flag, Red");
        EXPECT_EQ(waypoint.elevation, 8848.86);
        ASSERT_EQ(document.routes.size(), 1u);
        EXPECT_EQ(document.routes[0].info.name, "To the lake, west");
        const Point first = document.routes[0].points.ToVector().at(0);
        EXPECT_EQ(first.comment, waypoint.comment);
        EXPECT_EQ(first.elevation, 8848.86);
        ASSERT_EQ(document.tracks.size(), 1u);
        EXPECT_EQ(document.tracks[0].info.name, "Trip, day 1");
        const std::vector<Point> track = document.tracks[0].points.ToVector();
        ASSERT_EQ(track.size(), 2u);
        EXPECT_EQ(track[0].elevation, 123.456);
        EXPECT_EQ(track[0].time, (UtcTime{1591641540, 0}));
        EXPECT_FALSE(track[1].HasElevation());
        EXPECT_FALSE(track[1].time);
    }
}

TEST(MapsourceDetail, RealMpsRoutesAreTheirWaypointsInOrder)
{
    const Document document = ReadMapsourceFile(InputSource::File(FixturePath("mapsource/route.mps")), {}).document;
    const std::vector<Point> waypoints = document.waypoints.ToVector();
    const std::pair<const char*, std::size_t> routes[] = {{"ATCHAFALAYA", 3}, {"LILI PATH", 11}};
    ASSERT_EQ(document.routes.size(), 2u);
    std::size_t w = 0;
    for (std::size_t r = 0; r < 2; ++r) {
        EXPECT_EQ(document.routes[r].info.name, routes[r].first);
        const std::vector<Point> points = document.routes[r].points.ToVector();
        ASSERT_EQ(points.size(), routes[r].second);
        for (const Point& p : points) {
            const Point& waypoint = waypoints.at(w++);
            EXPECT_EQ(p.name, waypoint.name);
            EXPECT_EQ(p.symbol, waypoint.symbol);
            EXPECT_NEAR(p.latitude, waypoint.latitude, 1e-9);
            EXPECT_NEAR(p.longitude, waypoint.longitude, 1e-9);
        }
    }
}

TEST(MapsourceDetail, Version109AddressWaypointsTakeTheTimeBeforeTheirLastTexts)
{
    // Texts of the waypoint's own, the last its street, then nine zero bytes; the rows give what follows.
    ByteBuilder texts, address, campground, untimed;
    texts.zeroText("Bar Harbor").zeroText("ME").zeroText("1 Birch Harbor Rd").fill(9, 0);
    address.u8(1).u32(0x5EDE85C4).u32(0).zeroText("USA").zeroText("04693");  // 01 c4 85 de 5e, a count of 0
    campground.u8(1).u32(0x5EDE1C67).u32(1).zeroText("207-288-1300").u8(0);  // a count of 1 (a phone number)
    campground.zeroText("United States").zeroText("04693");
    untimed.u8(0).u32(0).zeroText("USA").zeroText("04693");
    const std::pair<std::string, std::optional<UtcTime>> rows[] = {
        {address.str(), UtcTime{0x5EDE85C4, 0}}, {campground.str(), UtcTime{0x5EDE1C67, 0}}, {untimed.str(), {}}};
    for (const auto& [end, time] : rows) {
        SCOPED_TRACE(end.size());
        ByteBuilder file = GdbHeader(109), w;
        w.zeroText("1 Birch Harbor Rd");
        NameGap(w);
        w.i32(Semicircles(44.4)).i32(Semicircles(-68.2)).u8(0).zeroText("").u8(0).i32(0).i32(0).i32(38);
        w.text(texts.str()).text(end);
        Record(file, 'W', w);
        const Document document = ReadMapsourceFile(InputSource::Memory("in.gdb", file.str()), {}).document;
        ASSERT_EQ(document.waypoints.size(), 1u);
        EXPECT_EQ(document.waypoints.ToVector()[0].time, time);
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
