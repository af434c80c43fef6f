// SPDX-License-Identifier: GPL-3.0-or-later
#include "repair/point_times.h"

std::int64_t ChangeList(PointList& list, const std::function<bool(Point&)>& change)
{
    std::int64_t changed = 0;
    PointList result = list.EmptyLike();
    Point point;
    for (auto cursor = list.Points(); cursor.Next(point);) {
        if (change(point)) ++changed;
        result.push_back(point);
    }
    if (changed > 0) list = std::move(result);
    return changed;
}

std::int64_t ChangePoints(Document& document, const std::function<bool(Point&)>& change)
{
    std::int64_t changed = ChangeList(document.waypoints, change);
    for (Route& route : document.routes) changed += ChangeList(route.points, change);
    for (Track& track : document.tracks) changed += ChangeList(track.points, change);
    return changed;
}

void LookAtPoints(const Document& document, const std::function<void(const Point&)>& look)
{
    document.waypoints.ForEach(look);
    for (const Route& route : document.routes) route.points.ForEach(look);
    for (const Track& track : document.tracks) track.points.ForEach(look);
}

std::optional<UtcTime> Moved(UtcTime time, std::int64_t seconds)
{
    if (seconds > 0 ? time.seconds > kLastCalendarSecond - seconds : time.seconds < kFirstCalendarSecond - seconds)
        return std::nullopt;
    return UtcTime{time.seconds + seconds, time.nanoseconds};
}
