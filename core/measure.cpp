// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/measure.h"

#include <future>
#include <vector>

namespace {
void AddPoint(FiguresCounter& counter, const Point& p, bool newSection)
{
    counter.Add(p.latitude, p.longitude, p.elevation, p.undated ? std::nullopt : p.time, newSection);
}

// A long list's second half has its places on the ellipsoid worked out on
// another thread while this one counts the first: the trigonometry is most
// of the cost, and the figures come out the same to the bit. Up to a bound,
// so that the places held stay a few megabytes.
constexpr std::size_t kPlacesApartFrom = 50000;
constexpr std::size_t kPlacesApartUpTo = 500000;

Figures MeasureList(const PointList& points, bool sections)
{
    const std::size_t count = points.size();
    const std::size_t half = count >= kPlacesApartFrom && count <= kPlacesApartUpTo ? count / 2 : count;
    std::future<std::vector<EarthCentred>> later;
    if (half < count)
        later = std::async(std::launch::async, [&points, half, count] {
            std::vector<EarthCentred> places;
            places.reserve(count - half);
            PointList::Cursor cursor = points.Points();
            cursor.Skip(half);
            Point p;
            while (cursor.Next(p)) places.push_back(PlaceOf(p.latitude, p.longitude));
            return places;
        });
    std::vector<EarthCentred> places;
    FiguresCounter counter;
    bool first = true;
    std::size_t index = 0;
    points.ForEach([&](const Point& p) {
        const std::size_t at = index++;
        if (at == half) places = later.get();
        if (!ValidPosition(p)) return;
        const bool newSection = first || !sections || p.newSection;
        first = false;
        const auto time = p.undated ? std::nullopt : p.time;
        if (at < half) counter.Add(p.latitude, p.longitude, p.elevation, time, newSection);
        else counter.Add(p.latitude, p.longitude, p.elevation, time, newSection, places.at(at - half));
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
