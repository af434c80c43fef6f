// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/json_text.h"

#include <cmath>
#include <cstdio>

#include "core/text/number_format.h"
#include "core/text/text_encoding.h"
#include "formats/geojson/GeoJson.h"

std::string JsonString(std::string_view text)
{
    std::string out;
    AppendJsonString(out, text);
    return out;
}

namespace {
std::string Latin1(std::string_view bytes)
{
    std::string utf8;
    for (const char c : bytes) AppendUtf8(utf8, static_cast<unsigned char>(c));
    return JsonString(utf8);
}

std::string Hex(std::string_view bytes)
{
    constexpr char kHex[] = "0123456789abcdef";
    std::string text = "\"";
    for (const char c : bytes) {
        text += kHex[static_cast<unsigned char>(c) >> 4];
        text += kHex[static_cast<unsigned char>(c) & 0xF];
    }
    return text + "\"";
}
}  // namespace

std::string JsonFileName(const std::string& key, std::string_view name)
{
    if (IsUtf8(name)) return JsonString(key) + ": " + JsonString(name);
    return JsonString(key) + ": " + Latin1(name) + ", " + JsonString(key + "_bytes") + ": " + Hex(name);
}

std::string JsonFileNames(const std::string& key, const std::vector<std::string>& names)
{
    std::string list = "[", bytes = "[";
    bool allUtf8 = true;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const bool utf8 = IsUtf8(names[i]);
        allUtf8 = allUtf8 && utf8;
        list += (i == 0 ? "" : ", ") + (utf8 ? JsonString(names[i]) : Latin1(names[i]));
        bytes += (i == 0 ? "" : ", ") + (utf8 ? std::string("null") : Hex(names[i]));
    }
    std::string text = JsonString(key) + ": " + list + "]";
    return allUtf8 ? text : text + ", " + JsonString(key + "_bytes") + ": " + bytes + "]";
}

std::string JsonNumber(double value, int decimals)
{
    if (!std::isfinite(value)) return "null";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Grouped(std::int64_t value) { return GroupedInt(value); }
