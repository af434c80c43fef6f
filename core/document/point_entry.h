// SPDX-License-Identifier: GPL-3.0-or-later
// Where readers put points into a document, so that one rule holds for
// every reader: a point whose latitude or longitude is not a finite number
// has no usable position and is left out (and counted); a section it started
// starts with the next point kept; an elevation that is not a finite number
// or lies beyond 1000 km above or below sea level is none.
#pragma once

#include "core/document/findings.h"
#include "core/document/point_list.h"

inline constexpr double kHighestElevationMetres = 1.0e6;

class PointEntry {
public:
    // `kept`: the most points the reader's output takes (ReadOptions), 0 all.
    PointEntry(PointList& list, Findings& findings, std::int64_t kept = 0)
        : list_(list), findings_(findings), kept_(kept)
    {}
    // False when the point was left out.
    bool Add(const Point& point);
    // The list holds one point more than the output takes: the reader may stop.
    bool Full() const { return kept_ > 0 && static_cast<std::int64_t>(list_.size()) > kept_; }

private:
    PointList& list_;
    Findings& findings_;
    std::int64_t kept_;
    bool sectionWaiting_ = false;
};
