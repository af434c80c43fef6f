// SPDX-License-Identifier: GPL-3.0-or-later
#include "repair/rollover.h"

#include <chrono>
#include <system_error>

#include "repair/point_times.h"

namespace {
constexpr std::int64_t kFirstGpsWeek = 315964800;  // 1980-01-06T00:00:00Z
constexpr std::int64_t kSlack = 86400;

std::string DayOf(UtcTime time) { return IsoTime(time).substr(0, 10); }
}  // namespace

std::optional<EarlyTimes> FindEarlyTimes(const Document& document, UtcTime fileModified)
{
    // A file that says when it was written says it better than its file system.
    const UtcTime written = document.metadata.time.value_or(fileModified);
    const std::int64_t latestEarly = written.seconds + kSlack - kRolloverSeconds;
    if (latestEarly < kFirstGpsWeek) return std::nullopt;
    // The run of 1024 weeks before the last rollover the file was written after.
    const std::int64_t earliestEarly =
        kFirstGpsWeek + (latestEarly - kFirstGpsWeek) / kRolloverSeconds * kRolloverSeconds;
    EarlyTimes early;
    std::optional<std::int64_t> firstEpoch, lastEpoch;
    LookAtPoints(document, [&](const Point& p) {
        if (!p.time || p.undated || p.time->seconds < kFirstGpsWeek) return;
        const std::int64_t epoch = (p.time->seconds - kFirstGpsWeek) / kRolloverSeconds;
        if (!firstEpoch || epoch < *firstEpoch) firstEpoch = epoch;
        if (!lastEpoch || epoch > *lastEpoch) lastEpoch = epoch;
        if (p.time->seconds > latestEarly || p.time->seconds < earliestEarly) return;
        if (early.count == 0 || *p.time < early.first) early.first = *p.time;
        if (early.count == 0 || early.last < *p.time) early.last = *p.time;
        ++early.count;
    });
    // One receiver's clock counts within one run of 1024 weeks: times on both
    // sides of a rollover date are not that.
    if (early.count == 0 || firstEpoch != lastEpoch) return std::nullopt;
    return early;
}

std::string EarlyTimesWarning(const EarlyTimes& early)
{
    const std::string first = DayOf(early.first), last = DayOf(early.last);
    return (first == last ? "times of " + first : "times from " + first + " to " + last) +
           " look 1024 weeks early: receiver week rollover; --rollover repairs them";
}

std::optional<UtcTime> FileModified(const std::filesystem::path& file)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
    const auto written = std::filesystem::last_write_time(file, error);
    if (error) return std::nullopt;
    const auto system = std::chrono::file_clock::to_sys(written);
    return UtcTime{std::chrono::floor<std::chrono::seconds>(system).time_since_epoch().count(), 0};
}

std::optional<UtcTime> EarliestModified(const std::vector<std::string>& files)
{
    std::optional<UtcTime> earliest;
    for (const std::string& file : files)
        if (const auto modified = FileModified(file); modified && (!earliest || *modified < *earliest))
            earliest = modified;
    return earliest;
}
