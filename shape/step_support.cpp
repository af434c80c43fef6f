// SPDX-License-Identifier: GPL-3.0-or-later
#include "shape/step_support.h"

#include <algorithm>

std::int64_t TrackPoints(const Document& document) { return document.TrackPointCount(); }

std::int64_t RoutePoints(const Document& document)
{
    std::int64_t count = 0;
    for (const Route& route : document.routes) count += static_cast<std::int64_t>(route.points.size());
    return count;
}

std::int64_t RemoveEmpty(Document& document)
{
    const auto removed = std::erase_if(document.tracks, [](const Track& t) { return t.points.empty(); }) +
                         std::erase_if(document.routes, [](const Route& r) { return r.points.empty(); });
    return static_cast<std::int64_t>(removed);
}

double SecondsBetween(const UtcTime& a, const UtcTime& b)
{
    return static_cast<double>(b.seconds - a.seconds) + (b.nanoseconds - a.nanoseconds) * 1e-9;
}
