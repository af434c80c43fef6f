// The way points enter the store: unusable positions are left out and
// counted, unreal altitudes become none, full tables refuse; and the record of
// a conversion turns what was noted into the pane's line and the limit messages.
#include <gtest/gtest.h>

#include <limits>

#include "core/conversion_record.h"
#include "core/store_entry.h"

namespace {
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct Entry {
    double latitude, longitude;
    float altitude;
    bool stored;
    float storedAltitude;
};

// Altitudes in metres; a waypoint's are the same values in feet.
const Entry kEntries[] = {
    {51.5, -0.1, 100, true, 100},
    {kNan, 2, 100, false, 0},
    {1, kInf, 100, false, 0},
    {-kInf, kNan, 100, false, 0},
    {1, 2, std::numeric_limits<float>::infinity(), true, -777},
    {1, 2, std::numeric_limits<float>::quiet_NaN(), true, -777},
    {1, 2, 3.0e38f, true, -777},
    {1, 2, -1.0e7f, true, -777},
    {1, 2, -777, true, -777},
    {1, 2, -10900, true, -10900},  // the deepest sea
    {1e300, -1e300, 0, true, 0},   // odd, but a number: kept as it is
};
}  // namespace

TEST(StoreEntry, UnusablePositionsAreLeftOutAndUnrealAltitudesBecomeNone)
{
    StartConversionRecord();
    ClearTracks();
    ClearWaypoints();
    int stored = 0;
    for (const Entry& e : kEntries) {
        SCOPED_TRACE(testing::Message() << e.latitude << "," << e.longitude << "," << e.altitude);
        ASSERT_TRUE(AddTrackPoint({e.latitude, e.longitude, 0, e.altitude, 45000}));
        WayPoints w = ResetWaypoint();
        w.Latitude = e.latitude;
        w.Longitude = e.longitude;
        w.Altitude = e.altitude == -777 ? -777 : static_cast<float>(e.altitude * kFeetPerMetre);
        ASSERT_TRUE(AddWaypoint(w));
        ASSERT_EQ(TrackProps.PointCount, stored + (e.stored ? 1 : 0));
        ASSERT_EQ(WaypointCount, TrackProps.PointCount);
        if (!e.stored) continue;
        ++stored;
        EXPECT_EQ(TrackPointList[stored - 1].Altitude, e.storedAltitude);
        const float feet = e.storedAltitude == -777 ? -777 : static_cast<float>(e.storedAltitude * kFeetPerMetre);
        EXPECT_FLOAT_EQ(WaypointList[stored].Altitude, feet);
    }
    // Each left-out point counts once, whether it was a waypoint or a track point.
    NoteWritten({.trackPoints = stored});
    EXPECT_EQ(WrittenLine(false), "Written: 8 track points; 6 points without a usable position were left out");
}

TEST(StoreEntry, ALeftOutPointHandsItsSectionStartToTheNextPointStored)
{
    ClearTracks();
    ASSERT_TRUE(AddTrackPoint({1, 1, 1, 0, 0}));
    ASSERT_TRUE(AddTrackPoint({kNan, 1, 1, 0, 0}));  // starts the second section
    ASSERT_TRUE(AddTrackPoint({kNan, 1, 0, 0, 0}));
    ASSERT_TRUE(AddTrackPoint({2, 2, 0, 0, 0}));
    ASSERT_TRUE(AddTrackPoint({3, 3, 0, 0, 0}));
    ASSERT_EQ(TrackProps.PointCount, 3);
    EXPECT_EQ(TrackPointList[0].NewSection, 1);
    EXPECT_EQ(TrackPointList[1].NewSection, 1);
    EXPECT_EQ(TrackPointList[2].NewSection, 0);
}

TEST(StoreEntry, AFullTableRefusesThePointAndKeepsWhatItHolds)
{
    ClearWaypoints();
    for (int i = 0; i < kMaxWaypoints; ++i) ASSERT_TRUE(AddWaypoint(ResetWaypoint()));
    EXPECT_FALSE(AddWaypoint(ResetWaypoint()));
    EXPECT_EQ(WaypointCount, kMaxWaypoints);

    ClearTracks();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(AddTrackPoint({1, 1, 0, 0, 0}, 3));
    EXPECT_FALSE(AddTrackPoint({1, 1, 0, 0, 0}, 3));
    TrackProps.PointCount = kMaxTrackSlot + 1;  // a capacity beyond the table is still bounded by it
    EXPECT_FALSE(AddTrackPoint({1, 1, 0, 0, 0}, kMaxTrackSlot + 5));
}

TEST(ConversionRecord, TheLineOfWhatWasWritten)
{
    struct Case {
        WrittenCounts written;
        bool waypoints;
        std::string line;
    };
    const Case cases[] = {
        {{.waypoints = 250, .routes = 3}, true, "Written: 250 waypoints, 3 routes"},
        {{.waypoints = 1}, true, "Written: 1 waypoint, 0 routes"},
        {{.routes = 1}, true, "Written: 0 waypoints, 1 route"},
        {{}, true, "Written: no waypoints and no routes - none were found in the input"},
        {{.trackPoints = 1, .trackFiles = 1}, false, "Written: 1 track point"},
        {{.trackPoints = 5321, .trackFiles = 9}, false, "Written: 5321 track points in 9 track files"},
        {{.trackFiles = 2}, false, "Written: no track points - none were found in the input"},
    };
    for (const Case& c : cases) {
        StartConversionRecord();
        NoteWritten(c.written);
        EXPECT_EQ(WrittenLine(c.waypoints), c.line);
    }
    StartConversionRecord();
    NoteUnusablePoint();
    EXPECT_EQ(WrittenLine(false), "Written: no track points; 1 point without a usable position was left out");
    NoteWritten({.waypoints = 7});
    ForgetWritten();
    EXPECT_EQ(WrittenLine(true), "Written: no waypoints and no routes; 1 point without a usable position was left out");
}

TEST(ConversionRecord, EachKindOfCutIsAnnouncedOnceInTheOrderMet)
{
    StartConversionRecord();
    NoteCut(Cut::RoutePointsOfEachRoute, 1000);
    NoteCut(Cut::Routes, 100);
    NoteCut(Cut::RoutePointsOfEachRoute, 1000);
    const std::vector<std::string> expected = {
        "Only the first 1000 Route Points are read from each route - this is a limitation of kesTranscribe. The rest of "
        "a longer route is left out.",
        "Only the first 100 Routes are read - this is a limitation of kesTranscribe. The later routes of the input file "
        "are left out."};
    EXPECT_EQ(CutMessages(), expected);
    StartConversionRecord();
    EXPECT_TRUE(CutMessages().empty());
}
