// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/point_entry.h"

#include <cmath>

bool PointEntry::Add(const Point& point)
{
    if (!std::isfinite(point.latitude) || !std::isfinite(point.longitude)) {
        findings_.Add(FindingKind::Unusable, {}, 1);
        sectionWaiting_ = sectionWaiting_ || point.newSection;
        return false;
    }
    const bool section = sectionWaiting_ && !point.newSection;
    sectionWaiting_ = false;
    // NaN is none already.
    const bool absurd = std::isinf(point.elevation) || std::fabs(point.elevation) > kHighestElevationMetres;
    if (!section && !absurd) {
        list_.push_back(point);
        return true;
    }
    Point changed = point;
    if (section) changed.newSection = true;
    if (absurd) changed.elevation = kNoValue;
    list_.push_back(changed);
    return true;
}
