// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/import/nmea_days.h"

#include "core/clock.h"

namespace {
constexpr std::int32_t kSecondsPerDay = 86400;
// A time of day more than half a day before the previous one is on the next day.
constexpr std::int32_t kHalfDay = kSecondsPerDay / 2;
}  // namespace

LogDays::Placed LogDays::Place(DayTime time, std::optional<std::int64_t> ownDay)
{
    const bool nextDay = previous_ && time.seconds < *previous_ - kHalfDay;
    Placed placed;
    if (ownDay) {
        if (!day_) {
            // The fixes before were on the days counted so far, the last of
            // them on this fix's day or the one before.
            const std::int64_t sinceEpoch = *ownDay - static_cast<std::int64_t>(kUnixEpochDay);
            placed.moveUndatedBy = (sinceEpoch - (undatedDay_ + (nextDay ? 1 : 0))) * kSecondsPerDay;
        }
        day_ = ownDay;
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
