// SPDX-License-Identifier: GPL-3.0-or-later
// Where readers put points into a document, so that one rule holds for
// every reader: a point whose latitude or longitude is not a finite number
// has no usable position and is left out (and counted); a section it started
// starts with the next point kept; an elevation that is not a finite number
// or lies beyond 1000 km above or below sea level is none.
#pragma once

#include "core/findings.h"
#include "core/point_list.h"

inline constexpr double kHighestElevationMetres = 1.0e6;

class PointEntry {
public:
    PointEntry(PointList& list, Findings& findings) : list_(list), findings_(findings) {}
    // False when the point was left out.
    bool Add(const Point& point);

private:
    PointList& list_;
    Findings& findings_;
    bool sectionWaiting_ = false;
};
