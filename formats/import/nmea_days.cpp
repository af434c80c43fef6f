// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/import/nmea_days.h"

#include "core/time/clock.h"

namespace {
constexpr std::int32_t kSecondsPerDay = 86400;
// A time of day more than half a day before the previous one is on the next day.
constexpr std::int32_t kHalfDay = kSecondsPerDay / 2;
}  // namespace

bool LogDays::NextDay(DayTime time) const { return previous_ && time.seconds < *previous_ - kHalfDay; }

LogDays::Placed LogDays::Place(DayTime time, std::optional<std::int64_t> rmcDay)
{
    const bool nextDay = NextDay(time);
    Placed placed;
    if (rmcDay) {
        if (!day_) {
            // The fixes before were on the days counted so far, the last of
            // them on this fix's day or the one before.
            const std::int64_t sinceEpoch = *rmcDay - static_cast<std::int64_t>(kUnixEpochDay);
            placed.shift.moveEarlierBy = (sinceEpoch - (undatedDay_ + (nextDay ? 1 : 0))) * kSecondsPerDay;
        } else if (!fromRmc_) {
            const std::int64_t carried = *day_ + (nextDay ? 1 : 0);
            if (carried != *rmcDay) {
                placed.shift.moveEarlierBy = (*rmcDay - carried) * kSecondsPerDay;
                placed.shift.zdaDatesOverruled = zdaDates_;
            }
        }
        day_ = rmcDay;
        fromRmc_ = true;
    } else if (day_) {
        if (nextDay) ++*day_;
    } else if (nextDay) {
        ++undatedDay_;
    }
    previous_ = time.seconds;
    if (day_) {
        placed.time = TimeAt(*day_, time);
    } else {
        placed.time = {undatedDay_ * kSecondsPerDay + time.seconds, time.nanoseconds};
        placed.undated = true;
    }
    return placed;
}

LogDays::Shift LogDays::Date(DayTime time, std::int64_t zdaDay)
{
    const bool nextDay = NextDay(time);
    Shift shift;
    if (fromRmc_) {
        if (*day_ + (nextDay ? 1 : 0) != zdaDay) {
            shift.zdaDatesOverruled = 1;  // the RMC dates stand: nothing changes
            return shift;
        }
    } else if (!day_) {
        const std::int64_t sinceEpoch = zdaDay - static_cast<std::int64_t>(kUnixEpochDay);
        shift.moveEarlierBy = (sinceEpoch - (undatedDay_ + (nextDay ? 1 : 0))) * kSecondsPerDay;
    }
    if (!fromRmc_) ++zdaDates_;
    day_ = zdaDay;
    previous_ = time.seconds;
    return shift;
}
