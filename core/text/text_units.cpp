// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/text_units.h"

#include <algorithm>

namespace {
// Units looked at, at most, to tell 16-bit text without a mark.
constexpr std::size_t kUnitsLookedAt = 4;

bool Ascii(unsigned char c) { return c != 0 && c < 0x80; }

// The first units (at least two) are ASCII characters whose zero byte is the high one.
bool AsciiUnits(std::string_view start, std::size_t low)
{
    const std::size_t units = std::min(start.size() / 2, kUnitsLookedAt);
    if (units < 2) return false;
    for (std::size_t i = 0; i < units; ++i)
        if (!Ascii(static_cast<unsigned char>(start[2 * i + low])) || start[2 * i + 1 - low] != 0) return false;
    return true;
}
}  // namespace

UnitsFound UnitsOf(std::string_view start)
{
    if (start.starts_with("\xFF\xFE")) return {TextUnits::Utf16LittleEndian, 2};
    if (start.starts_with("\xFE\xFF")) return {TextUnits::Utf16BigEndian, 2};
    if (AsciiUnits(start, 0)) return {TextUnits::Utf16LittleEndian, 0};
    if (AsciiUnits(start, 1)) return {TextUnits::Utf16BigEndian, 0};
    return {};
}

void AppendUnits(std::string_view bytes, TextUnits units, std::string& text)
{
    const std::size_t count = bytes.size() / 2;
    const std::size_t low = units == TextUnits::Utf16LittleEndian ? 0 : 1;
    const std::size_t start = text.size();
    text.resize(start + count);
    char* out = text.data() + start;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = 0; i < count; ++i, in += 2) {
        const unsigned char c = in[low];
        out[i] = in[1 - low] == 0 && c < 0x80 ? static_cast<char>(c) : kNotAscii;
    }
}

std::string TextOfUnits(std::string_view bytes, TextUnits units)
{
    std::string text;
    text.reserve(bytes.size() / 2 + 1);
    AppendUnits(bytes, units, text);
    if (bytes.size() % 2 != 0) text += kNotAscii;
    return text;
}
