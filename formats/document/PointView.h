// SPDX-License-Identifier: GPL-3.0-or-later
// Points, routes and tracks as the outputs that keep everything (GPX, KML,
// GeoJSON, CSV) see them: what the input held where its reader kept it, and
// otherwise what the native fields say, without the values the native files
// invent (the time of reading, the date of an undated waypoint).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/store.h"

struct PointView {
    double latitude = 0;
    double longitude = 0;
    PointTexts texts;    // UTF-8
    PointValues values;  // NaN and negative counts: none
};

struct GroupView {
    std::string name, comment, description, source, type;
    std::string link, linkText, linkType;
    std::int32_t number = -1;
    // A route's colour in the store (RouteColours: 0x00BBGGRR); none for a track.
    std::optional<std::uint32_t> colour;
};

PointView ViewOfWaypoint(const WayPoints& w, StoreTimes times);
PointView ViewOfRoutePoint(const RouteWpRecord& p, StoreTimes times);
PointView ViewOfTrackPoint(const TrackPoint& p, StoreTimes times);
GroupView ViewOfRoute(const RouteRecord& route);
// Of the track the store holds.
GroupView ViewOfTrack();

// The points of the track the store holds in its slots from `from` to before
// `to`, up to its end, those with a usable position only: each with its slot
// and whether it starts a section (the first point visited does, and so does
// the first usable one after an unusable section start).
using TrackSlotVisit = std::function<void(int slot, const PointView& point, bool newSection)>;
void VisitStoreTrack(StoreTimes times, int from, int to, const TrackSlotVisit& visit);
// The waypoints the store holds, those with a usable position only; `leftOut`
// is set when there are others.
void VisitStoreWaypoints(StoreTimes times, const std::function<void(const PointView& point)>& visit,
                         bool* leftOut = nullptr);
// The routes the store holds, each with its index and its points of a usable
// position (an entry without a number is no point, as in the native route
// file); `leftOut` is set when points of no usable position are left out.
using RouteVisit = std::function<void(int index, const RouteRecord& route, const std::vector<PointView>& points)>;
void VisitStoreRoutes(StoreTimes times, const RouteVisit& visit, bool* leftOut = nullptr);
// Metres beyond which a value is no elevation, but a damaged one.
inline constexpr double kFarthestElevation = 1e7;
