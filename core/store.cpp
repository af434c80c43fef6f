#include "core/store.h"

#include "core/clock.h"

IndexedTable<WayPoints, 1, kMaxWaypoints> WaypointList;
std::int32_t WaypointCount = 0;
TrackPropRecord TrackProps;
IndexedTable<TrackPoint, 0, kMaxTrackSlot> TrackPointList;
IndexedTable<RouteRecord, 0, kMaxRouteIndex> RouteList;
std::int32_t RouteCount = 0;
IndexedTable<std::uint32_t, 0, kMaxRouteIndex> RouteColours;

namespace {
constexpr std::uint32_t kRouteColourCycle[7] = {255, 16711680, 65280, 32768, 16711935, 0, 8388736};
}

WayPoints ResetWaypoint()
{
    WayPoints w;
    w.Number = -1;
    w.Altitude = kNoAltitude;
    w.DateTime = kUndatedWaypoint;
    w.Column8 = 3;
    w.Column10 = 65535;
    w.Column16 = 8;
    w.Column18 = 17;
    w.Column20 = 10.0f;
    w.Column21 = 2;
    return w;
}

void ClearWaypoints()
{
    WaypointCount = 0;
    const WayPoints reset = ResetWaypoint();
    for (int i = 1; i <= kMaxWaypoints; ++i)
        WaypointList[i] = reset;
}

void ClearTracks()
{
    TrackProps.Name.clear();
    TrackProps.Description.clear();
    TrackProps.PointCount = 0;
    for (int i = 0; i <= kMaxTrackSlot; ++i) {
        TrackPointList[i].Latitude = kNoPosition;
        TrackPointList[i].Longitude = kNoPosition;
    }
}

// Resets the points of every route, not only route 0, so that no stale point
// of an earlier conversion can leak into a later route file.
void ClearRoutes()
{
    RouteCount = 0;
    RouteWpRecord reset;
    reset.DateTime = NowLocal();
    reset.Column8 = 3;
    reset.Column10 = 65535;
    for (int r = 0; r <= kMaxRouteIndex; ++r) {
        RouteColours[r] = kRouteColourCycle[r % 7];
        RouteRecord& route = RouteList[r];
        route.Name = "R" + std::to_string(r);
        route.Description.clear();
        route.PointCount = 0;
        for (int j = 1; j <= kMaxRoutePoints; ++j) {
            const float altitude = route.Points[j].Altitude;  // keeps its value across resets
            route.Points[j] = reset;
            route.Points[j].Altitude = altitude;
        }
    }
}
