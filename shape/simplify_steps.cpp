// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>

#include "core/text/number_format.h"
#include "shape/douglas_peucker.h"
#include "shape/shape_steps.h"
#include "shape/step_support.h"

namespace {
std::int64_t Size(const PointList& points) { return static_cast<std::int64_t>(points.size()); }

// What a simplification to a number of points did over the lists it took.
struct Fitted {
    std::int64_t before = 0, after = 0, lists = 0, unfit = 0;
    double tolerance = 0;  // the largest a list needed
    void Fit(PointList& points, std::int64_t capacity)
    {
        before += Size(points);
        if (capacity > 0 && Size(points) > capacity) {
            if (const std::optional<double> needed = ToleranceToFit(points, capacity)) {
                points = Simplified(points, *needed);
                tolerance = std::max(tolerance, *needed);
                ++lists;
            } else {
                ++unfit;
            }
        }
        after += Size(points);
    }
    std::string Line() const
    {
        std::string line = CountChange(before, after, "points");
        if (lists > 0) line += ", " + GroupedInt(lists) + " simplified within " + LengthText(tolerance);
        if (unfit > 0) line += ", " + GroupedInt(unfit) + " with more sections than fit";
        return line;
    }
};
}  // namespace

StepPointer SimplifyWithin(double metres)
{
    const std::string name = "simplify " + LengthText(metres);
    return std::make_shared<FunctionStep>(name, [name, metres](Document& document) {
        std::int64_t before = 0, after = 0;
        const auto simplify = [&](PointList& points) {
            before += Size(points);
            points = Simplified(points, metres);
            after += Size(points);
        };
        for (Track& track : document.tracks) simplify(track.points);
        for (Route& route : document.routes) {
            PointList points = route.points;
            simplify(points);
            route.ReplacePoints(std::move(points));
        }
        return StepReport{name + ": " + CountChange(before, after, "points"), {}};
    });
}

StepPointer SimplifyTo(std::int64_t points)
{
    const std::string name = "simplify to " + GroupedInt(points) + " points";
    return std::make_shared<FunctionStep>(name, [name, points](Document& document) {
        Fitted fitted;
        for (Track& track : document.tracks) fitted.Fit(track.points, points);
        for (Route& route : document.routes) {
            PointList kept = route.points;
            fitted.Fit(kept, points);
            route.ReplacePoints(std::move(kept));
        }
        return StepReport{name + ": " + fitted.Line(), {}};
    });
}

StepPointer FitInto(OutputCapacity capacity)
{
    std::string name = "fit";
    if (capacity.trackPoints > 0) name += " " + GroupedInt(capacity.trackPoints) + " points a track";
    if (capacity.routePoints > 0)
        name += (capacity.trackPoints > 0 ? ", " : " ") + GroupedInt(capacity.routePoints) + " a route";
    return std::make_shared<FunctionStep>(name, [name, capacity](Document& document) {
        Fitted fitted;
        for (Track& track : document.tracks) fitted.Fit(track.points, capacity.trackPoints);
        for (Route& route : document.routes) {
            PointList kept = route.points;
            fitted.Fit(kept, capacity.routePoints);
            route.ReplacePoints(std::move(kept));
        }
        if (capacity.trackPoints == 0 && capacity.routePoints == 0)
            return StepReport{name + ": the output holds any number of points", {}};
        return StepReport{name + ": " + fitted.Line(), {}};
    });
}
