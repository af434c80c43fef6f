// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/geojson/GeoJsonFeature.h"

#include <algorithm>
#include <array>

namespace {
struct Shape {
    std::string_view type;
    int level;  // the arrays around a position, its own included
    bool lines, area;
};
constexpr std::array<Shape, 6> kShapes{{{"Point", 1, false, false},
                                        {"MultiPoint", 2, false, false},
                                        {"LineString", 2, true, false},
                                        {"MultiLineString", 3, true, false},
                                        {"Polygon", 3, false, true},
                                        {"MultiPolygon", 4, false, true}}};

std::string Counted(std::int64_t count, const char* one, const char* several)
{
    return std::to_string(count) + " " + (count == 1 ? one : several);
}
}  // namespace

void FeatureGathering::Clear()
{
    properties = {};
    pending_.clear();
    positions_.clear();
    times_.clear();
    names_.clear();
    lines_ = points_ = dropped_ = false;
}

GeometryEnd FeatureGathering::EndGeometry(std::string_view type, int level, bool nestingBroken)
{
    const auto* shape = std::find_if(kShapes.begin(), kShapes.end(), [&](const Shape& s) { return s.type == type; });
    const bool readable = shape != kShapes.end() && !nestingBroken && !pending_.empty() && level == shape->level;
    if (shape != kShapes.end() && shape->area) {
        DropGeometry();
        return GeometryEnd::Area;
    }
    if (!readable) {
        DropGeometry();
        return GeometryEnd::Unreadable;
    }
    positions_.Append(pending_);
    pending_.clear();
    (shape->lines ? lines_ : points_) = true;
    return GeometryEnd::Taken;
}

void FeatureGathering::AddTime(std::optional<UtcTime> time)
{
    Point p;
    p.time = time;
    times_.push_back(p);
}

void FeatureGathering::AddName(std::string name)
{
    Point p;
    p.name = std::move(name);
    names_.push_back(p);
}

// What a feature's properties give each of its points, and whether its
// lists of times and names go with its positions.
struct FeatureTaking::PointTexts {
    const FeatureProperties& properties;
    bool times, names;
};

FeatureTaking::FeatureTaking(const ReadOptions& options, ReadResult& result)
    : result_(result), takesWaypoints_(options.mode != ReadMode::Tracks),
      takesTracks_(options.mode != ReadMode::Waypoints), waypoints_(result.document.waypoints, result.findings)
{}

void FeatureTaking::Take(const FeatureGathering& feature, bool isFeature)
{
    const PointList& positions = feature.Positions();
    if (positions.empty()) {
        withoutGeometry_ += isFeature && !feature.Dropped() ? 1 : 0;
        return;
    }
    const auto matches = [&](const PointList& values) {
        if (values.empty()) return false;
        if (values.size() == positions.size()) return true;
        ++unmatched_;
        return false;
    };
    const PointTexts texts{feature.properties, matches(feature.Times()), matches(feature.Names())};
    FeatureKind kind = feature.properties.kind;
    if (kind == FeatureKind::Unnamed) kind = feature.HasLines() ? FeatureKind::Track : FeatureKind::Waypoint;
    if (kind == FeatureKind::Waypoint) TakeWaypoints(feature, texts);
    else TakeLine(feature, texts, kind == FeatureKind::Route);
}

template <typename Visit>
void FeatureTaking::WalkPoints(const FeatureGathering& feature, const PointTexts& texts, Visit visit)
{
    PointList::Cursor positions = feature.Positions().Points();
    std::optional<PointList::Cursor> times, names;
    if (texts.times) times.emplace(feature.Times());
    if (texts.names) names.emplace(feature.Names());
    Point point, value;
    while (positions.Next(point)) {
        if (times && times->Next(value)) point.time = value.time;
        if (names && names->Next(value)) point.name = value.name;
        visit(point);
    }
}

void FeatureTaking::TakeWaypoints(const FeatureGathering& feature, const PointTexts& texts)
{
    const FeatureProperties& p = texts.properties;
    WalkPoints(feature, texts, [&](Point& w) {
        if (!takesWaypoints_) {
            result_.waypointsLeftOut += ValidPosition(w) ? 1 : 0;
            return;
        }
        w.newSection = false;
        if (w.name.empty()) w.name = p.name;
        w.description = p.description;
        w.comment = p.comment;
        w.symbol = p.symbol;
        if (!w.time) w.time = p.time;
        if (!w.HasElevation()) w.elevation = p.elevation;
        waypoints_.Add(w);
    });
}

void FeatureTaking::TakeLine(const FeatureGathering& feature, const PointTexts& texts, bool route)
{
    if (route ? !takesWaypoints_ : !takesTracks_) {
        ++(route ? result_.routesLeftOut : result_.tracksLeftOut);
        return;
    }
    GroupInfo info;
    info.name = texts.properties.name;
    info.description = texts.properties.description;
    info.comment = texts.properties.comment;
    PointList points = result_.document.NewList();
    PointEntry entry(points, result_.findings);
    WalkPoints(feature, texts, [&](Point& p) {
        if (route) p.newSection = false;
        entry.Add(p);
    });
    if (points.empty()) return;
    if (route) result_.document.routes.push_back(Route{.info = std::move(info), .points = std::move(points)});
    else result_.document.tracks.push_back(Track{.info = std::move(info), .points = std::move(points)});
}

void FeatureTaking::Finish()
{
    elevations_.AddTo(result_.findings);
    times_.AddTo(result_.findings);
    Findings& f = result_.findings;
    if (areas_ > 0)
        f.Add(FindingKind::Skipped,
              Counted(areas_, "area (polygon)", "areas (polygons)") + " left out: a document holds no areas", areas_);
    if (unreadable_ > 0)
        f.Add(FindingKind::Skipped,
              Counted(unreadable_, "geometry", "geometries") +
                  " left out: of no known type, without coordinates, or nested otherwise than their type",
              unreadable_);
    if (withoutGeometry_ > 0)
        f.Add(FindingKind::Skipped, Counted(withoutGeometry_, "feature", "features") + " without a position left out",
              withoutGeometry_);
    if (unmatched_ > 0)
        f.Add(FindingKind::Skipped,
              "times or names of " + Counted(unmatched_, "feature", "features") +
                  " left out: their lists do not match the points",
              unmatched_);
}

bool FeatureTaking::TookAny() const
{
    return !result_.document.Empty() || result_.waypointsLeftOut > 0 || result_.routesLeftOut > 0 ||
           result_.tracksLeftOut > 0;
}
