// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/json_text.h"

#include <cmath>
#include <cstdio>

namespace {
// The length of the UTF-8 sequence at the start of text; 0 when there is none.
std::size_t Utf8Length(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(0);
    const std::size_t length = first < 0x80         ? 1
                               : (first >> 5) == 6  ? 2
                               : (first >> 4) == 14 ? 3
                               : (first >> 3) == 30 ? 4
                                                    : 0;
    if (length == 0 || length > text.size() || (length == 2 && first < 0xC2)) return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80) return 0;
    // No overlong three- or four-byte forms, no surrogates, nothing beyond U+10FFFF.
    if (length == 3 && ((first == 0xE0 && byte(1) < 0xA0) || (first == 0xED && byte(1) >= 0xA0))) return 0;
    if (length == 4 && ((first == 0xF0 && byte(1) < 0x90) || first > 0xF4 || (first == 0xF4 && byte(1) >= 0x90)))
        return 0;
    return length;
}
}  // namespace

std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t length = Utf8Length(text.substr(i));
        if (length == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out.append(text.substr(i, length));
        }
        i += length;
    }
    return out + "\"";
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
