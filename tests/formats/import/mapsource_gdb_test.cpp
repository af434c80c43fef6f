// SPDX-License-Identifier: GPL-3.0-or-later
// The .gdb reader: versions, waypoints, routes and their link points, tracks.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/byte_reader.h"
#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/convert.h"
#include "core/store.h"
#include "formats/format_table.h"
#include "formats/import/MapsourceGDB.h"
#include "tests/support/byte_builder.h"
#include "tests/support/mapsource_files.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/test_files.h"

namespace {
constexpr double kLocalNow = 45000.25;
constexpr double kUtcNow = kLocalNow + 0.5;  // the time of reading

using mapsource_files::Semicircles;

ByteBuilder GdbHead(std::uint16_t version)
{
    ByteBuilder b;
    b.text("MsRcf").u8(0).i32(2).u8('D').u16(version);
    b.i32(27).u8('A').u16(608).zeroText("SQA").zeroText("Aug  8 2005").zeroText("10:17:17").zeroText("MapSource");
    return b;
}

void Record(ByteBuilder& file, char type, const ByteBuilder& body)
{
    file.i32(static_cast<std::int32_t>(body.size())).u8(static_cast<std::uint8_t>(type));
    file.bytes.insert(file.bytes.end(), body.bytes.begin(), body.bytes.end());
}

void Flagged(ByteBuilder& b, bool present, double value)
{
    b.u8(present ? 1 : 0);
    if (present) b.f64(value);
}

void Gap(ByteBuilder& b, const std::string& region = "")
{
    b.u32(0).zeroText(region).u32(0).fill(12, 0xff).u16(0).u32(0xffffffff);
}

struct Wpt {
    std::string name_ = "WP1";
    double lat_ = 51.5;
    double lon_ = -0.25;
    bool hasAlt_ = false;
    double metres_ = 0;
    std::string comment_{};
    bool hasProximity_ = false;
    double proximity_ = 0;
    std::int32_t column13_ = 0;
    std::int32_t symbol_ = 18;
    bool hasDepth_ = false;
    double depth_ = 0;
    bool timed_ = false;
    std::uint32_t seconds_ = 0;
    std::string region_{};
    std::vector<std::string> list_{};  // the texts of the list that version 109 holds
    std::string facility_{};           // texts where the layout has the values after the symbol code
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
    Wpt& hasAlt(bool v)
    {
        hasAlt_ = v;
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
    Wpt& hasProximity(bool v)
    {
        hasProximity_ = v;
        return *this;
    }
    Wpt& proximity(double v)
    {
        proximity_ = v;
        return *this;
    }
    Wpt& column13(std::int32_t v)
    {
        column13_ = v;
        return *this;
    }
    Wpt& symbol(std::int32_t v)
    {
        symbol_ = v;
        return *this;
    }
    Wpt& hasDepth(bool v)
    {
        hasDepth_ = v;
        return *this;
    }
    Wpt& depth(double v)
    {
        depth_ = v;
        return *this;
    }
    Wpt& timed(bool v)
    {
        timed_ = v;
        return *this;
    }
    Wpt& seconds(std::uint32_t v)
    {
        seconds_ = v;
        return *this;
    }
    Wpt& region(const std::string& v)
    {
        region_ = v;
        return *this;
    }
    Wpt& list(const std::vector<std::string>& v)
    {
        list_ = v;
        return *this;
    }
    Wpt& facility(const std::string& v)
    {
        facility_ = v;
        return *this;
    }
};

void AddWaypoint(ByteBuilder& file, const Wpt& w, std::uint16_t version = 108)
{
    ByteBuilder b;
    b.zeroText(w.name_);
    Gap(b, w.region_);
    b.i32(Semicircles(w.lat_)).i32(Semicircles(w.lon_));
    Flagged(b, w.hasAlt_, w.metres_);
    b.zeroText(w.comment_);
    Flagged(b, w.hasProximity_, w.proximity_);
    b.i32(w.column13_).i32(0).i32(w.symbol_);
    if (!w.facility_.empty()) {
        b.text(w.facility_).fill(13, 0);
    } else {
        b.i32(0);
        Flagged(b, w.hasDepth_, w.depth_);
        b.u16(0).i32(0).zeroText("city");
        if (version >= 109) {
            b.u32(static_cast<std::uint32_t>(w.list_.size()));
            for (const std::string& text : w.list_) b.zeroText(text);
        } else {
            b.zeroText("");
        }
        b.u16(0);
        Flagged(b, true, 1.5);
    }
    b.u8(w.timed_ ? 1 : 0);
    if (w.timed_) b.u32(w.seconds_);
    if (version >= 109 && w.facility_.empty()) b.fill(6, 0);
    Record(file, 'W', b);
}

struct Link {
    double lat, lon;
};

void Block(ByteBuilder& b, const Link& p, bool hasAlt = false, double metres = 0)
{
    b.i32(Semicircles(p.lat)).i32(Semicircles(p.lon));
    Flagged(b, hasAlt, metres);
}

struct RoutePoint {
    std::string name;
    std::vector<Link> links;
    bool bounds = true;  // the two blocks of the leg's bounds, after a flag byte 0
};

ByteBuilder RouteBody(const std::string& name, const std::vector<RoutePoint>& points, std::uint16_t version)
{
    ByteBuilder b;
    b.zeroText(name).u16(0);
    Block(b, {1, 1}, true, 10);
    Block(b, {2, 2});
    b.u32(static_cast<std::uint32_t>(points.size()));
    for (const RoutePoint& p : points) {
        b.zeroText(p.name);
        Gap(b);
        b.fill(19, 0).u32(static_cast<std::uint32_t>(p.links.size()));
        for (std::size_t l = 0; l < p.links.size(); ++l) Block(b, p.links[l], l == 0, 100);
        b.u8(p.bounds ? 0 : 1);
        if (p.bounds) {
            Block(b, {7, 7});
            Block(b, {8, 8}, true, 3);
        }
        if (version >= 108) b.fill(8, 0xff);
        if (version >= 109) b.u16(0);
    }
    return b;
}

struct Pt {
    double lat_ = 50.0;
    double lon_ = 8.0;
    bool hasAlt_ = false;
    double metres_ = 0;
    bool timed_ = true;
    std::uint32_t seconds_ = 0;
    bool hasDepth_ = false;
    double depth_ = 0;
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
    Pt& hasAlt(bool v)
    {
        hasAlt_ = v;
        return *this;
    }
    Pt& metres(double v)
    {
        metres_ = v;
        return *this;
    }
    Pt& timed(bool v)
    {
        timed_ = v;
        return *this;
    }
    Pt& seconds(std::uint32_t v)
    {
        seconds_ = v;
        return *this;
    }
    Pt& hasDepth(bool v)
    {
        hasDepth_ = v;
        return *this;
    }
    Pt& depth(double v)
    {
        depth_ = v;
        return *this;
    }
};

void AddTrack(ByteBuilder& file, const std::string& name, const std::vector<Pt>& points)
{
    ByteBuilder b;
    b.zeroText(name).u8(0).i32(0).u32(static_cast<std::uint32_t>(points.size()));
    for (const Pt& p : points) {
        b.i32(Semicircles(p.lat_)).i32(Semicircles(p.lon_));
        Flagged(b, p.hasAlt_, p.metres_);
        b.u8(p.timed_ ? 1 : 0);
        if (p.timed_) b.u32(p.seconds_);
        Flagged(b, p.hasDepth_, p.depth_);
        Flagged(b, false, 0);
    }
    Record(file, 'T', b);
}

class GdbReaderTest : public ::testing::Test {
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
        const std::string path = dir.Path("in.gdb");
        WriteText(path, file.str());
        ScopedFrontEnd scope(front);
        ReadMapsourceGdbFile(path, dir.Path("out.plt"), mode);
    }

    TempDir dir;
    RecordingFrontEnd front;
    ReadMode mode = ReadMode::Waypoints;
};

TEST_F(GdbReaderTest, VersionBoundaries)
{
    for (std::uint16_t version : {106, 107, 108, 109}) {
        SCOPED_TRACE(version);
        front.messages.clear();
        front.lines.clear();
        ReadFailed = false;
        ByteBuilder file = GdbHead(version);
        AddWaypoint(file, {}, version);
        Read(file);
        if (version == 106) {
            EXPECT_EQ(front.messages,
                      std::vector<std::string>{"The file is created by an obsolete version of MapSource. "
                                               "MapSource 6 or later is required."});
            EXPECT_EQ(front.lines, std::vector<std::string>{"Obsolete Mapsource File"});
            EXPECT_TRUE(ReadFailed);
            EXPECT_EQ(WaypointCount, 0);
        } else {
            EXPECT_FALSE(ReadFailed);
            EXPECT_EQ(WaypointCount, 1);
            if (version == 109)
                EXPECT_EQ(front.messages,
                          std::vector<std::string>{"The file is created by a version of MapSource later "
                                                   "than 6.5. Result from this version may be "
                                                   "unpredictable."});
            else EXPECT_TRUE(front.messages.empty());
        }
    }
}

TEST_F(GdbReaderTest, WaypointFields)
{
    ByteBuilder file = GdbHead(108);
    AddWaypoint(file, Wpt()
                          .name("Camp #2")
                          .comment("a,b")
                          .hasProximity(true)
                          .proximity(2.5)
                          .column13(7)
                          .symbol(107)
                          .timed(true)
                          .seconds(86400));
    AddWaypoint(file, Wpt().name("").hasDepth(true).depth(10));  // no altitude: the depth gives 33 ft
    AddWaypoint(file, Wpt().hasAlt(true).metres(0.1));           // rounds to 0 ft: none
    AddWaypoint(file, Wpt().hasAlt(true).metres(100).hasDepth(true).depth(10));
    AddWaypoint(file, Wpt().hasAlt(true).metres(std::nan("")));
    AddWaypoint(file, Wpt().hasDepth(true).depth(-1e300).hasProximity(true).proximity(std::nan("")));
    AddWaypoint(file, Wpt().lat(0).lon(0));
    Read(file);
    ASSERT_EQ(WaypointCount, 6);
    const WayPoints& a = WaypointList[1];
    EXPECT_EQ(a.Name, "Camp2");
    EXPECT_EQ(a.Description, "a b");
    EXPECT_EQ(a.Column14, 2);
    EXPECT_EQ(a.Column13, 7);
    EXPECT_EQ(a.Symbol, 0);
    EXPECT_DOUBLE_EQ(a.DateTime, 25570.0);
    EXPECT_FLOAT_EQ(a.Altitude, -777);
    EXPECT_EQ(WaypointList[2].Name, "X");
    EXPECT_DOUBLE_EQ(WaypointList[2].DateTime, kUtcNow);
    EXPECT_FLOAT_EQ(WaypointList[2].Altitude, 33);
    EXPECT_FLOAT_EQ(WaypointList[3].Altitude, -777);
    EXPECT_FLOAT_EQ(WaypointList[4].Altitude, 328);
    EXPECT_FLOAT_EQ(WaypointList[5].Altitude, -777);
    EXPECT_FLOAT_EQ(WaypointList[6].Altitude, -777);  // -1e300 m is no real altitude
    EXPECT_EQ(WaypointList[6].Column14, 0);
}

TEST_F(GdbReaderTest, RegionTextInsideTheGapDoesNotShiftThePosition)
{
    ByteBuilder file = GdbHead(108);
    AddWaypoint(file, Wpt().name("LF_X").lat(46.3876).lon(3.4982).comment("Dummy airport").region("LF"));
    Read(file);
    ASSERT_EQ(WaypointCount, 1);
    EXPECT_NEAR(WaypointList[1].Latitude, 46.3876, 1e-7);
    EXPECT_NEAR(WaypointList[1].Longitude, 3.4982, 1e-7);
    EXPECT_EQ(WaypointList[1].Description, "Dummy airport");
}

TEST_F(GdbReaderTest, Version109WaypointsReadToTheirRecordEnd)
{
    ByteBuilder file = GdbHead(109);
    AddWaypoint(file,
                Wpt()
                    .name("Caf\xC3\xA9 1")
                    .comment("Caf\xC3\xA9, \xC3\x91"
                             "and\xC3\xBA \xE2\x86\x92 \xE2\x82\xAC")
                    .timed(true)
                    .seconds(86400)
                    .hasDepth(true)
                    .depth(10),
                109);
    AddWaypoint(file, Wpt().name("Listed").list({"one", "", "three"}).timed(true).seconds(43200), 109);
    AddWaypoint(file, Wpt().name("Untimed").list({"x"}).symbol(107), 109);
    Read(file);
    ASSERT_EQ(WaypointCount, 3);
    EXPECT_EQ(WaypointList[1].Name, "Caf1");
    EXPECT_EQ(WaypointList[1].Description, "Caf\xE9  \xD1"
                                           "and\xFA ? \x80");  // the code page has the euro, not the arrow
    EXPECT_DOUBLE_EQ(WaypointList[1].DateTime, 25570.0);
    EXPECT_FLOAT_EQ(WaypointList[1].Altitude, 33);  // the depth, read in its place
    EXPECT_EQ(WaypointList[2].Name, "Listed");
    EXPECT_DOUBLE_EQ(WaypointList[2].DateTime, 25569.5);
    EXPECT_EQ(WaypointList[3].Symbol, 0);
    EXPECT_DOUBLE_EQ(WaypointList[3].DateTime, kUtcNow);
}

TEST_F(GdbReaderTest, FacilityWaypointsTakeTheTimeFromTheRecordsLastFiveBytes)
{
    const std::string texts("CITY1\0\0FAC1\0", 12);
    for (std::uint16_t version : {108, 109}) {
        SCOPED_TRACE(version);
        ByteBuilder file = GdbHead(version);
        AddWaypoint(file, Wpt().name("ED_X").region("ED").symbol(107).facility(texts).timed(true).seconds(86400),
                    version);
        AddWaypoint(file, Wpt().name("LF_X").region("LF").facility(texts), version);
        AddWaypoint(file, Wpt().name("after").timed(true).seconds(43200), version);
        Read(file);
        ASSERT_EQ(WaypointCount, 3);
        EXPECT_EQ(WaypointList[1].Symbol, 0);
        EXPECT_DOUBLE_EQ(WaypointList[1].DateTime, 25570.0);
        EXPECT_DOUBLE_EQ(WaypointList[2].DateTime, kUtcNow);
        EXPECT_EQ(WaypointList[3].Name, "after");
        EXPECT_DOUBLE_EQ(WaypointList[3].DateTime, 25569.5);
    }
}

TEST_F(GdbReaderTest, RoutePointsWithAndWithoutBoundsStayAligned)
{
    const Link a{10, 20}, b{11, 21}, c{12, 22}, d{13, 23};
    for (std::uint16_t version : {107, 108, 109, 110}) {
        SCOPED_TRACE(version);
        ByteBuilder file = GdbHead(version);
        Record(file, 'R',
               RouteBody("Stra\xC3\x9F"
                         "e",
                         {{"P1", {a, b}}, {"P2", {}}, {"P3", {c, d}}, {"P4", {}, false}}, version));
        Record(file, 'R', RouteBody("next", {{"Q1", {b, c}}, {"Q2", {}, false}}, version));
        Read(file);
        ASSERT_EQ(RouteCount, 2);
        const RouteRecord& route = RouteList[1];
        EXPECT_EQ(route.Name, version >= 109 ? "Stra\xDF"
                                               "e"
                                             : "Stra\xC3\x9F"
                                               "e");
        ASSERT_EQ(route.PointCount, 4);
        const Link expected[] = {a, {0, 0}, c, d};  // P2 has no link point of its own
        for (int k = 1; k <= 4; ++k) {
            EXPECT_EQ(route.Points[k].Name, "P" + std::to_string(k));
            EXPECT_NEAR(route.Points[k].Latitude, expected[k - 1].lat, 1e-7);
            EXPECT_NEAR(route.Points[k].Longitude, expected[k - 1].lon, 1e-7);
        }
        EXPECT_EQ(RouteList[2].Points[2].Name, "Q2");
        EXPECT_NEAR(RouteList[2].Points[2].Latitude, c.lat, 1e-7);
    }
}

TEST_F(GdbReaderTest, RouteLinkPointsGivePositionsACD)
{
    for (std::uint16_t version : {107, 108, 109}) {
        SCOPED_TRACE(version);
        const Link a{10, 20}, b{11, 21}, c{12, 22}, d{13, 23};
        ByteBuilder file = GdbHead(version);
        Record(file, 'R', RouteBody("To the lake", {{"P1", {a, b}}, {"P-2", {c, d}}, {"P 3", {}, false}}, version));
        Record(file, 'R', RouteBody("single", {{"only", {a, b}}}, version));
        AddWaypoint(file, Wpt().name("after"), version);
        Read(file);
        EXPECT_EQ(RouteCount, 2);
        EXPECT_EQ(RouteList[0].Name, "R0");
        EXPECT_EQ(RouteList[0].PointCount, 0);
        const RouteRecord& route = RouteList[1];
        EXPECT_EQ(route.Name, "To the lake");
        EXPECT_EQ(route.Description, "To the lake");
        ASSERT_EQ(route.PointCount, 3);
        const Link expected[] = {a, c, d};
        const char* names[] = {"P1", "P-2", "P3"};
        for (int k = 1; k <= 3; ++k) {
            EXPECT_EQ(route.Points[k].Number, k);
            EXPECT_EQ(route.Points[k].Name, names[k - 1]);
            EXPECT_NEAR(route.Points[k].Latitude, expected[k - 1].lat, 1e-7);
            EXPECT_NEAR(route.Points[k].Longitude, expected[k - 1].lon, 1e-7);
        }
        EXPECT_FLOAT_EQ(route.Points[1].Altitude, 328);  // the first link block carries 100 m
        EXPECT_FLOAT_EQ(route.Points[3].Altitude, -777);
        EXPECT_EQ(RouteList[2].PointCount, 1);
        EXPECT_DOUBLE_EQ(RouteList[2].Points[1].Latitude, 0);  // one point: no position
        ASSERT_EQ(WaypointCount, 1);
        EXPECT_EQ(WaypointList[1].Name, "after");
    }
}

TEST_F(GdbReaderTest, LastRoutePointTakesTheFinalLinkPointOfAnAutoRoutedLeg)
{
    ByteBuilder file = GdbHead(108);
    Record(file, 'R', RouteBody("auto", {{"A", {{1, 1}, {1.1, 1.1}, {1.2, 1.2}, {2, 2}}}, {"B", {}}}, 108));
    Read(file);
    EXPECT_NEAR(RouteList[1].Points[1].Latitude, 1, 1e-7);
    EXPECT_NEAR(RouteList[1].Points[2].Latitude, 2, 1e-7);
    EXPECT_NEAR(RouteList[1].Points[2].Longitude, 2, 1e-7);
}

TEST_F(GdbReaderTest, RoutesAndPointsBeyondTheTableAreDropped)
{
    ByteBuilder file = GdbHead(107);
    std::vector<RoutePoint> many(1001, RoutePoint{"p", {{5, 5}, {6, 6}}});
    Record(file, 'R', RouteBody("many", many, 107));
    for (int r = 2; r <= 102; ++r) Record(file, 'R', RouteBody("R" + std::to_string(r) + "x", {{"q", {}}}, 107));
    AddWaypoint(file, Wpt().name("after"));
    Read(file);
    EXPECT_EQ(RouteList[1].PointCount, 1000);
    EXPECT_NEAR(RouteList[1].Points[1000].Latitude, 5, 1e-7);
    EXPECT_EQ(RouteCount, 100);
    EXPECT_EQ(RouteList[100].Name, "R100x");
    ASSERT_EQ(WaypointCount, 1);
    EXPECT_EQ(WaypointList[1].Name, "after");
}

TEST_F(GdbReaderTest, ThreeTracksInTrackModeGiveThreeFiles)
{
    mode = ReadMode::Tracks;
    ByteBuilder file = GdbHead(108);
    AddWaypoint(file, {});  // not stored in track mode
    Record(file, 'R', RouteBody("kept", {{"p", {}}}, 108));
    AddTrack(file, "ACTIVE LOG 001", {Pt().hasDepth(true).depth(5), Pt().timed(false)});
    AddTrack(file, "empty", {});
    AddTrack(file, "third", {Pt().hasAlt(true).metres(100), Pt().hasAlt(true).metres(0.1), {}});
    Read(file);
    EXPECT_EQ(WaypointCount, 0);
    EXPECT_EQ(RouteCount, 1);  // routes are stored in both modes
    // A track without points makes no file.
    const std::vector<std::string> names = {dir.Path("out_1.plt"), dir.Path("out_3.plt")};
    EXPECT_EQ(TrackFilesWritten.FirstNames(), names);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out_2.plt")));
    const auto first = SplitCrLf(ReadText(names[0]));
    ASSERT_EQ(first.size(), 8u);
    EXPECT_EQ(first[4], "0,2,255,ACTIVE LOG 001,1,0,0,255");
    EXPECT_EQ(first[6].substr(24, 9), "1,     16");  // 5 m of depth
    EXPECT_EQ(first[7].substr(24, 23), "0,   -777,45000.7500000");
    EXPECT_EQ(TrackProps.Name, "third");
    ASSERT_EQ(TrackProps.PointCount, 3);
    EXPECT_FLOAT_EQ(TrackPointList[0].Altitude, static_cast<float>(328 / 3.2808));
    EXPECT_FLOAT_EQ(TrackPointList[1].Altitude, -777);
    EXPECT_FLOAT_EQ(TrackPointList[2].Altitude, -777);
    EXPECT_EQ(TrackPointList[0].NewSection, 1);
    EXPECT_EQ(TrackPointList[1].NewSection, 0);
    EXPECT_EQ(TrackPointList[2].NewSection, 0);
}

TEST_F(GdbReaderTest, OverlongTrackKeepsTheFirst100001Points)
{
    ByteBuilder file = GdbHead(108);
    std::vector<Pt> points(100003, Pt().lat(1).lon(1));
    points[100000].lat(2);
    AddTrack(file, "long", points);
    AddWaypoint(file, Wpt().name("after"));
    Read(file);
    EXPECT_EQ(TrackProps.PointCount, 100001);
    EXPECT_NEAR(TrackPointList[100000].Latitude, 2, 1e-7);
    ASSERT_EQ(WaypointCount, 1);
    EXPECT_EQ(WaypointList[1].Name, "after");
}

TEST_F(GdbReaderTest, OtherRecordsChangeNothing)
{
    ByteBuilder file = GdbHead(108);
    ByteBuilder junk;
    junk.fill(30, 'W');
    Record(file, 'L', junk);
    Record(file, 'M', junk);
    Record(file, 'z', junk);
    Read(file);
    EXPECT_EQ(WaypointCount, 0);
    EXPECT_EQ(RouteCount, 0);
    EXPECT_EQ(TrackProps.PointCount, 0);
}

TEST_F(GdbReaderTest, EmptyRecordsAreSkippedAndNegativeLengthsEndTheReading)
{
    const std::pair<std::int32_t, int> rows[] = {{-1, 1}, {0, 2}};
    for (const auto& [length, waypoints] : rows) {
        SCOPED_TRACE(length);
        ByteBuilder file = GdbHead(108);
        AddWaypoint(file, Wpt().name("kept"));
        file.i32(length).u8('R');
        AddWaypoint(file, Wpt().name("next"));
        Read(file);
        ASSERT_EQ(WaypointCount, waypoints);
        EXPECT_EQ(WaypointList[waypoints].Name, waypoints == 1 ? "kept" : "next");
        EXPECT_EQ(RouteCount, 0);
    }
}

TEST_F(GdbReaderTest, RecordCutShortKeepsWhatWasReadWhole)
{
    mode = ReadMode::Tracks;
    ByteBuilder file = GdbHead(108);
    AddTrack(file, "cut", {Pt().lat(1).lon(1), Pt().lat(2).lon(2), Pt().lat(3).lon(3)});
    file.bytes.resize(file.size() - 15);  // inside the third point's position
    StartConversionRecord();
    Read(file);
    EXPECT_TRUE(InputReadInPart());
    EXPECT_EQ(TrackProps.PointCount, 2);
    EXPECT_EQ(TrackFilesWritten.size(), 1u);

    // A length shorter than the fields: they are read only within it.
    mode = ReadMode::Waypoints;
    ByteBuilder shortLength = GdbHead(108);
    AddWaypoint(shortLength, Wpt().name("short"));
    const std::size_t lengthAt = GdbHead(108).size();
    shortLength.put<std::int32_t>(lengthAt, 20);
    AddWaypoint(shortLength, Wpt().name("whole"));
    for (const std::size_t headerCut : {1, 4}) {  // the file ends inside the next record's header
        ByteBuilder cutHeader = GdbHead(108);
        AddWaypoint(cutHeader, Wpt().name("whole"));
        cutHeader.fill(headerCut, 0);
        StartConversionRecord();
        Read(cutHeader);
        EXPECT_TRUE(InputReadInPart());
        EXPECT_EQ(WaypointCount, 1);
    }
    StartConversionRecord();
    Read(shortLength);
    EXPECT_FALSE(InputReadInPart());
    EXPECT_EQ(WaypointCount, 0);  // the framing broke: the next header is not where the length says
}

TEST(MapsourceGdbBlocks, PositionBlockAndZeroTerminatedText)
{
    ByteBuilder b;
    b.i32(1 << 30).i32(-(1 << 29)).u8(1).f64(100).i32(5).i32(6).u8(1).f64(0.1).i32(7).i32(8).u8(0);
    b.text("ab").u8(0).text("cd");
    ByteReader file(b.bytes);
    const PositionBlock first = ReadPositionBlock(file);
    EXPECT_EQ(first.Latitude, 1 << 30);
    EXPECT_EQ(first.Longitude, -(1 << 29));
    EXPECT_EQ(first.Feet, 328);                     // rounded once, after the multiplication
    EXPECT_EQ(ReadPositionBlock(file).Feet, -777);  // 0.33 ft rounds to 0: none
    EXPECT_EQ(ReadPositionBlock(file).Feet, -777);
    EXPECT_EQ(ReadZeroTerminated(file), std::string("ab\0", 3));
    EXPECT_EQ(ReadZeroTerminated(file), "cd");
    EXPECT_FALSE(ReadPositionBlock(file).Whole);
}

TEST(MapsourceFixtures, RealGdbFilesConvert)
{
    RecordingFrontEnd front;
    ScopedFrontEnd scope(front);
    TempDir dir;
    struct Expected {
        const char* name;
        int waypoints;
        std::vector<int> routePoints;
        std::vector<int> trackPoints;
    };
    const Expected files[] = {
        {"gdb-sample.gdb", 199, {199}, {17, 11, 1, 1, 1, 42, 664, 4, 6}},
        {"gdb-sample2.gdb", 14, {4, 10}, {42}},
    };
    for (const Expected& e : files) {
        SCOPED_TRACE(e.name);
        ReadFailed = false;
        TrackFilesWritten.clear();
        ReadMapsourceGdbFile(FixturePath(std::string("mapsource/") + e.name), dir.Path("out"), ReadMode::Waypoints);
        EXPECT_FALSE(ReadFailed);
        EXPECT_TRUE(front.messages.empty());
        EXPECT_EQ(WaypointCount, e.waypoints);
        ASSERT_EQ(RouteCount, static_cast<int>(e.routePoints.size()));
        for (int r = 1; r <= RouteCount; ++r) EXPECT_EQ(RouteList[r].PointCount, e.routePoints[r - 1]);
        ReadMapsourceGdbFile(FixturePath(std::string("mapsource/") + e.name), dir.Path("out"), ReadMode::Tracks);
        ASSERT_EQ(TrackFilesWritten.size(), e.trackPoints.size());
        for (std::size_t t = 0; t < e.trackPoints.size(); ++t)
            EXPECT_EQ(SplitCrLf(ReadText(TrackFilesWritten.FirstNames().at(t))).size(), 6u + e.trackPoints[t]);
    }
    // The airport waypoints with a region code keep their own positions.
    EXPECT_NEAR(RouteList[1].Points[4].Latitude, 46.387606, 1e-6);
    EXPECT_NEAR(RouteList[1].Points[4].Longitude, 3.498277, 1e-6);

    // Ordinary and facility waypoints alike carry the file's times.
    ReadMapsourceGdbFile(FixturePath("mapsource/gdb-sample2.gdb"), dir.Path("out"), ReadMode::Waypoints);
    const std::pair<int, std::uint32_t> times[] = {{1, 1143504637},  {8, 1143509887},  {9, 1143510121},
                                                   {11, 1143510032}, {13, 1143510205}, {14, 1143841766}};
    for (const auto& [index, seconds] : times) {
        SCOPED_TRACE(index);
        EXPECT_NEAR(WaypointList[index].DateTime, 25569 + seconds / 86400.0, 1e-9);
    }
}
}  // namespace
