// SPDX-License-Identifier: GPL-3.0-or-later
// ASCII text written in 16-bit units (UTF-16, as some Windows tools write
// their logs), read as a byte per character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class TextUnits : std::uint8_t { Bytes, Utf16LittleEndian, Utf16BigEndian };

struct UnitsFound {
    TextUnits units = TextUnits::Bytes;
    std::size_t markSize = 0;  // the byte-order mark's bytes, before the first character
};

// The units of a text from its first bytes: those of a UTF-16 byte-order
// mark, else 16-bit ones where the first characters are ASCII with a zero
// byte each, else bytes.
UnitsFound UnitsOf(std::string_view start);

// What a 16-bit unit that is not ASCII becomes, and an odd byte at the end:
// a byte no ASCII text holds.
inline constexpr char kNotAscii = '\x80';

// The characters of the whole units of `bytes`, a byte each, appended to
// `text`; an odd last byte is left out.
void AppendUnits(std::string_view bytes, TextUnits units, std::string& text);
// A whole text after its mark, an odd last byte as kNotAscii.
std::string TextOfUnits(std::string_view bytes, TextUnits units);
