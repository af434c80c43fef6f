// SPDX-License-Identifier: GPL-3.0-or-later
// The repairs of times the user asks for, as steps, in their fixed order:
// a date for undated points, then the zone of wall-clock times, then the
// week rollover, then the shift; and, without a rollover asked for, the
// check that warns of times that look 1024 weeks early.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/document/document_step.h"
#include "core/time/time_zone.h"

struct TimeRepairs {
    // The day of the inputs' times of day without a date, and the date of
    // points without a time where the native formats need one.
    std::optional<std::chrono::year_month_day> date;
    // The zone of inputs that hold local wall-clock times.
    std::optional<TimeZone> zone;
    int rollovers = 0;  // times 1024 weeks are added
    std::chrono::seconds shift{0};
    std::string shiftText;  // as the user typed it ("+3h")

    bool Any() const { return date || zone || rollovers != 0 || shift.count() != 0; }
};

// The steps, in order; the repairs' own before any other step. Without a
// rollover asked for, its place holds the check of early times, a step that
// only looks (DocumentStep::OnlyLooks).
DocumentSteps TimeRepairSteps(const TimeRepairs& repairs);
// The names of the repairs asked for, in order ("date 2024-03-31", "shift +3h").
std::vector<std::string> TimeRepairNames(const TimeRepairs& repairs);
