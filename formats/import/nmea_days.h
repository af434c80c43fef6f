// SPDX-License-Identifier: GPL-3.0-or-later
// The dates of an NMEA log's fixes: a fix without a date of its own (every
// GGA, an RMC with an empty date) takes the log's, counted across midnight
// from the nearest dated fix or ZDA sentence. Before the log's first date,
// fixes count their days from 1970-01-01, standing for the unknown first day;
// once a date comes, the times given so far move by the days that make them
// fit it. An RMC's date outweighs a ZDA's: where they disagree the RMC dates
// are kept, those given before from ZDA dates moving to fit the first of them.
#pragma once

#include <cstdint>
#include <optional>

#include "core/time/utc_time.h"
#include "formats/import/nmea_fields.h"

class LogDays {
public:
    // What a date does to the times given so far.
    struct Shift {
        // The times given so far move by these seconds (and are dated): they
        // were counted from no date, or from ZDA dates the log's first RMC
        // date disagrees with.
        std::optional<std::int64_t> moveEarlierBy;
        // ZDA dates not kept, since an RMC's date disagrees with them.
        std::int64_t zdaDatesOverruled = 0;
    };
    struct Placed {
        UtcTime time;
        bool undated = false;  // no date is known yet
        Shift shift;
    };
    // The time of the next fix that has a time of day; `rmcDay` is its own
    // date (days since 1899-12-30) where it gives one.
    Placed Place(DayTime time, std::optional<std::int64_t> rmcDay);
    // A ZDA sentence's date (days since 1899-12-30) at its time of day: the
    // log's date from then on, unless it disagrees with the RMC dates.
    Shift Date(DayTime time, std::int64_t zdaDay);

private:
    bool NextDay(DayTime time) const;
    // The day of the latest date, counted on: an RMC's where fromRmc_.
    std::optional<std::int64_t> day_;
    bool fromRmc_ = false;
    std::int64_t zdaDates_ = 0;             // ZDA dates taken before the first RMC date
    std::int64_t undatedDay_ = 0;           // the day before any date: days since 1970-01-01
    std::optional<std::int32_t> previous_;  // the time of day of the latest fix or date placed
};
