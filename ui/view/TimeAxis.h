// SPDX-License-Identifier: GPL-3.0-or-later
// The marks of a time axis: round times of day (or days) in the zone the
// view shows times in, no closer than the room their labels need.
#pragma once

#include <QString>
#include <vector>

#include "core/time/time_zone.h"

struct TimeTick {
    double seconds;  // since 1970-01-01 UTC
    QString text;    // "14:30", "14:30:15"; a new day's mark "03-31" ("2024-03-31" when days are the steps)
};

// Marks from first to last (seconds since 1970 UTC) at least leastStep seconds apart.
std::vector<TimeTick> TimeTicks(double first, double last, double leastStep, const TimeZone& zone);
