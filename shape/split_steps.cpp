// SPDX-License-Identifier: GPL-3.0-or-later
#include <cmath>
#include <optional>
#include <vector>

#include "core/text/number_format.h"
#include "shape/geodesy.h"
#include "shape/shape_steps.h"
#include "shape/step_support.h"

namespace {

std::string PieceName(const std::string& name, std::size_t number, std::size_t count)
{
    std::string digits = std::to_string(number);
    digits.insert(0, std::to_string(count).size() - digits.size(), '0');
    return (name.empty() ? "Track" : name) + "-" + digits;
}

std::vector<Track> Pieces(Track&& track, Breaker breaks)
{
    std::vector<Track> pieces(1);
    Point p;
    for (PointList::Cursor cursor(track.points); cursor.Next(p);) {
        if (breaks(p) && !pieces.back().points.empty()) {
            pieces.emplace_back();
            p.newSection = true;
        }
        pieces.back().points.push_back(p);
    }
    if (pieces.size() == 1) return {std::move(track)};
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        pieces[i].info = track.info;
        pieces[i].info.name = PieceName(track.info.name, i + 1, pieces.size());
        pieces[i].info.number = -1;
    }
    return pieces;
}
}  // namespace

StepPointer SplitWhere(std::string name, std::function<Breaker()> makeBreaker)
{
    return std::make_shared<FunctionStep>(name, [name, makeBreaker](Document& document) {
        const std::size_t before = document.tracks.size();
        std::vector<Track> tracks;
        for (Track& track : document.tracks)
            for (Track& piece : Pieces(std::move(track), makeBreaker())) tracks.push_back(std::move(piece));
        document.tracks = std::move(tracks);
        return StepReport{name + ": " +
                              CountChange(static_cast<std::int64_t>(before),
                                          static_cast<std::int64_t>(document.tracks.size()), "tracks"),
                          {}};
    });
}

StepPointer SplitAtGaps(double seconds)
{
    return SplitWhere("split at gaps over " + DurationText(seconds), [seconds] {
        return [seconds, last = std::optional<UtcTime>()](const Point& p) mutable {
            if (!p.time) return false;
            const bool gap = last && std::abs(SecondsBetween(*last, *p.time)) > seconds;
            last = p.time;
            return gap;
        };
    });
}

StepPointer SplitAtDistances(double metres)
{
    return SplitWhere("split at jumps over " + LengthText(metres), [metres] {
        return [metres, has = false, latitude = 0.0, longitude = 0.0](const Point& p) mutable {
            if (!ValidPosition(p)) return false;
            const bool jump = has && GeodesicMetres(latitude, longitude, p.latitude, p.longitude) > metres;
            has = true;
            latitude = p.latitude;
            longitude = p.longitude;
            return jump;
        };
    });
}

StepPointer SplitIntoPieces(std::int64_t points)
{
    return SplitWhere("split into pieces of " + GroupedInt(points) + " points", [points] {
        return [points, count = std::int64_t{0}](const Point&) mutable {
            if (count == points) count = 0;
            return ++count == 1;
        };
    });
}
