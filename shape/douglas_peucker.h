// SPDX-License-Identifier: GPL-3.0-or-later
// Douglas–Peucker simplification of a list of points with a tolerance in
// metres: every point left out lies within the tolerance of the line of the
// points kept (distances as geodesy.h measures them). The first and last
// point of each section, and every point without a usable position, are
// kept. The list is read through cursors a window at a time (a section, or
// kWindow points sharing their end points), so that memory stays flat; the
// work is iterative, with an explicit stack, n log n for a track's usual
// shape (n² at worst, for a spiral).
#pragma once

#include <cstdint>
#include <optional>

#include "core/document/point_list.h"

inline constexpr std::size_t kSimplifyWindow = 1u << 18;

PointList Simplified(const PointList& points, double tolerance);
// How many points Simplified would keep, without keeping them.
std::int64_t CountKept(const PointList& points, double tolerance);

// The least tolerance, to within 0.1% (or 1 mm), at which the simplification
// keeps at most `capacity` points: 0 when the list fits already, nothing
// when no tolerance does (more sections than the capacity holds).
std::optional<double> ToleranceToFit(const PointList& points, std::int64_t capacity);
inline constexpr double kFitPrecision = 0.001;  // relative
inline constexpr double kFitPrecisionMetres = 0.001;
