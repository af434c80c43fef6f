// SPDX-License-Identifier: GPL-3.0-or-later
// The quantities the shaping steps take, as the user types them ("5m",
// "30min", "300kmh", "2024-05-01T08:00Z..2024-05-01T18:00Z", "S,W,N,E"), and
// as their report lines show them ("5 m", "30 min", "300 km/h").
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/time/utc_time.h"

// Metres of "5", "5m", "2.5 km", "300ft", "1mi"; a bare number is metres.
std::optional<double> ParseLength(const std::string& text);
// Seconds of "90", "90s", "30m", "30min", "2h", "1d"; a bare number is seconds.
std::optional<double> ParseDuration(const std::string& text);
// Metres per second of "300kmh", "300km/h", "20m/s", "60mph", "30kn".
std::optional<double> ParseSpeed(const std::string& text);
// A whole positive number ("10000", "10,000").
std::optional<std::int64_t> ParseCount(const std::string& text);

// Either end may be left open ("2024-05-01T08:00Z.." keeps what follows).
struct TimeWindow {
    std::optional<UtcTime> from, to;
};
std::optional<TimeWindow> ParseTimeWindow(const std::string& text);

// South, west, north and east in degrees; west greater than east crosses the date line.
struct Box {
    double south = 0, west = 0, north = 0, east = 0;
    bool Holds(double latitude, double longitude) const;
};
std::optional<Box> ParseBox(const std::string& text);

// "5 m", "1.5 km", "0.25 m": at most three significant decimals, no trailing zeros.
std::string LengthText(double metres);
// "45 s", "30 min", "2 h", "1 h 30 min".
std::string DurationText(double seconds);
// "300 km/h".
std::string SpeedText(double metresPerSecond);
// "86,412 -> 3,904 points".
std::string CountChange(std::int64_t before, std::int64_t after, const char* what);
