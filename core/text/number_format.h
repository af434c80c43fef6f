// SPDX-License-Identifier: GPL-3.0-or-later
// The number notations of the native text files and the one rounding routine.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

// Rounds to the nearest integer, exact halves to the even neighbour. Defined
// for every input: not a finite number gives `missing`, a value beyond the
// type's range is held at its limit.
template <typename Int>
Int RoundHalfEven(double value, Int missing)
{
    if (!std::isfinite(value)) return missing;
    const double rounded = std::nearbyint(value);  // the default rounding mode is to nearest, ties to even
    if (rounded <= static_cast<double>(std::numeric_limits<Int>::min())) return std::numeric_limits<Int>::min();
    if (rounded >= static_cast<double>(std::numeric_limits<Int>::max())) return std::numeric_limits<Int>::max();
    return static_cast<Int>(rounded);
}

// value x scale rounded to the nearest whole number, exact halves to the even
// one, judged on the exact product (not on the product rounded to a double);
// false when the product is not finite or beyond 2^52 in size.
bool RoundProduct(double value, double scale, std::int64_t& whole);

// The decimal a float stands for, as a double: 209.8f gives 209.8, not
// 209.8000030517578, so that a value a file keeps as a float is taken as written.
double DecimalOfFloat(float value);

// Integer of width w: right-aligned by blanks, never cut; width 0 adds nothing.
void AppendInt(std::string& out, std::int64_t value, int width);
// Real w.d: fixed-point with exactly d decimals and a full stop, right-aligned
// by blanks; no decimal point when d is 0. A value that rounds to zero is
// written without a sign.
void AppendReal(std::string& out, double value, int width, int decimals);

std::string FormatInt(std::int64_t value, int width);
// 2108 as "2,108": counts as the product prints them to the user.
std::string GroupedInt(std::int64_t value);
std::string FormatReal(double value, int width, int decimals);

// The same notations written into a line being built, for writers that put
// many columns on a line: `out` needs room for kMaxNotationLength characters,
// and each returns the end of what it wrote. Widths go up to
// kMaxNotationWidth, decimals up to kMaxNotationDecimals (beyond, the limit is
// taken).
inline constexpr int kMaxNotationWidth = 32;
inline constexpr int kMaxNotationDecimals = 17;
inline constexpr std::size_t kMaxNotationLength = 330;  // the largest double with 17 decimals
char* WriteInt(char* out, std::int64_t value, int width);
char* WriteReal(char* out, double value, int width, int decimals);
