// SPDX-License-Identifier: GPL-3.0-or-later
// The way points enter the store: unusable positions are left out and
// counted, unreal altitudes become none.
#include <gtest/gtest.h>

#include <limits>

#include "core/clock.h"
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
    EXPECT_EQ(WrittenLine(WrittenKind::Tracks),
              "Written: 8 track points; 6 points without a usable position were left out");
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

TEST(ConversionRecord, TheLineOfWhatWasWrittenInItsRarerForms)
{
    struct Case {
        WrittenCounts written;
        bool waypoints;
        std::string line;
    };
    const Case cases[] = {
        {{.routes = 1}, true, "Written: 0 waypoints, 1 route"},
        {{.trackPoints = 1, .trackFiles = 1}, false, "Written: 1 track point"},
        {{.trackFiles = 2}, false, "Written: no track points - none were found in the input"},
    };
    for (const Case& c : cases) {
        StartConversionRecord();
        NoteWritten(c.written);
        EXPECT_EQ(WrittenLine(c.waypoints ? WrittenKind::Waypoints : WrittenKind::Tracks), c.line);
    }
    NoteUnusablePoint();
    EXPECT_EQ(WrittenLine(WrittenKind::Waypoints),
              "Written: no waypoints and no routes; 1 point without a usable position was left out");
}

TEST(ConversionRecord, RemembersTheTimesOfReadingItStampedUntilTheNextConversion)
{
    StartConversionRecord();
    PinClock(46000.5, 46000.25);
    EXPECT_FALSE(IsTimeOfReading(46000.25));
    EXPECT_EQ(StampTimeOfReading(), 46000.25);
    PinClock(46000.5, 46000.2501);
    StampTimeOfReading();
    UnpinClock();
    EXPECT_TRUE(IsTimeOfReading(46000.25));
    EXPECT_TRUE(IsTimeOfReading(46000.25005));
    EXPECT_FALSE(IsTimeOfReading(46000.2502));
    EXPECT_FALSE(IsTimeOfReading(46000.5));  // the local clock is not what was stamped
    EXPECT_EQ(RecordedLosses().timesOfConversion, 2);
    StartConversionRecord();
    EXPECT_FALSE(IsTimeOfReading(46000.25));
}
