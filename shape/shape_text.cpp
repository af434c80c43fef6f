// SPDX-License-Identifier: GPL-3.0-or-later
#include "shape/shape_text.h"

#include <charconv>
#include <cmath>
#include <utility>
#include <vector>

#include "core/document/point.h"
#include "core/text/number_format.h"

namespace {
std::string Trimmed(const std::string& text)
{
    const std::size_t from = text.find_first_not_of(" \t");
    if (from == std::string::npos) return {};
    return text.substr(from, text.find_last_not_of(" \t") + 1 - from);
}

// A finite number followed by one of the units (factor per unit); "" is the bare number's unit.
std::optional<double> Quantity(const std::string& typed, const std::vector<std::pair<const char*, double>>& units)
{
    const std::string text = Trimmed(typed);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || !std::isfinite(value) || value < 0) return std::nullopt;
    const std::string unit = Trimmed(std::string(end, text.data() + text.size()));
    for (const auto& [name, factor] : units)
        if (unit == name) return value * factor;
    return std::nullopt;
}

double Decimals(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

std::string Trim(std::string number)
{
    if (number.find('.') == std::string::npos) return number;
    while (number.back() == '0') number.pop_back();
    if (number.back() == '.') number.pop_back();
    return number;
}
}  // namespace

std::optional<double> ParseLength(const std::string& text)
{
    return Quantity(text, {{"", 1}, {"m", 1}, {"km", 1000}, {"ft", 0.3048}, {"mi", 1609.344}});
}

std::optional<double> ParseDuration(const std::string& text)
{
    return Quantity(text, {{"", 1}, {"s", 1}, {"m", 60}, {"min", 60}, {"h", 3600}, {"d", 86400}});
}

std::optional<double> ParseSpeed(const std::string& text)
{
    return Quantity(text, {{"kmh", 1 / 3.6}, {"km/h", 1 / 3.6}, {"m/s", 1}, {"mph", 0.44704}, {"kn", 1852 / 3600.0}});
}

std::optional<std::int64_t> ParseCount(const std::string& typed)
{
    std::string digits;
    for (const char c : Trimmed(typed))
        if (c != ',') digits += c;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size() || value < 1)
        return std::nullopt;
    return value;
}

std::optional<TimeWindow> ParseTimeWindow(const std::string& text)
{
    const std::size_t dots = text.find("..");
    if (dots == std::string::npos) return std::nullopt;
    TimeWindow window;
    const std::string from = Trimmed(text.substr(0, dots)), to = Trimmed(text.substr(dots + 2));
    if (!from.empty() && !(window.from = ParseIsoTime(from))) return std::nullopt;
    if (!to.empty() && !(window.to = ParseIsoTime(to))) return std::nullopt;
    if (window.from && window.to && *window.to < *window.from) return std::nullopt;
    return window;
}

bool Box::Holds(double latitude, double longitude) const
{
    if (!(latitude >= south && latitude <= north)) return false;
    if (west <= east) return longitude >= west && longitude <= east;
    return longitude >= west || longitude <= east;
}

std::optional<Box> ParseBox(const std::string& text)
{
    double values[4];
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = i < 3 ? text.find(',', at) : text.size();
        if (comma == std::string::npos) return std::nullopt;
        const std::string part = Trimmed(text.substr(at, comma - at));
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), values[i]);
        if (part.empty() || error != std::errc{} || end != part.data() + part.size()) return std::nullopt;
        at = comma + 1;
    }
    const Box box{values[0], values[1], values[2], values[3]};
    if (!ValidPosition(box.south, box.west) || !ValidPosition(box.north, box.east) || box.south > box.north)
        return std::nullopt;
    return box;
}

std::string LengthText(double metres)
{
    if (metres >= 1000) return Trim(FormatReal(Decimals(metres / 1000, 3), 0, 3)) + " km";
    return Trim(FormatReal(Decimals(metres, 3), 0, 3)) + " m";
}

std::string DurationText(double seconds)
{
    const auto whole = static_cast<std::int64_t>(std::llround(seconds));
    if (whole < 60 || whole % 60 != 0) return GroupedInt(whole) + " s";
    const std::int64_t minutes = whole / 60;
    if (minutes < 60) return std::to_string(minutes) + " min";
    const std::string hours = GroupedInt(minutes / 60) + " h";
    return minutes % 60 == 0 ? hours : hours + " " + std::to_string(minutes % 60) + " min";
}

std::string SpeedText(double metresPerSecond)
{
    return Trim(FormatReal(Decimals(metresPerSecond * 3.6, 3), 0, 3)) + " km/h";
}

std::string CountChange(std::int64_t before, std::int64_t after, const char* what)
{
    return GroupedInt(before) + " -> " + GroupedInt(after) + " " + what;
}
