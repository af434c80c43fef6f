// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/document/view_data.h"

namespace {
std::optional<UtcTime> TimeOf(const Point& p) { return p.undated ? std::nullopt : p.time; }

// Adds a point to a group being built: its figures, and its distance along.
class GroupBuilder {
public:
    void Add(const Point& p, bool newSection)
    {
        newSection = newSection || group_.points.empty();
        counter_.Add(p.latitude, p.longitude, p.elevation, p.undated ? std::nullopt : p.time, newSection);
        along_ += counter_.LastStep();
        group_.points.push_back({p.latitude, p.longitude, p.elevation, along_, newSection, TimeOf(p)});
        // Names are kept once the first comes: most tracks have none.
        if (!p.name.empty() && group_.names.empty()) group_.names.resize(group_.points.size() - 1);
        if (!group_.names.empty()) group_.names.push_back(p.name);
    }
    ViewGroup Take(std::string name)
    {
        group_.name = std::move(name);
        group_.figures = counter_.Result();
        return std::move(group_);
    }

private:
    ViewGroup group_;
    FiguresCounter counter_;
    double along_ = 0;
};

ViewGroup GroupOf(const GroupInfo& info, const PointList& points, bool sections)
{
    GroupBuilder builder;
    bool first = true;
    points.ForEach([&](const Point& p) {
        if (!ValidPosition(p)) return;
        builder.Add(p, first || (sections && p.newSection));
        first = false;
    });
    return builder.Take(info.name);
}
}  // namespace

ViewData ViewOfDocument(const Document& document)
{
    ViewData data;
    FiguresCounter waypoints;
    document.waypoints.ForEach([&](const Point& p) {
        if (!ValidPosition(p)) return;
        waypoints.Add(p.latitude, p.longitude, p.elevation, p.undated ? std::nullopt : p.time, true);
        data.waypoints.push_back({p.name, p.latitude, p.longitude, p.elevation, TimeOf(p), p.symbol, p.comment});
    });
    data.waypointFigures = waypoints.Result();
    for (const Route& route : document.routes) data.routes.push_back(GroupOf(route.info, route.points, false));
    for (const Track& track : document.tracks) data.tracks.push_back(GroupOf(track.info, track.points, true));
    return data;
}
