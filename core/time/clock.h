// SPDX-License-Identifier: GPL-3.0-or-later
// The clock and calendar layer: day counts since 1899-12-30 (fraction = time
// of day), the host's local and UTC time, and the time-zone offset.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

inline constexpr double kUnixEpochDay = 25569.0;  // 1970-01-01
// The calendar's range: 0001-01-01 to 9999-12-31.
inline constexpr std::int64_t kFirstCalendarDay = -693593;
inline constexpr std::int64_t kLastCalendarDay = 2958465;

// A value of SOURCE_DATE_EPOCH: none when unset or empty (which the
// convention takes for unset), the seconds since 1970 when it is a whole
// number of them within the calendar's range, and malformed otherwise
// (a fraction, a plus sign, blanks, a date, a number out of range).
struct EpochSetting {
    std::optional<std::time_t> seconds;
    bool malformed = false;
};
EpochSetting ReadSourceDateEpoch(const char* text);

// The time now; with SOURCE_DATE_EPOCH set (seconds since 1970), that time.
double NowLocal();
double NowUtc();

// The time a conversion takes for now: the host's (above), or a fixed one
// that tests and the headless runner pass.
struct Clock {
    std::optional<double> fixedLocal;
    std::optional<double> fixedUtc;
    static Clock Fixed(double localNow, double utcNow) { return {localNow, utcNow}; }
    double Local() const { return fixedLocal ? *fixedLocal : NowLocal(); }
    double Utc() const { return fixedUtc ? *fixedUtc : NowUtc(); }
};

struct CalendarTime {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// The day count of a calendar date, or nothing when the date does not exist.
std::optional<double> EncodeDate(int year, int month, int day);
// A two-digit year in the century its format states: below `pivot` 20xx, from it on 19xx.
constexpr int FullYear(int twoDigitYear, int pivot) { return twoDigitYear + (twoDigitYear < pivot ? 2000 : 1900); }
// The day fraction of a time of day, or nothing when it is out of range.
std::optional<double> EncodeTime(int hour, int minute, int second, int millisecond = 0);
// Splits any day count, whatever its bit pattern, into calendar fields; the
// time is rounded to the millisecond and values outside years 1..9999 are held there.
CalendarTime DecodeDateTime(double dayCount);
