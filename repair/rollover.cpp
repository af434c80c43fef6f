// SPDX-License-Identifier: GPL-3.0-or-later
#include "repair/rollover.h"

#include <chrono>
#include <system_error>

#include "core/catalogue.h"
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
    // The lists know the range of their times: most documents are told from it alone.
    TimeRange range;
    const auto add = [&](const PointList& list) {
        if (list.Times().earliest) range.Add(*list.Times().earliest);
        if (list.Times().latest) range.Add(*list.Times().latest);
    };
    add(document.waypoints);
    for (const Route& route : document.routes) add(route.points);
    for (const Track& track : document.tracks) add(track.points);
    if (!range.earliest || range.latest->seconds < earliestEarly || range.earliest->seconds > latestEarly)
        return std::nullopt;
    const auto epochOf = [](std::int64_t seconds) { return (seconds - kFirstGpsWeek) / kRolloverSeconds; };
    // One receiver's clock counts within one run of 1024 weeks: times on both
    // sides of a rollover date are not that.
    if (range.earliest->seconds < kFirstGpsWeek || epochOf(range.earliest->seconds) != epochOf(range.latest->seconds))
        return std::nullopt;
    if (range.latest->seconds <= latestEarly) return EarlyTimes{*range.earliest, *range.latest};
    // Some times are early and some not: the last early one is looked for.
    EarlyTimes early{*range.earliest, *range.earliest};
    LookAtPoints(document, [&](const Point& p) {
        if (p.time && !p.undated && p.time->seconds <= latestEarly && early.last < *p.time) early.last = *p.time;
    });
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

std::vector<std::string> ReceiverFiles(const std::vector<std::string>& files, const std::vector<int>& positions)
{
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < files.size() && i < positions.size(); ++i)
        if (IsInputPosition(positions[i]) && InputRow(positions[i]).writtenByReceiver) kept.push_back(files[i]);
    return kept;
}

std::optional<UtcTime> EarliestModified(const std::vector<std::string>& files)
{
    std::optional<UtcTime> earliest;
    for (const std::string& file : files)
        if (const auto modified = FileModified(file); modified && (!earliest || *modified < *earliest))
            earliest = modified;
    return earliest;
}
