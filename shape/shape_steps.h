// SPDX-License-Identifier: GPL-3.0-or-later
// The shaping steps a user chains between reading and writing, each made
// from its parameters; each says in its report line what it changed. Steps
// read lists through cursors and build new ones, so memory stays flat.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "core/document/document_step.h"
#include "shape/shape_text.h"

using StepPointer = std::shared_ptr<const DocumentStep>;

// A split makes of a track of N pieces the tracks "NAME-1" ... "NAME-N", the
// numbers padded with zeros to the width of N ("NAME-01" ... "NAME-12") so
// that they sort in order; an unnamed track's pieces are "Track-1" ...; a
// track left whole keeps its name.
StepPointer SplitAtGaps(double seconds);
StepPointer SplitAtDistances(double metres);
// The offset from UTC of the day boundary at a moment: the display zone's,
// or UTC's (zero) when none is given.
using UtcOffsetAt = std::function<std::chrono::seconds(const UtcTime&)>;
UtcOffsetAt UtcDays();
// Days of the zone the offset gives; a zone named says so in the step's line.
StepPointer SplitByDay(UtcOffsetAt offset, const std::string& zoneName = {});
StepPointer SplitIntoPieces(std::int64_t points);

// Every track into one, its points sorted by time (a point without a time
// stays after the point it followed); sections kept, or joined into one.
StepPointer MergeTracks(bool join);

// Douglas–Peucker with a tolerance in metres, or down to at most N points a
// track or route, on tracks and routes.
StepPointer SimplifyWithin(double metres);
StepPointer SimplifyTo(std::int64_t points);

// Track points with a time inside the window; points of tracks, routes and
// waypoints inside the box.
StepPointer CropToTime(TimeWindow window);
StepPointer CropToBox(Box box);

// Waypoints of the same name within the distance of one kept before them.
StepPointer DedupeWaypoints(double metres);
// Track points equal in every value to the point before them.
StepPointer DropRepeats();
// Track points whose receiver said it had no fix.
StepPointer DropUnfixed();
// Track points reached from the point kept before them faster than the speed (metres per second).
StepPointer DropFasterThan(double metresPerSecond);

// What the output holds (0: no limit).
struct OutputCapacity {
    std::int64_t trackPoints = 0, routePoints = 0;
};
// Each track and route over the capacity simplified just enough to fit.
StepPointer FitInto(OutputCapacity capacity);
