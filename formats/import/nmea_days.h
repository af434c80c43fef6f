// SPDX-License-Identifier: GPL-3.0-or-later
// The dates of an NMEA log's fixes: a fix without a date of its own (every
// GGA, an RMC with an empty date) takes the log's, counted across midnight
// from the nearest dated fix, or else the date the user gives.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/store.h"
#include "formats/import/nmea_fields.h"

class LogDays {
public:
    // Dates a fix about to be stored as the track's next point: its detail
    // time from its own day, or the log's. `ownNative`: the native day count
    // is the fix's own (an RMC's, as ever); otherwise it follows the log's date.
    // The fixes stored before the log's first date get it now.
    void Place(TrackPoint& p, std::optional<DayTime> time, std::optional<std::int64_t> ownDay, bool ownNative);
    // The point placed last was stored at `index`.
    void Stored(int index);
    // After the log: fixes still undated take the user's date, or stay
    // without a time, which the count line then says.
    void Finish(const std::string& fileName, bool timesLeftOut);

private:
    struct Waiting {
        int index;
        DayTime time;
        bool ownNative;
    };
    void Date(const Waiting& w, std::int64_t day, bool native);

    std::optional<std::int64_t> day_;  // the day of the latest dated fix, counted on
    std::int32_t previous_ = 0;        // the time of day of the latest dated fix
    std::optional<Waiting> placed_;
    std::vector<Waiting> waiting_;  // the fixes before the first date: at most a track's points
};
