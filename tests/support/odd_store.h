// SPDX-License-Identifier: GPL-3.0-or-later
// A store holding what the outputs that keep everything must get right: odd
// names, points without a time or an elevation, sections, the date line and
// positions out of range, as a reader that keeps every detail leaves them.
#pragma once

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/store.h"
#include "core/utc_time.h"

namespace odd_store {
inline constexpr int kTracks = 3;

inline UtcTime At(int second, int nanoseconds = 0) { return *UtcTimeOf(2020, 6, 8, 18, 39, second, nanoseconds); }

struct Point {
    double lat, lon, metres;
    std::optional<UtcTime> time;
    std::string name = {};
    bool newSection = false;
};

inline PointDetail Detail(const Point& p, std::string description = {}, std::string symbol = {})
{
    PointDetail d;
    d.known = true;
    d.texts.name = p.name;
    d.texts.description = std::move(description);
    d.texts.symbol = std::move(symbol);
    d.values.metres = p.metres;
    d.values.time = p.time;
    return d;
}

inline GroupDetail Group(std::string name, std::string description = {})
{
    GroupDetail d;
    d.known = true;
    d.name = std::move(name);
    d.description = std::move(description);
    return d;
}

inline void SetWaypoint(int i, const Point& p, std::string description = {}, std::string symbol = {})
{
    WayPoints& w = WaypointList[i];
    w.Latitude = p.lat;
    w.Longitude = p.lon;
    w.Detail = Detail(p, std::move(description), std::move(symbol));
}

// Four waypoints (the last out of range) and a route of three points (one without a position).
inline void FillWaypointsAndRoutes()
{
    constexpr double none = NAN;
    ClearWaypoints();
    ClearRoutes();
    WaypointCount = 4;
    SetWaypoint(1, {27.988056, 86.925278, 8848.86, At(0), "Say \"hi\", <&> Чомолунгма 珠"}, "two\r\nlines", "Summit");
    WaypointList[1].Detail.texts.comment = "c";
    SetWaypoint(2, {-16.5, 180, none, {}, "East of 180"}, {}, "Flag, Blue");
    SetWaypoint(3, {-0.0, -180, -0.0, At(1, 500000000)});
    SetWaypoint(4, {95, 0, none, {}, "north of the pole"});
    RouteCount = 1;
    RouteRecord& route = RouteList[1];
    route.Detail = Group("Route, \"one\"");
    route.PointCount = 3;
    const Point points[] = {{1, 2, 10.25, At(2), "R1"}, {1.5, 2.5, none, {}, "<R2>"}, {none, 2, none, {}, "lost"}};
    for (int j = 1; j <= 3; ++j) {
        RouteWpRecord& p = route.Points[j];
        p.Number = j;
        p.Latitude = points[j - 1].lat;
        p.Longitude = points[j - 1].lon;
        p.Detail = Detail(points[j - 1]);
    }
}

// Track 1: two timed sections (the second started by a point out of range);
// 2: no name, no times, across the date line; 3: a timed section and an
// untimed one of a single point.
inline void FillTrack(int n)
{
    constexpr double none = NAN;
    ClearTracks();
    std::vector<Point> points;
    if (n == 1) {
        TrackProps.Detail = Group("Track <1> & \"more\"", "by bike");
        points = {{51.5, -0.1, 30.48, At(0), {}, true},
                  {51.6, -0.1, none, At(1)},
                  {95, -0.1, 5, At(2), {}, true},
                  {51.7, -0.1, 12, At(3, 250000000)},
                  {51.8, -0.1, 13, At(4)}};
    } else if (n == 2) {
        points = {{10, 179.5, none, {}, {}, true}, {10.5, -179.5, 5, {}}, {11, 180, none, {}}};
    } else {
        TrackProps.Detail = Group("Mixed");
        points = {{1, 1, none, At(5), {}, true}, {1, 1.5, none, At(6)}, {2, 2, none, {}, "Lone, point", true}};
    }
    TrackProps.PointCount = static_cast<int>(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        TrackPoint& p = TrackPointList[static_cast<int>(i)];
        p.Latitude = points[i].lat;
        p.Longitude = points[i].lon;
        p.NewSection = points[i].newSection ? 1 : 0;
        p.Known = true;
        p.Values = Detail(points[i]).values;
        if (!points[i].name.empty()) SetTrackPointTexts(p, Detail(points[i]).texts);
    }
}
}  // namespace odd_store
