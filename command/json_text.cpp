// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/json_text.h"

#include <cmath>
#include <cstdio>

#include "formats/geojson/GeoJson.h"

std::string JsonString(std::string_view text)
{
    std::string out;
    AppendJsonString(out, text);
    return out;
}

std::string JsonNumber(double value, int decimals)
{
    if (!std::isfinite(value)) return "null";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Grouped(std::int64_t value)
{
    const std::string digits = std::to_string(value < 0 ? -value : value);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return value < 0 ? "-" + out : out;
}
