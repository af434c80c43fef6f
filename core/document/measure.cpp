// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/document/measure.h"

#include <vector>

namespace {
void AddPoint(FiguresCounter& counter, const Point& p, bool newSection)
{
    counter.Add(p.latitude, p.longitude, p.elevation, p.undated ? std::nullopt : p.time, newSection);
}

Figures MeasureList(const PointList& points, bool sections)
{
    FiguresCounter counter;
    bool first = true;
    points.ForEach([&](const Point& p) {
        if (!ValidPosition(p)) return;
        AddPoint(counter, p, first || !sections || p.newSection);
        first = false;
    });
    return counter.Result();
}
}  // namespace

FileFigures MeasureDocument(const Document& document)
{
    FileFigures result;
    for (const Track& track : document.tracks)
        result.tracks.push_back({track.info.name, MeasureList(track.points, true)});
    for (const Route& route : document.routes) {
        FiguresCounter counter;
        bool first = true;
        route.points.ForEach([&](const Point& p) {
            if (!ValidPosition(p)) return;
            AddPoint(counter, p, first);
            first = false;
        });
        result.routes.push_back({route.info.name, counter.Result()});
    }
    FiguresCounter waypoints;
    document.waypoints.ForEach([&](const Point& p) {
        if (ValidPosition(p)) AddPoint(waypoints, p, true);
    });
    result.waypoints = waypoints.Result();
    return result;
}
