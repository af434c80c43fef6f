// SPDX-License-Identifier: GPL-3.0-or-later
// What the NMEA-style sentences of logs and Magellan cards write alike: times
// of day (hhmmss.sss) and decimal numbers, read exactly.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/time/utc_time.h"

// A time of day to the nanosecond.
struct DayTime {
    std::int32_t seconds = 0;  // since midnight
    std::int32_t nanoseconds = 0;
    friend bool operator==(const DayTime&, const DayTime&) = default;
};

// hhmmss with any digits of a second's fraction (nine kept); nothing when the
// text, blanks around it aside, is not one.
std::optional<DayTime> DayTimeOf(std::string_view text);
// The moment of a day (days since 1899-12-30) and a time of day.
UtcTime TimeAt(std::int64_t day, DayTime time);

// TextToFloat, sooner for the plain decimals that fill a log: the same value.
double Decimal(std::string_view text);
// A field that is a number and nothing else, blanks around it aside, as the
// nearest double; nothing otherwise.
std::optional<double> ExactDouble(std::string_view text);
