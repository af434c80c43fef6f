// SPDX-License-Identifier: GPL-3.0-or-later
// Days are told by a function of the moment, so that a display zone (with
// its changes of offset) can give them; UTC's when none is given.
#include <optional>

#include "shape/shape_steps.h"
#include "shape/step_support.h"

UtcOffsetAt UtcDays()
{
    return [](const UtcTime&) { return std::chrono::seconds(0); };
}

StepPointer SplitByDay(UtcOffsetAt offset, const std::string& zoneName)
{
    const std::string name = zoneName.empty() ? "split by day" : "split by day in " + zoneName;
    return SplitWhere(name, [offset] {
        return [offset, day = std::optional<std::int64_t>()](const Point& p) mutable {
            if (!p.time || p.undated) return false;
            const std::int64_t local = p.time->seconds + offset(*p.time).count();
            const std::int64_t today = local >= 0 ? local / 86400 : (local - 86399) / 86400;
            const bool next = day && today != *day;
            day = today;
            return next;
        };
    });
}
