#include <gtest/gtest.h>

#include "core/store.h"

TEST(PointStore, ClearWaypointsGivesEveryEntryItsResetValues)
{
    WaypointList[10000].Name = "stale";
    WaypointCount = 5;
    ClearWaypoints();
    const WayPoints& w = WaypointList[10000];
    EXPECT_EQ(WaypointCount, 0);
    EXPECT_EQ(w.Number, -1);
    EXPECT_EQ(w.Name, "");
    EXPECT_FLOAT_EQ(w.Altitude, -777.0f);
    EXPECT_DOUBLE_EQ(w.DateTime, 33605.0);
    EXPECT_EQ(w.Column8, 3);
    EXPECT_EQ(w.Column10, 65535);
    EXPECT_EQ(w.Column16, 8);
    EXPECT_EQ(w.Column18, 17);
    EXPECT_FLOAT_EQ(w.Column20, 10.0f);
    EXPECT_EQ(w.Column21, 2);
    EXPECT_EQ(w.Symbol, 0);
    EXPECT_EQ(w.Column9, 0);
    EXPECT_DOUBLE_EQ(w.Latitude, 0.0);
}

TEST(PointStore, ClearRoutesNamesAndColoursEverySlot)
{
    ClearRoutes();
    EXPECT_EQ(RouteList[0].Name, "R0");
    EXPECT_EQ(RouteList[7].Name, "R7");
    EXPECT_EQ(RouteColours[7], 255u);
    EXPECT_EQ(RouteList[100].Name, "R100");
    EXPECT_EQ(RouteColours[100], 65280u);
    EXPECT_EQ(RouteColours[1], 16711680u);
    EXPECT_EQ(RouteColours[6], 8388736u);
    EXPECT_EQ(RouteCount, 0);
    EXPECT_EQ(RouteList[55].Points[1000].Column10, 65535);
}

TEST(PointStore, ClearTracksMarksEverySlotEmptyAndKeepsOtherFields)
{
    TrackPointList[100000].NewSection = 1;
    TrackProps.PointCount = 9;
    ClearTracks();
    EXPECT_EQ(TrackProps.PointCount, 0);
    EXPECT_DOUBLE_EQ(TrackPointList[100000].Latitude, -777.0);
    EXPECT_DOUBLE_EQ(TrackPointList[100000].Longitude, -777.0);
    EXPECT_EQ(TrackPointList[100000].NewSection, 1);
}

TEST(PointStore, IndexOutsideATableThrowsInsteadOfWriting)
{
    EXPECT_THROW(WaypointList[0], std::out_of_range);
    EXPECT_THROW(WaypointList[10001], std::out_of_range);
    EXPECT_THROW(TrackPointList[100001], std::out_of_range);
    EXPECT_THROW(TrackPointList[-1], std::out_of_range);
    EXPECT_THROW(RouteList[101], std::out_of_range);
    EXPECT_THROW(RouteList[1].Points[0], std::out_of_range);
}
