// SPDX-License-Identifier: GPL-3.0-or-later
// What the shaping steps share: a step made of its name and a function,
// lists rebuilt from the points a test keeps, and the counts their lines give.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "core/document/document.h"
#include "core/document/document_step.h"

class FunctionStep : public DocumentStep {
public:
    using Body = std::function<StepReport(Document&)>;
    FunctionStep(std::string name, Body body) : name_(std::move(name)), body_(std::move(body)) {}
    std::string Name() const override { return name_; }
    StepReport Apply(Document& document) const override { return body_(document); }

private:
    std::string name_;
    Body body_;
};

// The points `keep` accepts, in order, read through a cursor. A section that
// loses its first point begins at its next point kept; with `sectionAfterGap`
// a point kept after points left out begins a section too. The first point
// kept always does.
template <typename Keep>
PointList Kept(const PointList& points, Keep&& keep, bool sectionAfterGap)
{
    PointList kept = points.EmptyLike();
    bool section = true;
    Point p;
    for (PointList::Cursor cursor(points); cursor.Next(p);) {
        if (!keep(p)) {
            section = section || p.newSection || sectionAfterGap;
            continue;
        }
        if (section) p.newSection = true;
        section = false;
        kept.push_back(p);
    }
    return kept;
}

// Tells, point by point along one track, whether a new track begins at the point.
using Breaker = std::function<bool(const Point&)>;
// A step that splits each track where a breaker made for it says (see
// shape_steps.h for the names of the pieces).
std::shared_ptr<const DocumentStep> SplitWhere(std::string name, std::function<Breaker()> makeBreaker);

std::int64_t TrackPoints(const Document& document);
std::int64_t RoutePoints(const Document& document);
// Removes the tracks and routes a step left without points; how many it removed.
std::int64_t RemoveEmpty(Document& document);
// Seconds from a to b.
double SecondsBetween(const UtcTime& a, const UtcTime& b);
