// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/document/document.h"

#include <iterator>

std::int64_t Document::TrackPointCount() const
{
    std::int64_t count = 0;
    for (const Track& track : tracks) count += static_cast<std::int64_t>(track.points.size());
    return count;
}

void Route::ReplacePoints(PointList kept)
{
    if (kept.size() != points.size()) {
        links.clear();
        linksAfter.clear();
    }
    points = std::move(kept);
}

bool Metadata::HasDetails() const
{
    Metadata details = *this;
    details.bounds = false;
    return !details.Empty();
}

bool Document::Append(Document&& other)
{
    const bool dropped = metadata.HasDetails() && other.metadata.HasDetails() && !SameDetails(metadata, other.metadata);
    const bool bounds = metadata.bounds || other.metadata.bounds;
    if (!metadata.HasDetails()) metadata = std::move(other.metadata);
    metadata.bounds = bounds;
    if (waypoints.empty()) waypoints = std::move(other.waypoints);
    else waypoints.Append(other.waypoints);
    routes.insert(routes.end(), std::make_move_iterator(other.routes.begin()),
                  std::make_move_iterator(other.routes.end()));
    tracks.insert(tracks.end(), std::make_move_iterator(other.tracks.begin()),
                  std::make_move_iterator(other.tracks.end()));
    return dropped;
}

bool SameDetails(const Metadata& a, const Metadata& b)
{
    Metadata left = a, right = b;
    left.bounds = right.bounds = false;
    return left == right;
}
