// SPDX-License-Identifier: GPL-3.0-or-later
// The GPX reader: fields, routes, tracks handed over one by one, encodings,
// the real files, and damaged or hostile input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/convert.h"
#include "core/file_io.h"
#include "core/store.h"
#include "formats/gpx/Gpx.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/test_files.h"

namespace {
constexpr double kUtcNow = 45000.5;

std::string Gpx(const std::string& body,
                const std::string& root = " version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\"")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx" + root + ">\n" + body + "</gpx>\n";
}

std::string Wpt(const std::string& lat, const std::string& lon, const std::string& inner = "")
{
    return "<wpt lat=\"" + lat + "\" lon=\"" + lon + "\">" + inner + "</wpt>\n";
}

// What the callback saw of one track while the store held it.
struct TrackSeen {
    std::string name, description;
    int points;
    std::vector<int> sectionStarts;
};

class GpxReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PinClock(kUtcNow, kUtcNow);
        TimeZoneBias = 0;
        ReadFailed = false;
        StartConversionRecord();
    }
    void TearDown() override { UnpinClock(); }
    std::string Input(const std::string& content)
    {
        WriteText(dir.Path("in.gpx"), content);
        return dir.Path("in.gpx");
    }
    void Waypoints(const std::string& content) { ReadGpxWaypointFile(Input(content)); }
    std::vector<TrackSeen> Tracks(const std::string& content)
    {
        std::vector<TrackSeen> seen;
        const int count = ReadGpxTrackFile(Input(content), [&](int n) {
            EXPECT_EQ(n, static_cast<int>(seen.size()) + 1);
            seen.push_back({TrackProps.Name, TrackProps.Description, TrackProps.PointCount, {}});
            for (int i = 0; i < TrackProps.PointCount; ++i)
                if (TrackPointList[i].NewSection == 1) seen.back().sectionStarts.push_back(i);
        });
        EXPECT_EQ(count, static_cast<int>(seen.size()));
        return seen;
    }

    TempDir dir;
    RecordingFrontEnd front;
    ScopedFrontEnd scope{front};
};
}  // namespace

TEST_F(GpxReaderTest, WaypointsTakeTheirFieldsAndSkipExtensionsWhateverTheirNames)
{
    Waypoints(
        Gpx(Wpt("51.5", "-0.25",
                "<ele>100</ele><time>2002-05-25T10:06:21-07:00</time><name>Summit</name><cmt>comment</cmt>"
                "<desc>top &amp; view</desc><sym>Summit</sym><link href=\"x\"><text>link</text></link>"
                "<extensions><name>wrong</name><ele>9</ele><wpt lat=\"1\" lon=\"1\"/></extensions>"
                "<x:name xmlns:x=\"urn:other\">wrong</x:name>") +
            Wpt("-33.86", "151.21", "<name>  Harbour\n  buoy </name><cmt>only a comment</cmt><sym>unknown</sym>") +
            Wpt("0", "180")));
    ASSERT_EQ(WaypointCount, 3);
    const WayPoints &a = WaypointList[1], &b = WaypointList[2], &c = WaypointList[3];
    EXPECT_EQ(a.Name, "Summit");
    EXPECT_EQ(a.Description, "top & view");
    EXPECT_DOUBLE_EQ(a.Latitude, 51.5);
    EXPECT_DOUBLE_EQ(a.Longitude, -0.25);
    EXPECT_FLOAT_EQ(a.Altitude, 328.08f);  // feet
    EXPECT_NEAR(a.DateTime, *EncodeDate(2002, 5, 25) + 61581.0 / 86400, 1e-9);
    EXPECT_EQ(a.Symbol, 60);
    EXPECT_EQ(b.Name, "Harbour buoy");
    EXPECT_EQ(b.Description, "only a comment");
    EXPECT_EQ(b.Symbol, 70);
    EXPECT_FLOAT_EQ(c.Altitude, kNoAltitude);
    EXPECT_DOUBLE_EQ(c.DateTime, kUndatedWaypoint);
    EXPECT_EQ(c.Symbol, 0);
    EXPECT_EQ(c.Column10, 65535);  // everything else at its reset value
    EXPECT_TRUE(front.messages.empty());

    for (const char* root : {" version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\"", " version=\"1.1\""}) {
        Waypoints(Gpx(Wpt("1", "2", "<name>A</name><g:name xmlns:g=\"urn:g\">B</g:name>"), root));
        ASSERT_EQ(WaypointCount, 1) << root;
        EXPECT_EQ(WaypointList[1].Name, "A");
    }
}

// An element is GPX by the namespace its prefix, or the default, is declared
// for where it stands; the name read is the one in the GPX namespace.
TEST_F(GpxReaderTest, NamespacesDecideWhichElementsAreRead)
{
    const std::string gpx11 = "http://www.topografix.com/GPX/1/1";
    const struct {
        const char* what;
        std::string file;
        const char* name;  // nullptr: no waypoint read
    } cases[] = {
        {"prefixed root and children",
         "<g:gpx xmlns:g=\"" + gpx11 +
             "\"><g:wpt lat=\"1\" lon=\"2\"><g:name>A</g:name>"
             "<x:name xmlns:x=\"urn:x\">B</x:name></g:wpt></g:gpx>",
         "A"},
        {"default namespace declared again on a child",
         "<gpx xmlns=\"" + gpx11 +
             "\"><wpt lat=\"1\" lon=\"2\"><name xmlns=\"urn:x\">B</name><name>A</name></wpt></gpx>",
         "A"},
        {"a declaration ends with its element",
         "<gpx xmlns=\"" + gpx11 + "\"><rte xmlns:x=\"" + gpx11 +
             "\"/>"
             "<wpt lat=\"1\" lon=\"2\"><name>A</name><x:name>B</x:name></wpt></gpx>",
         "A"},
        {"an undeclared prefix", "<gpx><wpt lat=\"1\" lon=\"2\"><u:name>B</u:name><name>A</name></wpt></gpx>", "A"},
        {"the document's namespace under a prefix of a child",
         "<gpx xmlns=\"" + gpx11 + "\"><wpt lat=\"1\" lon=\"2\"><p:name xmlns:p=\"" + gpx11 +
             "\">A</p:name></wpt></gpx>",
         "A"},
        {"a root of another namespace", "<gpx xmlns=\"urn:other\"><wpt lat=\"1\" lon=\"2\"/></gpx>", nullptr},
        {"a root with an undeclared prefix", "<u:gpx><u:wpt lat=\"1\" lon=\"2\"/></u:gpx>", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Waypoints(c.file);
        ASSERT_EQ(WaypointCount, c.name ? 1 : 0);
        if (c.name) {
            EXPECT_EQ(WaypointList[1].Name, c.name);
        }
    }
}

TEST_F(GpxReaderTest, RoutesFillTheSlotsFromOne)
{
    Waypoints(Gpx(Wpt("1", "1") +
                  "<rte><name>Out</name><desc>there</desc><rtept lat=\"1\" lon=\"2\"><name>P1</name>"
                  "<time>2002-05-25T00:00:00Z</time></rtept><rtept lat=\"3\" lon=\"4\"><sym>Flag</sym></rtept></rte>\n"
                  "<rte><cmt>unnamed</cmt><rtept lat=\"5\" lon=\"6\"/></rte>\n"));
    EXPECT_EQ(WaypointCount, 1);
    ASSERT_EQ(RouteCount, 2);
    const RouteRecord& out = RouteList[1];
    EXPECT_EQ(out.Name, "Out");
    EXPECT_EQ(out.Description, "there");
    ASSERT_EQ(out.PointCount, 2);
    EXPECT_EQ(out.Points[1].Name, "P1");
    EXPECT_DOUBLE_EQ(out.Points[1].DateTime, *EncodeDate(2002, 5, 25));
    EXPECT_EQ(out.Points[2].Number, 2);
    EXPECT_DOUBLE_EQ(out.Points[2].Latitude, 3);
    EXPECT_DOUBLE_EQ(out.Points[2].Longitude, 4);
    EXPECT_DOUBLE_EQ(out.Points[2].DateTime, kUndatedWaypoint);
    EXPECT_EQ(out.Points[2].Symbol, 83);
    EXPECT_EQ(RouteList[2].Name, "R2");
    EXPECT_EQ(RouteList[2].Description, "unnamed");
}

TEST_F(GpxReaderTest, TracksAreHandedOverOneByOneWithASectionPerSegment)
{
    WaypointCount = 5;
    const std::vector<TrackSeen> seen = Tracks(
        Gpx(Wpt("9", "9") + "<trk><name>First</name><desc>d</desc><trkseg><trkpt lat=\"1\" lon=\"2\"><ele>1531.4</ele>"
                            "<time>2023-01-16T18:02:26.500Z</time></trkpt><trkpt lat=\"1.1\" lon=\"2.1\"/></trkseg>"
                            "<trkseg/><trkseg><trkpt lat=\"1.2\" lon=\"2.2\"/></trkseg></trk>\n"
                            "<trk><trkseg><trkpt lat=\"3\" lon=\"4\"/></trkseg></trk>\n"));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].name, "First");
    EXPECT_EQ(seen[0].description, "d");
    EXPECT_EQ(seen[0].points, 3);
    EXPECT_EQ(seen[0].sectionStarts, (std::vector<int>{0, 2}));
    EXPECT_EQ(seen[1].sectionStarts, (std::vector<int>{0}));
    ASSERT_EQ(TrackProps.PointCount, 1);  // the store keeps the last track
    EXPECT_DOUBLE_EQ(TrackPointList[0].Latitude, 3);
    EXPECT_FLOAT_EQ(TrackPointList[0].Altitude, kNoAltitude);
    EXPECT_DOUBLE_EQ(TrackPointList[0].DateTime, kUtcNow);  // no time: the time of reading, in UTC
    EXPECT_EQ(WaypointCount, 5);

    ReadGpxTrackFile(Input(Gpx("<trk><trkseg><trkpt lat=\"1\" lon=\"2\"><ele>1531.4</ele>"
                               "<time>2023-01-16T18:02:26.500Z</time></trkpt></trkseg></trk>")));
    EXPECT_FLOAT_EQ(TrackPointList[0].Altitude, 1531.4f);  // metres
    EXPECT_NEAR(TrackPointList[0].DateTime, *EncodeDate(2023, 1, 16) + 64946.5 / 86400, 1e-9);
}

TEST_F(GpxReaderTest, AnyDeclaredEncodingGivesTheSameText)
{
    // The name is Qu#bec with # replaced by the bytes given.
    const auto declared = [](const std::string& encoding, const std::string& bytes) {
        const std::string text = "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?><gpx>" +
                                 Wpt("1", "2", "<name>Qu#bec</name>") + "</gpx>";
        return text.substr(0, text.find('#')) + bytes + text.substr(text.find('#') + 1);
    };
    const auto utf16 = [](const std::string& ascii, bool big) {
        std::string out = big ? "\xFE\xFF" : "\xFF\xFE";
        for (const char c : ascii) out += big ? std::string{'\0', c} : std::string{c, '\0'};
        return out;
    };
    std::string little = utf16(declared("UTF-16", "#"), false), big = utf16(declared("UTF-16", "#"), true);
    little[little.find('#')] = '\xE9';
    big[big.find('#')] = '\xE9';
    const struct {
        std::string file;
        const char* name;
    } cases[] = {
        {declared("UTF-8", "\xC3\xA9"), "Qu\xE9"
                                        "bec"},
        {declared("ISO-8859-1", "\xE9"), "Qu\xE9"
                                         "bec"},
        {declared("iso-8859-1", "\x80"), "Qu\x80"
                                         "bec"},  // 1252 text called ISO-8859-1
        {declared("windows-1252", "\x80\xE9"), "Qu\x80\xE9"
                                               "bec"},
        {little, "Qu\xE9"
                 "bec"},
        {big, "Qu\xE9"
              "bec"},
        {declared("UTF-8", "\xE2\x86\x92"), "Qu?bec"},
    };
    for (const auto& c : cases) {
        Waypoints(c.file);
        ASSERT_EQ(WaypointCount, 1) << c.name;
        EXPECT_EQ(WaypointList[1].Name, c.name);
    }
    EXPECT_TRUE(front.messages.empty());
}

TEST_F(GpxReaderTest, PointsWithoutAValidPositionAreLeftOutAndCounted)
{
    Waypoints(Gpx(Wpt("91", "0") + Wpt("0", "-180.5") + Wpt("NaN", "1") + Wpt("1", "inf") + Wpt("", "1") +
                  "<wpt lat=\"1\"/>" + Wpt("1e1", "abc") + Wpt("90", "-180") + Wpt("-90", "180") +
                  "<rte><rtept lat=\"100\" lon=\"1\"/><rtept lat=\"1\" lon=\"1\"/></rte>"));
    EXPECT_EQ(WaypointCount, 2);
    EXPECT_EQ(RouteList[1].PointCount, 1);
    // Counted with the points the store leaves out, for the line of what was written.
    EXPECT_EQ(WrittenLine(WrittenKind::Waypoints),
              "Written: no waypoints and no routes; 8 points without a usable position were left out");
    EXPECT_TRUE(front.messages.empty());
    EXPECT_FALSE(ReadFailed);
}

TEST_F(GpxReaderTest, DamagedOrHostileInputGivesAClearMessageAndKeepsWhatCameBefore)
{
    const std::string two = Wpt("1", "1", "<name>one</name>") + Wpt("2", "2", "<name>two</name>");
    std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [\n<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">\n";
    for (char e = 'b'; e <= 'k'; ++e) {
        bomb += std::string("<!ENTITY ") + e + " \"";
        for (int k = 0; k < 10; ++k) bomb += std::string("&") + static_cast<char>(e - 1) + ";";
        bomb += "\">\n";
    }
    bomb += "]>\n<gpx>\n" + Wpt("1", "1", "<name>&k;</name>") + "</gpx>\n";
    std::string declarations = " xmlns=\"http://www.topografix.com/GPX/1/1\"", many;
    for (int i = 0; i < 20000; ++i)
        declarations += " xmlns:p" + std::to_string(i) + "=\"urn:" + std::to_string(i) + "\"";
    for (int i = 0; i < 100000; ++i) many += "<q:x/>";
    std::string deep, names;
    for (int i = 0; i < 1000000; ++i) deep += "<e>";
    for (int i = 0; i < 500000; ++i) names += "<e" + std::to_string(i) + "/>";
    const struct {
        const char* what;
        std::string file;
        std::string message;  // the start of the one message, if any
        bool refused;
        int kept;
    } cases[] = {
        {"empty file", "", "This is not a GPX file: no element found at line 1, column 1.", true, 0},
        {"not XML", "Kestrelmaps Waypoint File Version 1.1\r\n", "This is not a GPX file: syntax error at line 1", true,
         0},
        {"other XML", "<kml><wpt lat=\"1\" lon=\"1\"/></kml>", "This is not a GPX file: its first element is not gpx.",
         true, 0},
        {"unknown encoding", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><gpx/>",
         "The character encoding Shift_JIS of the GPX file is not supported.", true, 0},
        {"truncated", Gpx(two).substr(0, Gpx(two).size() - 6), "The GPX file is damaged at line 5, column ", false, 2},
        {"wrong nesting", Gpx(two + "<wpt lat=\"3\" lon=\"3\"><name>x</wpt></name>"),
         "The GPX file is damaged at line 5, column 31: mismatched tag. Only what comes before it was read.", false, 2},
        {"invalid UTF-8", Gpx(two + Wpt("3", "3", "<name>\xFF</name>")),
         "The GPX file is damaged at line 5, column 28: ", false, 2},
        {"zero bytes after the end", Gpx(two) + std::string(100, '\0'), "", false, 2},
        {"thousands of namespaces for a multitude of elements", Gpx(many + two, declarations), "", false, 2},
        {"elements nested a million deep", Gpx(two + deep), "The GPX file is damaged at line 5, column ", false, 2},
        {"half a million different element names", Gpx(two + names), "The GPX file is damaged at line 5, column ",
         false, 2},
        {"billion laughs", bomb, "The GPX file is damaged at line ", false, 0},
        {"a namespace name of 2 MB", Gpx(two + "<x xmlns:p=\"urn:" + std::string(2 << 20, 'y') + "\"/>"),
         "The GPX file is damaged at line 5, column 2097172: namespace names longer than the reader holds.", false, 2},
        // A file up to 32 MB is parsed whole; a longer one in chunks, where one item may not pass 8 MB.
        {"a long item", Gpx(two + "<wpt lat=\"3\" lon=\"3\" note=\"" + std::string(9 << 20, 'x') + "\"/>"), "", false,
         3},
        {"one huge item", Gpx(two + "<wpt lat=\"3\" lon=\"3\" note=\"" + std::string(33 << 20, 'x') + "\"/>"),
         "The GPX file is damaged at line 5, column 1: an XML item longer than 8 MB.", false, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        front.messages.clear();
        ReadFailed = false;
        Waypoints(c.file);
        ASSERT_EQ(front.messages.size(), c.message.empty() ? 0u : 1u);
        if (!c.message.empty()) {
            EXPECT_EQ(front.messages[0].substr(0, c.message.size()), c.message) << front.messages[0];
        }
        EXPECT_EQ(ReadFailed, c.refused);
        EXPECT_EQ(WaypointCount, c.kept);
    }
}

TEST_F(GpxReaderTest, ExternalEntitiesAreNeverLoaded)
{
    WriteText(dir.Path("secret.txt"), "secret");
    Waypoints("<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [<!ENTITY s SYSTEM \"file://" + dir.Path("secret.txt") +
              "\">]>\n<gpx>" + Wpt("1", "1", "<name>a&s;b</name>") + "</gpx>");
    ASSERT_EQ(WaypointCount, 1);
    EXPECT_EQ(WaypointList[1].Name, "ab");
}

TEST_F(GpxReaderTest, ATrackCutShortIsHandedOverAndAFailureOfTheCallerReachesIt)
{
    const std::vector<TrackSeen> seen =
        Tracks(Gpx("<trk><name>T</name><trkseg><trkpt lat=\"1\" lon=\"1\"/><trkpt lat=\"2\" lon=\"2\"/><trkpt lat="));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].name, "T");
    EXPECT_EQ(seen[0].points, 2);
    EXPECT_EQ(front.messages.size(), 1u);

    int calls = 0;
    const auto fail = [&](int) {
        ++calls;
        throw FileError("out_1.plt", "No space left on device");
    };
    EXPECT_THROW(ReadGpxTrackFile(Input(Gpx("<trk/><trk/><trk/>")), fail), FileError);
    EXPECT_EQ(calls, 1);
}

TEST_F(GpxReaderTest, TheStoresLimitsAreAnnounced)
{
    const auto times = [](int count, const std::string& text) {
        std::string out;
        for (int i = 0; i < count; ++i) out += text;
        return out;
    };
    Waypoints(Gpx(times(kMaxWaypoints + 1, "<wpt lat=\"1\" lon=\"1\"/>") + "<rte>" +
                  times(kMaxRoutePoints + 1, "<rtept lat=\"1\" lon=\"1\"/>") + "</rte>" +
                  times(kMaxRouteIndex, "<rte/>")));
    EXPECT_EQ(WaypointCount, kMaxWaypoints);
    EXPECT_EQ(RouteCount, kMaxRouteIndex);
    EXPECT_EQ(RouteList[1].PointCount, kMaxRoutePoints);
    const std::vector<TrackSeen> seen = Tracks(
        Gpx("<trk><trkseg>" + times(kMaxTrackPoints + 1, "<trkpt lat=\"1\" lon=\"1\"/>") + "</trkseg></trk><trk/>"));
    EXPECT_EQ(seen[0].points, kMaxTrackPoints);
    // The same cuts as every reader's, announced once the conversion is written.
    const std::string limitation = " - this is a limitation of kesTranscribe. ";
    EXPECT_EQ(CutMessages(), (std::vector<std::string>{
                                 "Only the first 10000 Waypoints are read" + limitation +
                                     "The later waypoints of the input file are left out.",
                                 "Only the first 1000 Route Points are read from each route" + limitation +
                                     "The rest of a longer route is left out.",
                                 "Only the first 100 Routes are read" + limitation +
                                     "The later routes of the input file are left out.",
                                 "Only the first 100000 Track Points are read from each track" + limitation +
                                     "The rest of a longer track is left out.",
                             }));
    EXPECT_TRUE(front.messages.empty());
}

TEST_F(GpxReaderTest, RealFiles)
{
    const auto path = [](const char* file) { return FixturePath(std::string("gpx/") + file); };
    const struct {
        const char* file;
        int waypoints, routes, routePoints, tracks, trackPoints;
    } counts[] = {
        {"GC7FA4.gpx", 1, 0, 0, 0, 0},         {"basecamp.gpx", 2, 1, 2, 1, 2},
        {"empty.gpx", 0, 0, 0, 0, 0},          {"expertgps.gpx", 86, 1, 46, 1, 64},
        {"garminconnect.gpx", 0, 0, 0, 1, 68}, {"gpxpassthrough10.gpx", 3, 1, 3, 1, 3},
    };
    for (const auto& c : counts) {
        SCOPED_TRACE(c.file);
        ReadGpxWaypointFile(path(c.file));
        EXPECT_EQ(WaypointCount, c.waypoints);
        EXPECT_EQ(RouteCount, c.routes);
        EXPECT_EQ(RouteList[1].PointCount, c.routePoints);
        int points = 0;
        EXPECT_EQ(ReadGpxTrackFile(path(c.file), [&](int) { points += TrackProps.PointCount; }), c.tracks);
        EXPECT_EQ(points, c.trackPoints);
    }
    EXPECT_TRUE(front.messages.empty());

    ReadGpxWaypointFile(path("GC7FA4.gpx"));  // GPX 1.0, an offset of -07:00, extensions named like GPX
    const WayPoints& cache = WaypointList[1];
    EXPECT_EQ(cache.Name, "GC7FA4");
    EXPECT_EQ(cache.Description, "Points g\xE9od\xE9siques du Qu\xE9"
                                 "bec by Sverdrup2  Locationless (Reverse) Cache (1/1)");
    EXPECT_DOUBLE_EQ(cache.Latitude, 46.1333333333333);
    EXPECT_DOUBLE_EQ(cache.Longitude, -73);
    EXPECT_DOUBLE_EQ(cache.DateTime, *EncodeDate(2002, 8, 15) + 7.0 / 24);
    EXPECT_EQ(cache.Symbol, 117);  // Geocache

    ReadGpxWaypointFile(path("expertgps.gpx"));  // ISO-8859-1
    EXPECT_EQ(WaypointList[1].Name, "5066");
    EXPECT_NEAR(WaypointList[1].Altitude, 44.586548 * kFeetPerMetre, 1e-3);
    EXPECT_NEAR(WaypointList[1].DateTime, *EncodeDate(2001, 11, 28) + 75928.0 / 86400, 1e-9);
    EXPECT_EQ(WaypointList[1].Symbol, 18);  // Crossing
    EXPECT_EQ(WaypointList[86].Name, "5150TANK");
    EXPECT_EQ(RouteList[1].Name, "BELLEVUE");
    EXPECT_EQ(RouteList[1].Description, "Bike Loop Bellevue");

    ReadGpxWaypointFile(path("gpxpassthrough10.gpx"));
    EXPECT_EQ(WaypointList[3].Name,
              "Arrive at: Furnace Creek Airport-L06  Death Valley National Park  Death Valley  CA 92328");
    EXPECT_NEAR(WaypointList[2].Altitude, -55.6 * kFeetPerMetre, 1e-3);
    EXPECT_DOUBLE_EQ(WaypointList[2].DateTime, kUndatedWaypoint);
    EXPECT_EQ(RouteList[1].Points[3].Name, "RPT011");

    ReadGpxTrackFile(path("garminconnect.gpx"));
    EXPECT_EQ(TrackProps.Name, "Boulder Cycling");
    EXPECT_DOUBLE_EQ(TrackPointList[0].Latitude, 40.18894976936280727386474609375);
    EXPECT_FLOAT_EQ(TrackPointList[0].Altitude, 1531.4f);
    EXPECT_NEAR(TrackPointList[67].DateTime, *EncodeDate(2023, 1, 16) + (18 * 3600 + 7 * 60 + 24) / 86400.0, 1e-9);
    ReadGpxTrackFile(path("gpxpassthrough10.gpx"));
    EXPECT_EQ(TrackProps.Name, "meridian");
    EXPECT_NEAR(TrackPointList[0].DateTime, *EncodeDate(2002, 5, 25) + 61581.25 / 86400, 1e-9);
}
