// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/text/text_fields.h"
#include "formats/import/Magellan.h"
#include "formats/import/Mapsend.h"
#include "tests/support/document_points.h"
#include "tests/support/random_text.h"
#include "tests/support/test_files.h"

namespace {
// The reader as an output of one kind asks it to read.
template <ReadMode mode>
ReadResult ReadOneKind(const InputSource& source, const ReadOptions&)
{
    return ReadMagellanFile(source, {.mode = mode});
}
const Reader ReadMagellanWaypointFile = ReadOneKind<ReadMode::Waypoints>,
             ReadMagellanTrackFile = ReadOneKind<ReadMode::Tracks>;
ReadResult ReadWaypoints(const std::string& content) { return ReadMemory(ReadMagellanWaypointFile, content); }
ReadResult ReadTrack(const std::string& content) { return ReadMemory(ReadMagellanTrackFile, content); }

std::vector<std::string> HeldPoints(const std::vector<Point>& points)
{
    std::vector<std::string> held;
    for (const Point& p : points) held.push_back(Held(p));
    return held;
}
}  // namespace

// The file's texts in full and its elevation as written; it holds no time.
TEST(MagellanCard, WaypointFieldsChecksumAndHemispheres)
{
    const ReadResult read =
        ReadWaypoints("$PMGNWPL,4807.038,N,01131.000,W,100,M,HOME,front door,a*1F\r\n"
                      "$PMGNWPL,4807.038,S,01131.000,E,100,F,CAMP,,z\r\n"
                      "$PMGNWPL,4807.038,s,01131.000\r\n"  // lower-case s stays north; none is west
                      "$PMGNWPL,4807.038,N,01131.000,W,00001,M,Caf\xE9 am Ring,front  door,ab*1F\r\n"
                      "$PMGNWPL,4807.038,N,01131.000,W,0,M,,,\r\n"
                      "$PMGNWPL,0000.000,N,00000.000,E,5,M,ORIGIN\r\n"  // null island: dropped
                      "$PMGNTRK,4807.038,N,01131.000,W,100,M,120000,A,,010120\r\n");
    const std::vector<Point> points = read.document.waypoints.ToVector();
    ASSERT_EQ(points.size(), 5u);
    EXPECT_EQ(HeldPoints(points),
              (std::vector<std::string>{"HOME|front door||crossed square|100.000|",  // the icon is 'a', not 'a*1F'
                                        "CAMP|||obstruction|30.480|", "|||||",
                                        "Caf\xC3\xA9 am Ring|front  door||resort|1.000|", "||||0.000|"}));
    // The native files' feet by their own rule: rounded, whole feet of metres, 0 none; no name is made up.
    const NativeForm native[] = {{.feet = 328}, {.feet = 100}, {.feet = -777}, {.feet = 3}, {.feet = -777}};
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(points[i].native, native[i]) << i;
    EXPECT_NEAR(points[0].latitude, 48.1173, 1e-12);
    EXPECT_NEAR(points[0].longitude, -(11 + 31.0 / 60), 1e-12);
    EXPECT_NEAR(points[1].latitude, -48.1173, 1e-12);
    EXPECT_NEAR(points[1].longitude, 11 + 31.0 / 60, 1e-12);
    EXPECT_NEAR(points[2].latitude, 48.1173, 1e-12);
    EXPECT_NEAR(points[2].longitude, -(11 + 31.0 / 60), 1e-12);
    EXPECT_TRUE(read.document.tracks.empty());
}

// As a common peer writes them: no leading zeros. Minutes keep six characters.
TEST(MagellanCard, PositionsWithoutLeadingZerosAreReadByValue)
{
    const struct {
        const char *latitude, *longitude;
        double expectedLatitude, expectedLongitude;
    } cases[] = {
        {"921.186", "131.000", -(9 + 21.186 / 60), 1 + 31.0 / 60},
        {"0921.18678", "00131.00099", -(9 + 21.186 / 60), 1 + 31.0 / 60},
        {"5.5", "10", -5.5 / 60, 10.0 / 60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.latitude);
        const std::string position = std::string(c.latitude) + ",S," + c.longitude + ",E,";
        const std::vector<Point> waypoints =
            ReadWaypoints("$PMGNWPL," + position + ",,P\r\n").document.waypoints.ToVector();
        const std::vector<Point> track = TrackPoints(ReadTrack("$PMGNTRK," + position + ",,120000,A,,010120\r\n"));
        for (const std::vector<Point>& points : {waypoints, track}) {
            ASSERT_EQ(points.size(), 1u);
            EXPECT_DOUBLE_EQ(points[0].latitude, c.expectedLatitude);
            EXPECT_DOUBLE_EQ(points[0].longitude, c.expectedLongitude);
        }
    }
}

// The icon's number in the native symbol table, where the file gives an
// icon, and the name of what the receivers' icon shows.
TEST(MagellanCard, IconCodesAndNames)
{
    const struct {
        const char* icon;
        int code;
        const char* name;
    } cases[] = {{"a", 0, "crossed square"},
                 {"z", 25, "obstruction"},
                 {"B", 1, "box"},
                 {"ab", 27, "resort"},
                 {"ap", 41, "zoo"},
                 {"aq", 42, ""},
                 {"ba", 26, ""},
                 {"xyz", 50, ""},
                 {"", -1, ""},
                 {" ", -1, ""}};
    std::string file;
    for (const auto& c : cases) file += std::string("$PMGNWPL,1,N,1,E,,M,W,,") + c.icon + "\n";
    const std::vector<Point> points = ReadWaypoints(file).document.waypoints.ToVector();
    ASSERT_EQ(points.size(), std::size(cases));
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(points[i].symbolCode, cases[i].code) << cases[i].icon;
        EXPECT_EQ(points[i].symbol, cases[i].name) << cases[i].icon;
    }
}

TEST(MagellanCard, EveryLineIsRead)
{
    std::string waypoints, track;
    for (int i = 0; i < 10005; ++i) waypoints += "$PMGNWPL,4807.038,N,01131.000,E,0,M,P" + std::to_string(i) + "\n";
    for (int i = 0; i < 100005; ++i) track += "$PMGNTRK,4807.038,N,01131.000,E,,M,120000,A,,010120\n";
    EXPECT_EQ(ReadWaypoints(waypoints).document.waypoints.size(), 10005u);
    EXPECT_EQ(ReadTrack(track).document.TrackPointCount(), 100005);
}

TEST(MagellanCard, TrackElevationsTimesAndOneSection)
{
    const ReadResult read = ReadTrack("$PMGNTRK,4807.038,N,01131.000,W,100,M,123456.78,A,,010120*6A\r\n"
                                      "$PMGNWPL,4807.038,N,01131.000,W,100,M,HOME\r\n"
                                      "$PMGNTRK,4807.038,N,01131.000,E,100,F,123456,A,,010120\r\n"
                                      "$PMGNTRK,4807.038,N,01131.000,E,0,M,123457,A,,010199\r\n"
                                      "$PMGNTRK,4807.038,N,01131.000,E,,M,,A,,010120\r\n"  // no time: no point
                                      "$PMGNTRK,4807.038,N,01131.000,E,209.6,M,123458,A,,010189\r\n"
                                      "$PMGNTRK,4807.038,N,01131.000,E,,M,010000,A,,010190\r\n"
                                      "$PMGNTRK,4807.038,N,01131.000,E,,M,010000,A,,321389\r\n");  // no such date
    ASSERT_EQ(read.document.tracks.size(), 1u);
    EXPECT_EQ(read.document.tracks[0].info.name, "");
    const std::vector<Point> points = TrackPoints(read);
    EXPECT_EQ(HeldPoints(points),
              (std::vector<std::string>{"||||100.000|2020-01-01T12:34:56.78Z", "||||30.480|2020-01-01T12:34:56Z",
                                        "||||0.000|1999-01-01T12:34:57Z", "||||209.600|2089-01-01T12:34:58Z",
                                        "|||||1990-01-01T01:00:00Z", "|||||"}));
    for (std::size_t i = 0; i < points.size(); ++i) EXPECT_EQ(points[i].newSection, i == 0) << i;
    EXPECT_EQ(read.findings.All(),
              (std::vector<Finding>{{FindingKind::Skipped, "times of 1 point unreadable: left out", 1}}));
}

// Lines without a date are times of day for the user's date, from the day
// it gives, on to the next day whenever the time goes back.
TEST(MagellanCard, UndatedLinesCountTheirDaysOnAtMidnight)
{
    const ReadResult read = ReadTrack("$PMGNTRK,4807.038,N,01131.000,E,,M,235950,A,,\n"
                                      "$PMGNTRK,4807.038,N,01131.000,E,,M,000010,A,,\n"
                                      "$PMGNTRK,4807.038,N,01131.000,E,,M,000020,A,,\n"
                                      "$PMGNTRK,4807.038,N,01131.000,E,,M,000020,A,,010120\n"
                                      "$PMGNTRK,4807.038,N,01131.000,E,,M,000019,A,,\n"
                                      "$PMGNTRK,4807.038,N,01131.000,E,,M,000018,A,,\n"
                                      "$PMGNTRK,4807.038,N,01131.000,E,,M,126100,A,,\n");  // minute 61: no time
    std::vector<std::string> times;
    for (const Point& p : TrackPoints(read)) times.push_back(Held(p));
    EXPECT_EQ(times, (std::vector<std::string>{"|||||1970-01-01T23:59:50Z?", "|||||1970-01-02T00:00:10Z?",
                                               "|||||1970-01-02T00:00:20Z?", "|||||2020-01-01T00:00:20Z",
                                               "|||||1970-01-02T00:00:19Z?", "|||||1970-01-03T00:00:18Z?", "|||||"}));
    EXPECT_EQ(read.findings.All(),
              (std::vector<Finding>{{FindingKind::Skipped, "times of 1 point unreadable: left out", 1},
                                    {FindingKind::Undated, "the file gives no date", 5}}));
}

TEST(MagellanCard, ATimeOrDateThatIsNotANumberLeavesThePointWithoutATime)
{
    for (const char* line : {"$PMGNTRK,1,N,1,E,,M,12xx00,A,,010120\n", "$PMGNTRK,1,N,1,E,,M,120000,A,,01x120\n"}) {
        const ReadResult read = ReadTrack(std::string("$PMGNTRK,1,N,1,E,,M,120000,A,,010120\n") + line);
        const std::vector<Point> points = TrackPoints(read);
        ASSERT_EQ(points.size(), 2u) << line;
        EXPECT_EQ(Held(points[1]), "|||||") << line;
        EXPECT_EQ(read.findings.All(),
                  (std::vector<Finding>{{FindingKind::Skipped, "times of 1 point unreadable: left out", 1}}));
    }
}

TEST(MagellanCard, DatedTrackFixture)
{
    const ReadResult read = ReadMagellanTrackFile(InputSource::File(FixturePath("magellan/magellandate.log")), {});
    const std::vector<Point> points = TrackPoints(read);
    ASSERT_EQ(points.size(), 6u);
    EXPECT_NEAR(points[0].latitude, 42 + 31.829 / 60, 1e-12);
    EXPECT_NEAR(points[0].longitude, -(88 + 7.303 / 60), 1e-12);
    EXPECT_EQ(Held(points[0]), "||||210.000|1998-08-07T03:29:08.38Z");
    EXPECT_EQ(Held(points[5]), "||||210.000|2003-01-01T00:00:00Z");
    EXPECT_TRUE(read.findings.Empty());
}

TEST(MagellanCard, RandomAndTruncatedInputsNeverCrash)
{
    const std::vector<std::string> pieces = {
        "$PMGNWPL", "$PMGNTRK", ",", ",,", "*", "*1F", "\r\n",  "\n",     "\r", "\x1A", "123456.78",
        "4807.038", "S",        "W", "M",  "F", "-",   "1e999", "010199", "  ", "ab",   "9999999999"};
    std::string valid;
    for (int i = 0; i < 1500; ++i)
        valid += "$PMGNTRK,4807.038,N,01131.000,W,100,M,123456.78,A,,010120*6A\r\n"
                 "$PMGNWPL,4807.038,N,01131.000,W,100,M,HOME,front door,ab*1F\r\n";
    for (const std::string& input : RandomTextInputs(valid, pieces, 11)) {
        const Document d = ReadMemory(ReadMagellanFile, input).document;
        // The shortest lines that give a point: "$PMGNWPL,1,,1" and "$PMGNTRK,1,,1,,,,0", and a line end.
        ASSERT_LE(d.waypoints.size() * 14 + static_cast<std::size_t>(d.TrackPointCount()) * 19, input.size() + 1);
    }
}

// The routes of the Magellan and MapSend route fixtures: each route's name,
// number, point count and its first and last points. The peer converter
// reads magellan.rte alike; it reads no point of magexplorist.rte, whose
// route names waypoints of its own $PMGNWPL lines.
TEST(Routes, MagellanAndMapsendRouteFixtures)
{
    const struct {
        const char* file;
        ReadResult (*read)(const InputSource&, const ReadOptions&);
        std::vector<std::string> routes;  // name, number, count, first and last point
    } rows[] = {
        {"magellan/magellan.rte",
         ReadMagellanWaypointFile,
         {"/1/11/49B 30.700000 -92.400000/40A 22.300000 -84.400000",
          "/2/3/ATLAUN 30.280517 -91.685883/ATWRNR 30.314717 -91.646117"}},
        {"magellan/magexplorist.rte",
         ReadMagellanWaypointFile,
         {"Route 1/1/4/WPT006 34.148017 -117.833367/WPT009 34.094767 -117.863933"}},
        {"mapsend/route.wpt",
         ReadMapsendWaypointFile,
         {"LILI PATH/0/11/49B 30.700000 -92.400000/40A 22.300000 -84.400000",
          "ATCHAFALAYA/1/3/ATLAUN 30.280517 -91.685883/ATWRNR 30.314717 -91.646117"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const ReadResult read = row.read(InputSource::File(FixturePath(row.file)), {});
        std::vector<std::string> routes;
        for (const Route& route : read.document.routes) {
            const std::vector<Point> points = route.points.ToVector();
            std::string text =
                route.info.name + "/" + std::to_string(route.info.number) + "/" + std::to_string(points.size());
            for (const Point* p : {&points.front(), &points.back()}) {
                char position[64];
                std::snprintf(position, sizeof position, " %.6f %.6f", p->latitude, p->longitude);
                text += "/" + p->name + position;
            }
            routes.push_back(text);
        }
        EXPECT_EQ(routes, row.routes);
        EXPECT_TRUE(read.findings.Empty());
    }
}
