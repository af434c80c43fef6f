// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/document/point_entry.h"

#include <cmath>

bool PointEntry::Add(const Point& point)
{
    if (!std::isfinite(point.latitude) || !std::isfinite(point.longitude)) {
        findings_.Add(FindingKind::Unusable, {}, 1);
        sectionWaiting_ = sectionWaiting_ || point.newSection;
        return false;
    }
    const bool noElevation = !std::isnan(point.elevation) &&
                             (!std::isfinite(point.elevation) || std::fabs(point.elevation) > kHighestElevationMetres);
    // Most points go in as they are, without a copy.
    if (noElevation || (sectionWaiting_ && !point.newSection)) {
        Point changed = point;
        if (noElevation) changed.elevation = kNoValue;
        changed.newSection = point.newSection || sectionWaiting_;
        list_.push_back(changed);
    } else {
        list_.push_back(point);
    }
    sectionWaiting_ = false;
    return true;
}
