// SPDX-License-Identifier: GPL-3.0-or-later
// What a document holds, kept for a view of it: every track, route and
// waypoint with its positions and elevations, and the figures of each.
#pragma once

#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/document/document.h"
#include "core/document/figures.h"

struct ViewPoint {
    double latitude = 0, longitude = 0;
    double metres = std::numeric_limits<double>::quiet_NaN();  // elevation; NaN none
    double along = 0;             // metres from the group's first point, a section's break not bridged
    bool newSection = false;      // the first point of a section (a track's first point is one)
    std::optional<UtcTime> time;  // none also for a time of day without its date
};

struct ViewGroup {
    std::string name;  // UTF-8
    Figures figures;
    std::vector<ViewPoint> points;
    // The points' names, one for each point; empty when no point has one.
    std::vector<std::string> names;
    std::string_view NameOf(std::size_t point) const
    {
        return point < names.size() ? names[point] : std::string_view();
    }
};

struct ViewWaypoint {
    std::string name;  // UTF-8
    double latitude = 0, longitude = 0;
    double metres = std::numeric_limits<double>::quiet_NaN();  // elevation; NaN none
    std::optional<UtcTime> time;
    std::string symbol, comment;  // UTF-8
};

struct ViewData {
    std::vector<ViewGroup> tracks, routes;
    std::vector<ViewWaypoint> waypoints;
    Figures waypointFigures;
    bool refused = false;               // the reader refused the file
    bool readInPart = false;            // the file is damaged and was read in part
    std::vector<std::string> messages;  // what the reader said
    std::vector<std::string> warnings;  // what the checks of the repairs found (times that look early)
    std::string codePage;               // of an 8-bit format's texts, and why: "windows-1251 (guessed)"

    bool Empty() const { return tracks.empty() && routes.empty() && waypoints.empty(); }
};

// The points of a document with a usable position, for a view; a stop asked
// for meanwhile (ReadCancelled) is heard.
ViewData ViewOfDocument(const Document& document);
