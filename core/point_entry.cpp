// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/point_entry.h"

#include <cmath>

bool PointEntry::Add(Point point)
{
    if (!std::isfinite(point.latitude) || !std::isfinite(point.longitude)) {
        findings_.Add(FindingKind::Unusable, {}, 1);
        sectionWaiting_ = sectionWaiting_ || point.newSection;
        return false;
    }
    if (sectionWaiting_) point.newSection = true;
    sectionWaiting_ = false;
    if (!std::isfinite(point.elevation) || std::fabs(point.elevation) > kHighestElevationMetres)
        point.elevation = kNoValue;
    list_.push_back(point);
    return true;
}
