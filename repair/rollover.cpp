// SPDX-License-Identifier: GPL-3.0-or-later
#include "repair/rollover.h"

#include "core/time/utc_time.h"

namespace {
constexpr std::int64_t kFirstGpsWeek = 315964800;  // 1980-01-06T00:00:00Z
constexpr std::int64_t kSlack = 86400;

std::string DayOf(UtcTime time) { return IsoTime(time).substr(0, 10); }

// The run of 1024 weeks between rollover dates a time lies in.
std::int64_t RunOf(std::int64_t seconds) { return (seconds - kFirstGpsWeek) / kRolloverSeconds; }

bool LooksEarly(const Track& track)
{
    const TimeRange& range = track.points.Times();
    if (!track.loggedNotBefore || !range.earliest) return false;
    const std::int64_t since = track.loggedNotBefore->seconds - kSlack;
    const std::int64_t earliest = range.earliest->seconds, latest = range.latest->seconds;
    // One receiver's clock counts within one run: times on both sides of a
    // rollover date are not that.
    return latest < since && earliest >= since - kRolloverSeconds && earliest >= kFirstGpsWeek &&
           RunOf(earliest) == RunOf(latest);
}
}  // namespace

std::optional<EarlyTimes> FindEarlyTimes(const Document& document)
{
    std::optional<EarlyTimes> early;
    for (const Track& track : document.tracks) {
        if (!LooksEarly(track)) continue;
        const TimeRange& range = track.points.Times();
        if (!early) early = EarlyTimes{*range.earliest, *range.latest};
        if (*range.earliest < early->first) early->first = *range.earliest;
        if (early->last < *range.latest) early->last = *range.latest;
    }
    return early;
}

std::string EarlyTimesWarning(const EarlyTimes& early)
{
    const std::string first = DayOf(early.first), last = DayOf(early.last);
    return (first == last ? "times of " + first : "times from " + first + " to " + last) +
           " look 1024 weeks early: receiver week rollover; --rollover repairs them";
}
