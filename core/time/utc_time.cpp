// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/time/utc_time.h"

#include <chrono>
#include <cmath>

#include "core/time/clock.h"

namespace {
using iso_text::Digits;
using iso_text::OffsetMinutes;
using iso_text::Take;
constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int32_t kNanosPerSecond = 1000000000;
// Seconds from 1970 to the first and past the last day of the calendar.
constexpr std::int64_t kFirstSecond = (kFirstCalendarDay - static_cast<std::int64_t>(kUnixEpochDay)) * kSecondsPerDay;
constexpr std::int64_t kEndSecond = (kLastCalendarDay + 1 - static_cast<std::int64_t>(kUnixEpochDay)) * kSecondsPerDay;

bool InCalendar(const UtcTime& t) { return t.seconds >= kFirstSecond && t.seconds < kEndSecond; }

// Writes `value` in `width` digits at `at` and moves past them, then past `after`.
void PutDigits(char*& at, std::int64_t value, int width, char after = '\0')
{
    for (int i = width - 1; i >= 0; --i, value /= 10) at[i] = static_cast<char>('0' + value % 10);
    at += width;
    if (after) *at++ = after;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The digits at text[at..at+count) as a number; -1 when one is no digit.
int FixedDigits(std::string_view text, std::size_t at, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const unsigned digit = static_cast<unsigned char>(text[at + static_cast<std::size_t>(i)]) - '0';
        if (digit > 9) return -1;
        value = value * 10 + static_cast<int>(digit);
    }
    return value;
}

// "YYYY-MM-DDThh:mm:ss[.fraction]Z", the layout of nearly every time a device
// writes, in one pass; nothing for any other text, which the general reading
// below takes, so that both give the same for every text this one reads.
std::optional<UtcTime> CommonIsoTime(std::string_view text)
{
    if (text.size() < 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':' ||
        text.back() != 'Z')
        return std::nullopt;
    const int year = FixedDigits(text, 0, 4), month = FixedDigits(text, 5, 2), day = FixedDigits(text, 8, 2);
    const int hour = FixedDigits(text, 11, 2), minute = FixedDigits(text, 14, 2), second = FixedDigits(text, 17, 2);
    if (year < 1 || month < 0 || day < 0 || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
        second > 59)
        return std::nullopt;
    std::int32_t nanoseconds = 0;
    if (text.size() > 20) {
        const std::size_t digits = text.size() - 21;
        if (text[19] != '.' || digits == 0 || digits > 9) return std::nullopt;
        const int fraction = FixedDigits(text, 20, static_cast<int>(digits));
        if (fraction < 0) return std::nullopt;
        nanoseconds = fraction;
        for (std::size_t i = digits; i < 9; ++i) nanoseconds *= 10;
    }
    const std::chrono::year_month_day date{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                                           std::chrono::day{static_cast<unsigned>(day)}};
    if (!date.ok()) return std::nullopt;
    const std::int64_t days = std::chrono::sys_days{date}.time_since_epoch().count();
    return UtcTime{days * kSecondsPerDay + hour * 3600 + minute * 60 + second, nanoseconds};
}

}  // namespace

std::optional<UtcTime> UtcTimeOfDayCount(double dayCount, int decimals)
{
    if (!std::isfinite(dayCount) || dayCount < kFirstCalendarDay || dayCount >= kLastCalendarDay + 1.0)
        return std::nullopt;
    // Whole days and the fraction apart, so that the fraction keeps its digits.
    const double days = std::floor(dayCount);
    double scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    const double units = std::nearbyint((dayCount - days) * kSecondsPerDay * scale);
    const auto perSecond = static_cast<std::int64_t>(scale);
    const auto whole = static_cast<std::int64_t>(units);
    UtcTime t;
    t.seconds = (static_cast<std::int64_t>(days) - static_cast<std::int64_t>(kUnixEpochDay)) * kSecondsPerDay +
                whole / perSecond;
    t.nanoseconds = static_cast<std::int32_t>((whole % perSecond) * (kNanosPerSecond / perSecond));
    if (!InCalendar(t)) return std::nullopt;
    return t;
}

double DayCountOf(UtcTime time)
{
    const std::int64_t days =
        time.seconds >= 0 ? time.seconds / kSecondsPerDay : -((-time.seconds + kSecondsPerDay - 1) / kSecondsPerDay);
    const std::int64_t inDay = time.seconds - days * kSecondsPerDay;
    return kUnixEpochDay + static_cast<double>(days) +
           (static_cast<double>(inDay) + time.nanoseconds / 1e9) / kSecondsPerDay;
}

std::optional<UtcTime> UtcTimeOf(int year, int month, int day, int hour, int minute, int second,
                                 std::int32_t nanoseconds)
{
    using namespace std::chrono;
    const year_month_day date{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                              std::chrono::day{static_cast<unsigned>(day)}};
    if (!date.ok() || year < 1 || year > 9999) return std::nullopt;
    const std::int64_t days = sys_days{date}.time_since_epoch().count();
    UtcTime t{days * kSecondsPerDay + hour * 3600LL + minute * 60LL + second, nanoseconds};
    if (!InCalendar(t)) return std::nullopt;
    return t;
}

char* PutIsoTime(char* at, UtcTime time)
{
    if (!InCalendar(time) || time.nanoseconds < 0 || time.nanoseconds >= kNanosPerSecond) return nullptr;
    using namespace std::chrono;
    const std::int64_t days =
        time.seconds >= 0 ? time.seconds / kSecondsPerDay : -((-time.seconds + kSecondsPerDay - 1) / kSecondsPerDay);
    const std::int64_t inDay = time.seconds - days * kSecondsPerDay;
    const year_month_day date{sys_days{std::chrono::days{days}}};
    PutDigits(at, static_cast<int>(date.year()), 4, '-');
    PutDigits(at, static_cast<unsigned>(date.month()), 2, '-');
    PutDigits(at, static_cast<unsigned>(date.day()), 2, 'T');
    PutDigits(at, inDay / 3600, 2, ':');
    PutDigits(at, inDay / 60 % 60, 2, ':');
    PutDigits(at, inDay % 60, 2);
    if (time.nanoseconds != 0) {
        std::int32_t fraction = time.nanoseconds;
        int digits = 9;
        while (fraction % 10 == 0) {
            fraction /= 10;
            --digits;
        }
        *at++ = '.';
        PutDigits(at, fraction, digits);
    }
    *at++ = 'Z';
    return at;
}

bool AppendIsoTime(std::string& out, UtcTime time)
{
    // Built whole and appended once: a long track writes a time per point.
    char text[kIsoTimeRoom];
    const char* const end = PutIsoTime(text, time);
    if (end == nullptr) return false;
    out.append(text, static_cast<std::size_t>(end - text));
    return true;
}

std::string IsoTime(UtcTime time)
{
    std::string out;
    AppendIsoTime(out, time);
    return out;
}

std::optional<UtcTime> ParseIsoTime(std::string_view text)
{
    if (const auto common = CommonIsoTime(text)) return common;
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    std::size_t at = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::int64_t nanoseconds = 0;
    if (!Digits(text, at, 4, year) || !Take(text, at, '-') || !Digits(text, at, 2, month) || !Take(text, at, '-') ||
        !Digits(text, at, 2, day))
        return std::nullopt;
    if (at < text.size() && (text[at] == 'T' || text[at] == 't' || text[at] == ' ')) {
        ++at;
        if (!Digits(text, at, 2, hour) || !Take(text, at, ':') || !Digits(text, at, 2, minute)) return std::nullopt;
        if (Take(text, at, ':')) {
            if (!Digits(text, at, 2, second)) return std::nullopt;
            if (Take(text, at, '.') || Take(text, at, ',')) {
                const std::size_t digitsFrom = at;
                std::int64_t scale = 100000000;
                for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, scale /= 10)
                    nanoseconds += (text[at] - '0') * scale;  // digits past the ninth add nothing
                if (at == digitsFrom) return std::nullopt;
            }
        }
        // 24:00:00 is the end of the day; 60 seconds a leap second.
        const bool endOfDay = hour == 24 && minute == 0 && second == 0 && nanoseconds == 0;
        if ((hour > 23 && !endOfDay) || minute > 59 || second > 60) return std::nullopt;
    }
    const auto offset = OffsetMinutes(text, at);
    if (!offset) return std::nullopt;
    const auto midnight = UtcTimeOf(year, month, day, 0, 0, 0);
    if (!midnight) return std::nullopt;
    UtcTime t{midnight->seconds + hour * 3600LL + minute * 60LL + second - *offset * 60LL,
              static_cast<std::int32_t>(nanoseconds)};
    if (!InCalendar(t)) return std::nullopt;
    return t;
}

namespace iso_text {
std::optional<int> OffsetMinutes(std::string_view text, std::size_t at)
{
    if (at == text.size()) return 0;
    if ((text[at] == 'Z' || text[at] == 'z') && at + 1 == text.size()) return 0;
    const char sign = text[at++];
    if (sign != '+' && sign != '-') return std::nullopt;
    int hours = 0, minutes = 0;
    if (!Digits(text, at, 2, hours)) return std::nullopt;
    if (at < text.size()) {
        Take(text, at, ':');
        if (!Digits(text, at, 2, minutes)) return std::nullopt;
    }
    if (at != text.size() || hours > 23 || minutes > 59) return std::nullopt;
    return (sign == '-' ? -1 : 1) * (hours * 60 + minutes);
}
}  // namespace iso_text
