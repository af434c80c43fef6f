// SPDX-License-Identifier: GPL-3.0-or-later
// The dates of an NMEA log's fixes: a fix without a date of its own (every
// GGA, an RMC with an empty date) takes the log's, counted across midnight
// from the nearest dated fix. Before the log's first date, fixes count their
// days from 1970-01-01, standing for the unknown first day; once a date comes,
// the times given so far move by the days that make them fit it.
#pragma once

#include <cstdint>
#include <optional>

#include "core/utc_time.h"
#include "formats/import/nmea_fields.h"

class LogDays {
public:
    struct Placed {
        UtcTime time;
        bool undated = false;  // no date is known yet
        // The log's first date came with this fix: the undated times given
        // before move by these seconds.
        std::optional<std::int64_t> moveUndatedBy;
    };
    // The time of the next fix that has a time of day; `ownDay` is its own
    // date (days since 1899-12-30) where it gives one.
    Placed Place(DayTime time, std::optional<std::int64_t> ownDay);

private:
    std::optional<std::int64_t> day_;       // the day of the latest dated fix, counted on
    std::int64_t undatedDay_ = 0;           // the same before any date: days since 1970-01-01
    std::optional<std::int32_t> previous_;  // the time of day of the latest fix placed
};
