// SPDX-License-Identifier: GPL-3.0-or-later
// A moment in UTC at the precision its input gave it: whole seconds since
// 1970-01-01 and a fraction in nanoseconds, so that a whole second read
// stays a whole second written, and a fraction keeps its digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct UtcTime {
    std::int64_t seconds = 0;      // since 1970-01-01 00:00:00 UTC
    std::int32_t nanoseconds = 0;  // 0 to 999,999,999
    friend auto operator<=>(const UtcTime&, const UtcTime&) = default;
};

// A UTC day count since 1899-12-30 as a time, rounded to the nearest
// 10^-decimals of a second (0: whole seconds); nothing when the count is not
// finite or lies outside the years 1 to 9999.
std::optional<UtcTime> UtcTimeOfDayCount(double dayCount, int decimals);
// The day count of a time (to a double's precision).
double DayCountOf(UtcTime time);
// Seconds since 1970 of a calendar date and time of day; the date must exist.
std::optional<UtcTime> UtcTimeOf(int year, int month, int day, int hour, int minute, int second,
                                 std::int32_t nanoseconds = 0);

// "YYYY-MM-DDThh:mm:ss[.f]Z": the fraction with the digits it needs (up to
// nine), none for a whole second; false, and nothing appended, outside the
// years 1 to 9999.
bool AppendIsoTime(std::string& out, UtcTime time);
// The same text put at `at`, which has kIsoTimeRoom characters of room;
// returns its end, or nullptr outside the years 1 to 9999.
inline constexpr std::size_t kIsoTimeRoom = 32;
char* PutIsoTime(char* at, UtcTime time);
std::string IsoTime(UtcTime time);
// An ISO 8601 date and time ("2002-05-25T17:06:21.25Z", any offset, or none,
// which counts as UTC; a date alone is its midnight); nothing when it is not one.
std::optional<UtcTime> ParseIsoTime(std::string_view text);

// The pieces of ISO 8601 text that readers of other time texts share; inline,
// as every time of a long track is read through them.
namespace iso_text {
// Reads exactly `count` digits at `text[at]`, moving `at` past them.
inline bool Digits(std::string_view text, std::size_t& at, int count, int& value)
{
    if (text.size() < at || text.size() - at < static_cast<std::size_t>(count)) return false;
    value = 0;
    for (int i = 0; i < count; ++i, ++at) {
        const char c = text[at];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}
// Moves `at` past c when it stands there.
inline bool Take(std::string_view text, std::size_t& at, char c)
{
    if (at >= text.size() || text[at] != c) return false;
    ++at;
    return true;
}
// Minutes east of UTC of a "Z", "+hh", "+hhmm" or "+hh:mm" suffix at `at`,
// which must end the text; none or nothing else counts as UTC.
std::optional<int> OffsetMinutes(std::string_view text, std::size_t at);
}  // namespace iso_text
