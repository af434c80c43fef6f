// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/import/nmea_days.h"

#include <algorithm>
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

// hhmmss with any digits of a second's fraction (nine kept); nothing otherwise.
std::optional<DayTime> DayTimeOf(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (text.size() < 6 || !std::all_of(text.begin(), text.begin() + 6, digit)) return std::nullopt;
    const auto two = [&](std::size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); };
    if (two(0) > 23 || two(2) > 59 || two(4) > 59) return std::nullopt;
    DayTime time{two(0) * 3600 + two(2) * 60 + two(4), 0};
    if (text.size() == 6) return time;
    if (text[6] != '.' || !std::all_of(text.begin() + 7, text.end(), digit)) return std::nullopt;
    std::int32_t scale = 100000000;
    for (std::size_t i = 7; i < text.size() && scale > 0; ++i, scale /= 10) time.nanoseconds += (text[i] - '0') * scale;
    return time;
}

UtcTime TimeAt(std::int64_t day, DayTime time)
{
    return {(day - static_cast<std::int64_t>(kUnixEpochDay)) * kSecondsPerDay + time.seconds, time.nanoseconds};
}

double DayCountAt(std::int64_t day, DayTime time)
{
    const int hours = time.seconds / 3600, minutes = time.seconds / 60 % 60;
    const double seconds = time.seconds % 60 + time.nanoseconds / 1e9;
    return static_cast<double>(day) + hours / 24.0 + minutes / 1440.0 + seconds / 86400;
}

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
        NoteUndatedPoints(timesLeftOut ? "without times - the log gives no date"
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
