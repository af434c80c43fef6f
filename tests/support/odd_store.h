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
    bool newSection = false;
    std::string name = {}, description = {}, symbol = {};
};

inline PointDetail Detail(const Point& p)
{
    PointDetail d;
    d.known = true;
    d.texts = PointTexts{.name = p.name, .description = p.description, .symbol = p.symbol};
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

template <typename Record>
void Place(Record& r, const Point& p)
{
    r.Latitude = p.lat;
    r.Longitude = p.lon;
    r.Detail = Detail(p);
}

// Four waypoints (the last out of range) and a route of three points (one without a position).
inline void FillWaypointsAndRoutes()
{
    constexpr double none = NAN;
    ClearWaypoints();
    ClearRoutes();
    const Point waypoints[] = {
        {27.988056, 86.925278, 8848.86, At(0), false, "Say \"hi\", <&> Чомолунгма 珠", "two\r\nlines", "Summit"},
        {-16.5, 180, none, {}, false, "East of 180", {}, "Flag, Blue"},
        {-0.0, -180, -0.0, At(1, 500000000)},
        {95, 0, none, {}, false, "north of the pole"}};
    WaypointCount = 4;
    for (int i = 1; i <= 4; ++i) Place(WaypointList[i], waypoints[i - 1]);
    PointTexts first = WaypointList[1].Detail.texts;
    first.comment = "c";
    WaypointList[1].Detail.texts = first;
    const Point points[] = {
        {1, 2, 10.25, At(2), false, "R1"}, {1.5, 2.5, none, {}, false, "<R2>"}, {none, 2, none, {}}};
    RouteCount = 1;
    RouteList[1].Detail = Group("Route, \"one\"");
    RouteList[1].PointCount = 3;
    for (int j = 1; j <= 3; ++j) {
        RouteList[1].Points[j].Number = j;
        Place(RouteList[1].Points[j], points[j - 1]);
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
        points = {{51.5, -0.1, 30.48, At(0), true},
                  {51.6, -0.1, none, At(1)},
                  {95, -0.1, 5, At(2), true},
                  {51.7, -0.1, 12, At(3, 250000000)},
                  {51.8, -0.1, 13, At(4)}};
    } else if (n == 2) {
        points = {{10, 179.5, none, {}, true}, {10.5, -179.5, 5, {}}, {11, 180, none, {}}};
    } else {
        TrackProps.Detail = Group("Mixed");
        points = {{1, 1, none, At(5), true}, {1, 1.5, none, At(6)}, {2, 2, none, {}, true, "Lone, point"}};
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
