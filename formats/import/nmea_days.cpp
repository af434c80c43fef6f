// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/import/nmea_days.h"

#include <cmath>

#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/frontend.h"

namespace {
constexpr std::int32_t kSecondsPerDay = 86400;
// A time of day more than half a day before the previous one is on the next day.
constexpr std::int32_t kHalfDay = kSecondsPerDay / 2;
constexpr double kOneHour = 1.0 / 24.0;

// The native rule again: a point more than an hour from the one before starts a section.
void SectionsAgain(int count)
{
    for (int i = 0; i < count; ++i)
        TrackPointList[i].NewSection =
            i == 0 || std::fabs(TrackPointList[i].DateTime - TrackPointList[i - 1].DateTime) > kOneHour ? 1 : 0;
}

std::optional<std::int64_t> DayOf(const std::chrono::year_month_day& date)
{
    const auto day = EncodeDate(static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
                                static_cast<int>(static_cast<unsigned>(date.day())));
    if (!day) return std::nullopt;
    return static_cast<std::int64_t>(*day);
}
}  // namespace

void LogDays::Place(TrackPoint& p, std::optional<DayTime> time, std::optional<std::int64_t> ownDay, bool ownNative)
{
    placed_.reset();
    if (!time) return;
    if (ownDay) {
        // Counted back from this date across every midnight passed.
        std::int64_t day = *ownDay;
        std::int32_t next = time->seconds;
        for (auto w = waiting_.rbegin(); w != waiting_.rend(); ++w) {
            if (w->time.seconds > next + kHalfDay) --day;
            next = w->time.seconds;
            Date(*w, day, !w->ownNative);
        }
        if (!waiting_.empty()) SectionsAgain(TrackProps.PointCount);
        waiting_.clear();
        day_ = ownDay;
    } else if (day_) {
        if (time->seconds < previous_ - kHalfDay) ++*day_;
    } else {
        placed_ = Waiting{-1, *time, ownNative};
        return;
    }
    previous_ = time->seconds;
    p.Values.time = TimeAt(*day_, *time);
    if (!ownNative) p.DateTime = DayCountAt(*day_, *time);
}

void LogDays::Stored(int index)
{
    if (!placed_) return;
    placed_->index = index;
    waiting_.push_back(*placed_);
    placed_.reset();
}

void LogDays::Date(const Waiting& w, std::int64_t day, bool native)
{
    TrackPoint& p = TrackPointList[w.index];
    p.Values.time = TimeAt(day, w.time);
    if (native) p.DateTime = DayCountAt(day, w.time);
}

void LogDays::Finish(const std::string& fileName, bool timesLeftOut)
{
    if (waiting_.empty()) return;
    const auto given = Front().DateOfLog(fileName);
    const auto day = given ? DayOf(*given) : std::nullopt;
    if (!day) {
        NoteUndatedPoints(timesLeftOut ? UndatedPoints::WithoutTimes : UndatedPoints::DatedToday,
                          timesLeftOut ? "without times - the log gives no date"
                                       : "dated today - the log gives no date");
        waiting_.clear();
        return;
    }
    // The user's date is that of the first fix, counted on across midnight;
    // every native day count follows it, since the log has none of its own.
    std::int64_t current = *day;
    std::int32_t previous = waiting_.front().time.seconds;
    for (const Waiting& w : waiting_) {
        if (w.time.seconds < previous - kHalfDay) ++current;
        previous = w.time.seconds;
        Date(w, current, true);
    }
    SectionsAgain(TrackProps.PointCount);
    waiting_.clear();
}
