// SPDX-License-Identifier: GPL-3.0-or-later
// The Training Center reader: activities, laps and courses, the values of a
// track point, the real files, and damaged or hostile input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/tcx/Tcx.h"
#include "tests/formats/xml/xml_inputs.h"
#include "tests/support/test_files.h"

namespace {
std::string Tcx(const std::string& body)
{
    return "<?xml version=\"1.0\"?>\n<TrainingCenterDatabase "
           "xmlns=\"http://www.garmin.com/xmlschemas/TrainingCenterDatabase/v2\" "
           "xmlns:ax=\"http://www.garmin.com/xmlschemas/ActivityExtension/v2\">" +
           body + "</TrainingCenterDatabase>\n";
}

std::string Trackpoint(const std::string& lat, const std::string& lon, const std::string& inner = "")
{
    return "<Trackpoint><Time>2020-05-01T10:00:00Z</Time><Position><LatitudeDegrees>" + lat +
           "</LatitudeDegrees><LongitudeDegrees>" + lon + "</LongitudeDegrees></Position>" + inner + "</Trackpoint>";
}

std::string Activity(const std::string& laps)
{
    return "<Activities><Activity Sport=\"Biking\"><Id>2020-05-01T10:00:00Z</Id>" + laps + "</Activity></Activities>";
}

std::string CutInLastPoint(const std::string& file) { return file.substr(0, file.rfind("</Trackpoint>")); }

ReadResult Read(const std::string& content, ReadMode mode = ReadMode::Everything)
{
    return ReadTcxFile(InputSource::Memory("in.tcx", content), {mode});
}
}  // namespace

TEST(TcxReader, AnActivityIsATrackWhoseLapsAndRecordingSpansAreSections)
{
    const std::string lap1 =
        "<Lap StartTime=\"x\"><Cadence>1</Cadence><Track>" +
        Trackpoint("1.5", "2.5",
                   "<AltitudeMeters>10.25</AltitudeMeters><DistanceMeters>5</DistanceMeters>"
                   "<HeartRateBpm><Value>141</Value></HeartRateBpm><Cadence>90</Cadence>"
                   "<Extensions><ax:TPX><ax:Speed>2.5</ax:Speed><ax:Watts>200</ax:Watts></ax:TPX></Extensions>") +
        "<Trackpoint><Time>2020-05-01T10:00:01Z</Time><HeartRateBpm><Value>142</Value></HeartRateBpm></Trackpoint>" +
        "</Track><Track>" +
        Trackpoint("1.6", "2.6", "<Extensions><TPX><RunCadence>80</RunCadence></TPX></Extensions>") + "</Track></Lap>";
    const std::string lap2 = "<Lap><Track>" + Trackpoint("1.7", "2.7") + "</Track></Lap>";
    const ReadResult read = Read(Tcx(Activity(lap1 + lap2)));
    ASSERT_EQ(read.document.tracks.size(), 1u);
    const Track& track = read.document.tracks[0];
    EXPECT_EQ(track.info.name, "2020-05-01T10:00:00Z");
    EXPECT_EQ(track.info.type, "Biking");
    const std::vector<Point> p = track.points.ToVector();
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0].latitude, 1.5);
    EXPECT_EQ(p[0].longitude, 2.5);
    EXPECT_EQ(p[0].elevation, 10.25);
    EXPECT_EQ(p[0].time, ParseIsoTime("2020-05-01T10:00:00Z"));
    EXPECT_EQ(p[0].heartRate, 141);
    EXPECT_EQ(p[0].cadence, 90);
    EXPECT_EQ(p[0].speed, 2.5);
    EXPECT_EQ(p[1].cadence, 80);  // a runner's cadence where no other is given
    EXPECT_EQ(std::vector<bool>({p[0].newSection, p[1].newSection, p[2].newSection}),
              std::vector<bool>({true, true, true}));
    // The point without a position is left out and counted; the power has no place.
    EXPECT_EQ(read.findings.CountOf(FindingKind::Unusable), 1);
    EXPECT_EQ(read.findings.CountOf(FindingKind::Reduced), 1);
}

TEST(TcxReader, ACourseIsATrackAndItsCoursePointsAreWaypoints)
{
    const std::string course =
        "<Courses><Course><Name>Loop</Name><Lap><BeginPosition><LatitudeDegrees>9</LatitudeDegrees>"
        "<LongitudeDegrees>9</LongitudeDegrees></BeginPosition></Lap><Track>" +
        Trackpoint("1", "2") + Trackpoint("1.1", "2.1") +
        "</Track><CoursePoint><Name>Top</Name><Time>2020-05-01T10:05:00Z</Time><Position><LatitudeDegrees>1.05"
        "</LatitudeDegrees><LongitudeDegrees>2.05</LongitudeDegrees></Position><AltitudeMeters>300</AltitudeMeters>"
        "<PointType>Summit</PointType><Notes>view</Notes></CoursePoint></Course></Courses>";
    const ReadResult read = Read(Tcx(course));
    ASSERT_EQ(read.document.tracks.size(), 1u);
    EXPECT_EQ(read.document.tracks[0].info.name, "Loop");
    EXPECT_EQ(read.document.tracks[0].points.size(), 2u);
    const std::vector<Point> w = read.document.waypoints.ToVector();
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].name, "Top");
    EXPECT_EQ(w[0].symbol, "Summit");
    EXPECT_EQ(w[0].comment, "view");
    EXPECT_EQ(w[0].elevation, 300);
    EXPECT_EQ(w[0].latitude, 1.05);
    // A read for waypoints passes the tracks over, and one for tracks the course points.
    EXPECT_TRUE(Read(Tcx(course), ReadMode::Waypoints).document.tracks.empty());
    const ReadResult tracks = Read(Tcx(course + Activity("")), ReadMode::Tracks);
    EXPECT_TRUE(tracks.document.waypoints.empty());
    EXPECT_EQ(tracks.waypointsLeftOut, 1);
    EXPECT_EQ(Read(Tcx(course + Activity("")), ReadMode::Waypoints).tracksLeftOut, 2);
}

TEST(TcxReader, BadInputIsRefusedOrReadUpToTheDamageAndNothingIsInvented)
{
    const std::string good = Trackpoint("1", "2");
    const struct {
        const char* what;
        std::string file;
        bool refused;
        std::size_t kept;    // track points
        FindingKind kind;    // of the finding expected
        std::int64_t count;  // of that kind (a damage counts none)  // of that kind; 0: any
    } cases[] = {
        {"no position",
         Tcx(Activity("<Lap><Track><Trackpoint><Time>2020-05-01T10:00:00Z</Time></Trackpoint>" + good +
                      "</Track></Lap>")),
         false, 1, FindingKind::Unusable, 1},
        {"a string for a latitude", Tcx(Activity("<Lap><Track>" + Trackpoint("north", "2") + good + "</Track></Lap>")),
         false, 1, FindingKind::Unusable, 1},
        {"a latitude out of range", Tcx(Activity("<Lap><Track>" + Trackpoint("91", "2") + "</Track></Lap>")), false, 0,
         FindingKind::Unusable, 1},
        {"strings for values",
         Tcx(Activity("<Lap><Track>" +
                      Trackpoint("1", "2",
                                 "<AltitudeMeters>high</AltitudeMeters><HeartRateBpm><Value>1e3</Value>"
                                 "</HeartRateBpm><Cadence>-3</Cadence>") +
                      "</Track></Lap>")),
         false, 1, FindingKind::Skipped, 3},
        {"truncated", CutInLastPoint(Tcx(Activity("<Lap><Track>" + good + good + "</Track></Lap>"))), false, 1,
         FindingKind::Damaged, 0},
        {"entity bomb",
         EntityBomb("TrainingCenterDatabase", "<Activities><Activity><Id>&k;</Id></Activity></Activities>"), false, 0,
         FindingKind::Damaged, 0},
        {"nested too deep", DeeplyNested("TrainingCenterDatabase"), false, 0, FindingKind::Damaged, 0},
        {"another root", "<?xml version=\"1.0\"?><gpx/>", true, 0, FindingKind::Notice, 0},
        {"no XML", "TrainingCenterDatabase", true, 0, FindingKind::Notice, 0},
        {"empty", "", true, 0, FindingKind::Notice, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.refused) {
            EXPECT_THROW(Read(c.file), InputRefused);
            continue;
        }
        const ReadResult read = Read(c.file);
        const std::size_t kept = read.document.tracks.empty() ? 0 : read.document.tracks[0].points.size();
        EXPECT_EQ(kept, c.kept);
        EXPECT_TRUE(read.findings.Has(c.kind));
        EXPECT_EQ(read.findings.CountOf(c.kind), c.count);
        for (const Track& track : read.document.tracks)
            track.points.ForEach([](const Point& p) {
                EXPECT_TRUE(ValidPosition(p));
                EXPECT_NE(p.elevation, 0);
                EXPECT_NE(p.heartRate, 0);
            });
    }
}

TEST(TcxReader, RealFiles)
{
    const ReadResult kona = ReadTcxFile(InputSource::File(FixturePath("tcx/kona2013.tcx")), {});
    ASSERT_EQ(kona.document.tracks.size(), 1u);
    const std::vector<Point> p = kona.document.tracks[0].points.ToVector();
    ASSERT_EQ(p.size(), 5u);
    EXPECT_EQ(p[0].latitude, 19.640107546001673);
    EXPECT_EQ(p[0].heartRate, 141);
    EXPECT_EQ(p[0].cadence, 31);
    const ReadResult course = ReadTcxFile(InputSource::File(FixturePath("tcx/gtrnctr-readcp.tcx")), {});
    EXPECT_EQ(course.document.waypoints.size(), 16u);
    EXPECT_EQ(course.document.tracks.at(0).points.size(), 18u);
}
