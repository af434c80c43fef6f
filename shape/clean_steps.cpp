// SPDX-License-Identifier: GPL-3.0-or-later
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "core/text/number_format.h"
#include "shape/geodesy.h"
#include "shape/shape_steps.h"
#include "shape/step_support.h"

namespace {
// A step that keeps the track points a test made for each track accepts.
StepPointer DropTrackPoints(std::string name, std::function<std::function<bool(const Point&)>()> makeKeep)
{
    return std::make_shared<FunctionStep>(name, [name, makeKeep](Document& document) {
        const std::int64_t before = TrackPoints(document);
        for (Track& track : document.tracks) track.points = Kept(track.points, makeKeep(), false);
        RemoveEmpty(document);
        return StepReport{name + ": " + CountChange(before, TrackPoints(document), "track points"), {}};
    });
}

bool SameButSection(Point a, const Point& b)
{
    a.newSection = b.newSection;
    return a == b;
}
}  // namespace

StepPointer DedupeWaypoints(double metres)
{
    const std::string name = "dedupe " + LengthText(metres);
    return std::make_shared<FunctionStep>(name, [name, metres](Document& document) {
        // The kept waypoints by name and band of latitude at least `metres`
        // wide, so that a waypoint is compared with those of its band and the
        // two beside it, not with every other.
        const double band = std::max(metres, 1.0) / 110574.0;  // degrees; a degree of latitude is at least that long
        std::map<std::pair<std::string, std::int64_t>, std::vector<std::pair<double, double>>> kept;
        const auto bandOf = [&](double latitude) { return static_cast<std::int64_t>(std::floor(latitude / band)); };
        const auto fresh = [&](const Point& p) {
            if (!ValidPosition(p)) return true;
            const std::int64_t at = bandOf(p.latitude);
            for (std::int64_t b = at - 1; b <= at + 1; ++b) {
                const auto found = kept.find({p.name, b});
                if (found == kept.end()) continue;
                for (const auto& [latitude, longitude] : found->second)
                    if (GeodesicMetres(latitude, longitude, p.latitude, p.longitude) <= metres) return false;
            }
            kept[{p.name, at}].push_back({p.latitude, p.longitude});
            return true;
        };
        const std::int64_t before = static_cast<std::int64_t>(document.waypoints.size());
        document.waypoints = Kept(document.waypoints, fresh, false);
        return StepReport{
            name + ": " + CountChange(before, static_cast<std::int64_t>(document.waypoints.size()), "waypoints"), {}};
    });
}

StepPointer DropRepeats()
{
    return DropTrackPoints("drop repeats", [] {
        return [previous = std::optional<Point>()](const Point& p) mutable {
            const bool repeat = previous && SameButSection(*previous, p);
            previous = p;
            return !repeat;
        };
    });
}

StepPointer DropUnfixed()
{
    return DropTrackPoints("drop unfixed", [] {
        return [](const Point& p) { return p.fix != 1; };  // 1: "none" in kFixNames
    });
}

StepPointer DropFasterThan(double metresPerSecond)
{
    return DropTrackPoints("max speed " + SpeedText(metresPerSecond), [metresPerSecond] {
        return [metresPerSecond, last = std::optional<Point>()](const Point& p) mutable {
            if (!ValidPosition(p) || !p.time || p.undated) return true;
            if (last) {
                const double metres = GeodesicMetres(last->latitude, last->longitude, p.latitude, p.longitude);
                const double seconds = std::abs(SecondsBetween(*last->time, *p.time));
                if (metres > metresPerSecond * seconds) return false;
            }
            last = p;
            return true;
        };
    });
}
