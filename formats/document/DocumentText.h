// SPDX-License-Identifier: GPL-3.0-or-later
// Texts the written documents share (GPX, KML, GeoJSON, CSV): XML escaping
// and exact decimal numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace doctext {

// Appends UTF-8 text as XML character data: the special characters escaped
// (CR as a character reference, which a reader keeps), the characters XML
// forbids left out, and a byte that is not UTF-8 the replacement character U+FFFD.
void AppendEscapedUtf8(std::string& out, std::string_view utf8);

// XML's white space: blank, tab, CR and LF.
bool IsXmlBlank(char c);

// Decimals of a latitude or longitude (finer than any survey) and of an
// elevation in metres (a float's digits are used up well before).
inline constexpr int kPositionDecimals = 15;
inline constexpr int kElevationDecimals = 6;

// The shortest decimal that reads back as the same value, in fixed notation
// (never an exponent, never "-0"), rounded to at most maxDecimals decimals.
// The value must be finite.
void AppendDecimal(std::string& out, double value, int maxDecimals);
void AppendDecimal(std::string& out, float value, int maxDecimals);
// The room the text of a decimal may take: the fixed form of the largest double, rounded or not.
inline constexpr std::size_t kDecimalRoom = 400;
// AppendDecimal's text put at `at`, which has kDecimalRoom characters of room; returns its end.
char* PutDecimal(char* at, double value, int maxDecimals);

// A decimal number, blanks around it allowed; nothing for any other text,
// "nan", "inf" and values beyond a double included.
std::optional<double> ParseDecimal(std::string_view text);

}  // namespace doctext
