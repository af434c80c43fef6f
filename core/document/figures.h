// SPDX-License-Identifier: GPL-3.0-or-later
// The figures of what a file holds, per track, route and set of waypoints:
// points, sections, start and end time, duration, length on the WGS84
// ellipsoid, lowest and highest elevation, total ascent and descent, and the
// bounding box. Points are added one at a time, in order, so that a track of
// any length takes no memory.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>

#include "core/time/utc_time.h"

struct Figures {
    std::int64_t points = 0;
    std::int64_t sections = 0;
    std::optional<UtcTime> start, end;  // the earliest and the latest time, whatever the points' order
    double metres = 0;                  // along the points, a section's break not bridged
    double lowest = std::numeric_limits<double>::quiet_NaN();
    double highest = std::numeric_limits<double>::quiet_NaN();
    double ascent = 0, descent = 0;  // metres climbed and descended between points with elevations
    // The box: south, north, and west to east going eastwards; west may be
    // greater than east when the box crosses the date line. NaN: no points.
    double south = std::numeric_limits<double>::quiet_NaN(), north = south, west = south, east = south;

    // Seconds from start to end, never negative; nothing without two times.
    std::optional<double> Seconds() const;
};

// A place in earth-centred coordinates, in metres.
struct EarthCentred {
    double x = 0, y = 0, z = 0;
};

// The place of a latitude and longitude on the WGS84 ellipsoid.
EarthCentred PlaceOf(double latitude, double longitude);

class FiguresCounter {
public:
    // A point with a usable position; metres NaN and time nothing when it has none.
    void Add(double latitude, double longitude, double metres, const std::optional<UtcTime>& time, bool newSection);
    // The same with its place (PlaceOf) worked out before.
    void Add(double latitude, double longitude, double metres, const std::optional<UtcTime>& time, bool newSection,
             const EarthCentred& place);
    Figures Result() const;
    // The metres from the point added before to the last, 0 at a section's start.
    double LastStep() const { return lastStep_; }

private:
    Figures figures_;
    bool hasPrevious_ = false;
    double previousLatitude_ = 0, previousLongitude_ = 0;
    EarthCentred previousPlace_;  // each point's is worked out once
    double lastStep_ = 0;
    double previousMetres_ = std::numeric_limits<double>::quiet_NaN();
    // Longitude spans both ways round, so that a box across the date line is the small one.
    double west180_ = 1e9, east180_ = -1e9, west360_ = 1e9, east360_ = -1e9;
};

// The geodesic distance between two points on the WGS84 ellipsoid, in metres.
double GeodesicMetres(double latitude1, double longitude1, double latitude2, double longitude2);
