// SPDX-License-Identifier: GPL-3.0-or-later
// One feature of a GeoJSON file as it is read, and how finished features go
// into the document. A feature's positions, and the times and names of its
// points, wait in point lists (which go on in a temporary file), since its
// properties may come before or after its geometry: one feature of any size
// is held in flat memory, and only one at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/convert/format_rows.h"
#include "core/document/point_entry.h"
#include "core/text/read_number.h"

// The kinds this product's writer names in a feature's "type" property.
enum class FeatureKind { Unnamed, Waypoint, Route, Track };

struct FeatureProperties {
    std::string name{}, description{}, comment{}, symbol{};
    std::optional<UtcTime> time{};
    double elevation = kNoValue;
    FeatureKind kind = FeatureKind::Unnamed;
};

// How a geometry ended.
enum class GeometryEnd { Taken, Area, Unreadable };

class FeatureGathering {
public:
    FeatureProperties properties{};

    void Clear();
    // A position of the geometry being read; newSection where it starts a line.
    void AddPosition(const Point& position) { pending_.push_back(position); }
    // The geometry being read ends: its positions are taken when its type
    // names points or lines nested as deep as they were (`level`: the
    // arrays around a position, its own included), and dropped otherwise.
    GeometryEnd EndGeometry(std::string_view type, int level, bool nestingBroken);
    // A geometry without coordinates or geometries, or of no known type.
    void DropGeometry()
    {
        pending_.clear();
        dropped_ = true;
    }

    // The times and names of the points, in the order of their positions.
    void AddTime(std::optional<UtcTime> time);
    void AddName(std::string name);

    const PointList& Positions() const { return positions_; }
    const PointList& Times() const { return times_; }
    const PointList& Names() const { return names_; }
    bool HasLines() const { return lines_; }
    bool HasPoints() const { return points_; }
    // A geometry of it was left out (and counted).
    bool Dropped() const { return dropped_; }

private:
    PointList pending_, positions_, times_, names_;
    bool lines_ = false, points_ = false, dropped_ = false;
};

// Takes finished features into the result, as the mode asks, and counts
// what it leaves out.
class FeatureTaking {
public:
    FeatureTaking(const ReadOptions& options, ReadResult& result);
    // A feature (or a bare geometry) has ended; `feature`: it is a Feature
    // object, so that one without a geometry is counted.
    void Take(const FeatureGathering& feature, bool isFeature);
    void CountArea() { ++areas_; }
    void CountUnreadableGeometry() { ++unreadable_; }
    UnreadableValues& Elevations() { return elevations_; }
    UnreadableValues& Times() { return times_; }
    // The counts as findings, once the file is read.
    void Finish();
    // Anything was taken into the document or passed over for the mode.
    bool TookAny() const;

private:
    struct PointTexts;
    void TakeWaypoints(const FeatureGathering& feature, const PointTexts& texts);
    void TakeLine(const FeatureGathering& feature, const PointTexts& texts, bool route);
    // The positions with the times and names that go with them.
    template <typename Visit>
    void WalkPoints(const FeatureGathering& feature, const PointTexts& texts, Visit visit);

    ReadResult& result_;
    const bool takesWaypoints_, takesTracks_;
    PointEntry waypoints_;
    UnreadableValues elevations_{"elevations"}, times_{"times"};
    std::int64_t areas_ = 0, unreadable_ = 0, withoutGeometry_ = 0, unmatched_ = 0;
};
