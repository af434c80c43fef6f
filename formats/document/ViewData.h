// SPDX-License-Identifier: GPL-3.0-or-later
// What a file holds, kept for a view of it: every track, route and waypoint
// with its positions and elevations, and the figures of each, copied out of
// the store so that the store is free again once the read is over.
#pragma once

#include <limits>
#include <string>
#include <vector>

#include "core/figures.h"
#include "core/frontend.h"

struct ViewPoint {
    double latitude = 0, longitude = 0;
    double metres = std::numeric_limits<double>::quiet_NaN();  // elevation; NaN none
    double along = 0;         // metres from the group's first point, a section's break not bridged
    bool newSection = false;  // the first point of a section (a track's first point is one)
};

struct ViewGroup {
    std::string name;  // UTF-8
    Figures figures;
    std::vector<ViewPoint> points;
};

struct ViewWaypoint {
    std::string name;  // UTF-8
    double latitude = 0, longitude = 0;
};

struct ViewData {
    std::vector<ViewGroup> tracks, routes;
    std::vector<ViewWaypoint> waypoints;
    Figures waypointFigures;
    bool refused = false;               // the reader refused the file
    bool readInPart = false;            // the file ends inside a record, or was cut at a capacity
    std::vector<std::string> messages;  // what the reader said: boxes and cuts

    bool Empty() const { return tracks.empty() && routes.empty() && waypoints.empty(); }
};

// Reads the file as the input format at inputPosition and keeps what it
// holds; the front end takes the reader's progress lines and messages. The
// caller holds the store (StoreMutex). File errors propagate.
ViewData ReadViewData(FrontEnd& frontEnd, const std::string& file, int inputPosition);
