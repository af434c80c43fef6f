// SPDX-License-Identifier: GPL-3.0-or-later
// The sections a reader makes in a log that holds none of its own: a new one
// starts where two fixes are more than an hour apart, either way. Made on the
// times as read, and made again once a repair has read the times anew.
#pragma once

#include <cstdint>
#include <optional>

#include "core/document/point.h"

inline constexpr std::int64_t kSectionGapSeconds = 3600;

// More than an hour between two times, either way.
bool BeyondSectionGap(UtcTime a, UtcTime b);

// The rule on a list's points, given in order: the first starts a section,
// and so does each whose time lies more than an hour from the time of the
// latest point before it that had one.
class GapSections {
public:
    bool Starts(const Point& point)
    {
        const bool starts = first_ || (point.time && last_ && BeyondSectionGap(*last_, *point.time));
        first_ = false;
        if (point.time) last_ = point.time;
        return starts;
    }

private:
    bool first_ = true;
    std::optional<UtcTime> last_;
};
