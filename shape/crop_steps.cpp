// SPDX-License-Identifier: GPL-3.0-or-later
// A track cropped keeps the pieces inside, each piece a section of its own,
// so that no line is drawn across what was left out.
#include "core/text/number_format.h"
#include "shape/shape_steps.h"
#include "shape/step_support.h"

namespace {
std::string WindowText(const TimeWindow& window)
{
    return (window.from ? IsoTime(*window.from) : "") + ".." + (window.to ? IsoTime(*window.to) : "");
}

std::string Degrees(double value)
{
    std::string text = FormatReal(value, 0, 6);
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}
}  // namespace

StepPointer CropToTime(TimeWindow window)
{
    const std::string name = "crop to " + WindowText(window);
    return std::make_shared<FunctionStep>(name, [name, window](Document& document) {
        const std::int64_t before = TrackPoints(document);
        const auto inside = [&](const Point& p) {
            return p.time && !p.undated && (!window.from || !(*p.time < *window.from)) &&
                   (!window.to || !(*window.to < *p.time));
        };
        for (Track& track : document.tracks) track.points = Kept(track.points, inside, true);
        RemoveEmpty(document);
        return StepReport{name + ": " + CountChange(before, TrackPoints(document), "track points"), {}};
    });
}

StepPointer CropToBox(Box box)
{
    const std::string name =
        "crop to " + Degrees(box.south) + "," + Degrees(box.west) + "," + Degrees(box.north) + "," + Degrees(box.east);
    return std::make_shared<FunctionStep>(name, [name, box](Document& document) {
        const std::int64_t before = TrackPoints(document), routesBefore = RoutePoints(document),
                           waypointsBefore = static_cast<std::int64_t>(document.waypoints.size());
        const auto inside = [&](const Point& p) { return ValidPosition(p) && box.Holds(p.latitude, p.longitude); };
        for (Track& track : document.tracks) track.points = Kept(track.points, inside, true);
        for (Route& route : document.routes) route.ReplacePoints(Kept(route.points, inside, false));
        document.waypoints = Kept(document.waypoints, inside, false);
        RemoveEmpty(document);
        std::string line = name + ": " + CountChange(before, TrackPoints(document), "track points");
        if (routesBefore > 0) line += ", " + CountChange(routesBefore, RoutePoints(document), "route points");
        if (waypointsBefore > 0)
            line +=
                ", " + CountChange(waypointsBefore, static_cast<std::int64_t>(document.waypoints.size()), "waypoints");
        return StepReport{line, {}};
    });
}
