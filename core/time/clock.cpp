// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/time/clock.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {
constexpr double kSecondsPerDay = 86400.0;
constexpr std::int64_t kMsPerDay = 86400000;

double DayCountOf(std::time_t seconds, long nanoseconds)
{
    return kUnixEpochDay + (static_cast<double>(seconds) + nanoseconds / 1e9) / kSecondsPerDay;
}

// SOURCE_DATE_EPOCH, when set to whole seconds since 1970: the time of every
// conversion, so that its outputs can be made again byte for byte.
std::optional<std::time_t> SourceDateEpoch()
{
    static const std::optional<std::time_t> epoch = ReadSourceDateEpoch(std::getenv("SOURCE_DATE_EPOCH")).seconds;
    return epoch;
}

timespec Now()
{
    timespec now{};
    if (const auto epoch = SourceDateEpoch()) now.tv_sec = *epoch;
    else clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

std::chrono::sys_days DayZero()
{
    using namespace std::chrono;
    return sys_days{year{1899} / December / 30};
}
}  // namespace

EpochSetting ReadSourceDateEpoch(const char* text)
{
    if (text == nullptr || *text == '\0') return {};
    long long seconds = 0;
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, seconds);
    // 0001-01-01T00:00:00Z to 9999-12-31T23:59:59Z: the calendar's range.
    constexpr long long kFirst = -62135596800, kLast = 253402300799;
    if (error != std::errc() || stop != end || seconds < kFirst || seconds > kLast)
        return {.seconds = std::nullopt, .malformed = true};
    return {.seconds = static_cast<std::time_t>(seconds), .malformed = false};
}

double NowUtc()
{
    const timespec now = Now();
    return DayCountOf(now.tv_sec, now.tv_nsec);
}

double NowLocal()
{
    const timespec now = Now();
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return DayCountOf(now.tv_sec + local.tm_gmtoff, now.tv_nsec);
}

std::optional<double> EncodeDate(int y, int m, int d)
{
    using namespace std::chrono;
    if (y < 1 || y > 9999) return std::nullopt;
    const year_month_day date{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
    if (m < 1 || m > 12 || d < 1 || !date.ok()) return std::nullopt;
    return static_cast<double>((sys_days{date} - DayZero()).count());
}

std::optional<double> EncodeTime(int hour, int minute, int second, int millisecond)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999)
        return std::nullopt;
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / kMsPerDay;
}

CalendarTime DecodeDateTime(double dayCount)
{
    using namespace std::chrono;
    if (!std::isfinite(dayCount)) dayCount = 0;
    if (dayCount < static_cast<double>(kFirstCalendarDay)) dayCount = static_cast<double>(kFirstCalendarDay);
    if (dayCount > static_cast<double>(kLastCalendarDay) + 0.99999)
        dayCount = static_cast<double>(kLastCalendarDay) + 0.99999;

    std::int64_t days = static_cast<std::int64_t>(std::floor(dayCount));
    std::int64_t ms = std::llround((dayCount - std::floor(dayCount)) * kMsPerDay);
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        if (days < kLastCalendarDay) ++days;
    }
    const year_month_day date{DayZero() + std::chrono::days{days}};
    CalendarTime t;
    t.Year = static_cast<int>(date.year());
    t.Month = static_cast<int>(static_cast<unsigned>(date.month()));
    t.Day = static_cast<int>(static_cast<unsigned>(date.day()));
    t.Hour = static_cast<int>(ms / 3600000);
    t.Minute = static_cast<int>(ms / 60000 % 60);
    t.Second = static_cast<int>(ms / 1000 % 60);
    t.Millisecond = static_cast<int>(ms % 1000);
    return t;
}
