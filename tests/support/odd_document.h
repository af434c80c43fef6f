// SPDX-License-Identifier: GPL-3.0-or-later
// A document holding what the outputs that keep everything must get right:
// odd names, points without a time or an elevation, sections, the date line
// and positions out of range.
#pragma once

#include <cmath>
#include <initializer_list>
#include <optional>
#include <string>

#include "core/document/document.h"
#include "core/time/utc_time.h"

namespace odd_document {
// Of the waypoints, of the route and of the first track: one each.
inline constexpr int kPointsOutOfRange = 3;

inline UtcTime At(int second, int nanoseconds = 0) { return *UtcTimeOf(2020, 6, 8, 18, 39, second, nanoseconds); }

struct Odd {
    double lat, lon, metres;
    std::optional<UtcTime> time;
    bool newSection = false;
    std::string name = {}, description = {}, symbol = {}, comment = {};
};

inline PointList Points(std::initializer_list<Odd> odd)
{
    PointList list;
    for (const Odd& o : odd) {
        Point p;
        p.latitude = o.lat;
        p.longitude = o.lon;
        p.elevation = o.metres;
        p.time = o.time;
        p.newSection = o.newSection;
        p.name = o.name;
        p.description = o.description;
        p.symbol = o.symbol;
        p.comment = o.comment;
        list.push_back(p);
    }
    return list;
}

// Four waypoints (the last out of range); a route of three points (one
// without a position); track 1: two timed sections (the second started by a
// point out of range); 2: no name, no times, across the date line; 3: a
// timed section and an untimed one of a single point.
inline Document Build()
{
    constexpr double none = NAN;
    Document d;
    d.waypoints = Points(
        {{27.988056, 86.925278, 8848.86, At(0), false, "Say \"hi\", <&> Чомолунгма 珠", "two\r\nlines", "Summit", "c"},
         {-16.5, 180, none, {}, false, "East of 180", {}, "Flag, Blue"},
         {-0.0, -180, -0.0, At(1, 500000000)},
         {95, 0, none, {}, false, "north of the pole"}});
    d.routes.push_back(
        {{.name = "Route, \"one\""},
         Points({{1, 2, 10.25, At(2), false, "R1"}, {1.5, 2.5, none, {}, false, "<R2>"}, {none, 2, none, {}}})});
    d.tracks.push_back({{.name = "Track <1> & \"more\"", .description = "by bike"},
                        Points({{51.5, -0.1, 30.48, At(0), true},
                                {51.6, -0.1, none, At(1)},
                                {95, -0.1, 5, At(2), true},
                                {51.7, -0.1, 12, At(3, 250000000)},
                                {51.8, -0.1, 13, At(4)}})});
    d.tracks.push_back({{}, Points({{10, 179.5, none, {}, true}, {10.5, -179.5, 5, {}}, {11, 180, none, {}}})});
    d.tracks.push_back(
        {{.name = "Mixed"},
         Points({{1, 1, none, At(5), true}, {1, 1.5, none, At(6)}, {2, 2, none, {}, true, "Lone, point"}})});
    return d;
}
}  // namespace odd_document
