// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/import/nmea_fields.h"

#include "core/text/read_number.h"

#include <charconv>
#include <cmath>

#include "core/text/text_fields.h"
#include "core/time/clock.h"

namespace {
constexpr std::int64_t kSecondsPerDay = 86400;

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// Texts other than plain decimals go the long way.
template <typename Number>
std::optional<Number> ParsedExactly(std::string_view text)
{
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}
}  // namespace

std::optional<DayTime> DayTimeOf(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.size() < 6 || (text.size() > 6 && text[6] != '.')) return std::nullopt;
    unsigned part[3];
    for (int i = 0; i < 3; ++i) {
        const unsigned tens = static_cast<unsigned char>(text[2 * i]) - '0';
        const unsigned ones = static_cast<unsigned char>(text[2 * i + 1]) - '0';  // a byte that is no digit: above 9
        if (tens > 9 || ones > 9) return std::nullopt;
        part[i] = tens * 10 + ones;
    }
    if (part[0] > 23 || part[1] > 59 || part[2] > 59) return std::nullopt;
    DayTime time{static_cast<std::int32_t>(part[0] * 3600 + part[1] * 60 + part[2]), 0};
    std::int32_t scale = 100000000;
    for (std::size_t i = 7; i < text.size(); ++i, scale /= 10) {
        const unsigned digit = static_cast<unsigned char>(text[i]) - '0';
        if (digit > 9) return std::nullopt;
        time.nanoseconds += static_cast<std::int32_t>(digit) * scale;  // past nine digits, scale is 0
    }
    return time;
}

UtcTime TimeAt(std::int64_t day, DayTime time)
{
    return {(day - static_cast<std::int64_t>(kUnixEpochDay)) * kSecondsPerDay + time.seconds, time.nanoseconds};
}

double Decimal(std::string_view text)
{
    const auto plain = ShortDecimal(text);
    return plain ? *plain : TextToFloat(text);
}

std::optional<double> ExactDouble(std::string_view text)
{
    text = Trimmed(text);
    if (const auto plain = ShortDecimal(text)) return plain;
    return ParsedExactly<double>(text);
}
