// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/number_format.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <string_view>

namespace {
constexpr double kPowersOfTen[kMaxNotationDecimals + 1] = {1e0, 1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,
                                                           1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17};

// Writes the digits of value backwards, ending at `end`, at least `minimum` of them.
char* DigitsBefore(char* end, std::uint64_t value, int minimum)
{
    static constexpr char kPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                     "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                                     "8081828384858687888990919293949596979899";
    char* first = end;
    while (value >= 100) {
        const std::size_t pair = static_cast<std::size_t>(value % 100) * 2;
        value /= 100;
        *--first = kPairs[pair + 1];
        *--first = kPairs[pair];
    }
    if (value >= 10) {
        *--first = kPairs[value * 2 + 1];
        *--first = kPairs[value * 2];
    } else {
        *--first = static_cast<char>('0' + value);
    }
    while (end - first < minimum) *--first = '0';
    return first;
}

std::uint64_t Magnitude(std::int64_t value)
{
    return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

// Blanks up to `width`, then the text [first, last).
char* WriteAligned(char* out, const char* first, const char* last, int width)
{
    for (std::ptrdiff_t blanks = width - (last - first); blanks > 0; --blanks) *out++ = ' ';
    std::memcpy(out, first, static_cast<std::size_t>(last - first));
    return out + (last - first);
}

int DigitCount(std::uint64_t value)
{
    static constexpr std::uint64_t kPowers[] = {1ull,
                                                10ull,
                                                100ull,
                                                1000ull,
                                                10000ull,
                                                100000ull,
                                                1000000ull,
                                                10000000ull,
                                                100000000ull,
                                                1000000000ull,
                                                10000000000ull,
                                                100000000000ull,
                                                1000000000000ull,
                                                10000000000000ull,
                                                100000000000000ull,
                                                1000000000000000ull,
                                                10000000000000000ull,
                                                100000000000000000ull,
                                                1000000000000000000ull,
                                                10000000000000000000ull};
    if (value < 10) return 1;
    const int estimate = (64 - std::countl_zero(value)) * 1233 >> 12;  // log10 from log2, at most one short
    return estimate + (value >= kPowers[estimate] ? 1 : 0);
}

// Room for a number of `length` characters right-aligned in `width`: the
// blanks are written, eight at a time (the text written next covers any
// over-run), and the end of the column is returned.
char* ColumnEnd(char* out, int length, int width)
{
    const int blanks = width - length;
    for (int i = 0; i < blanks; i += 8) std::memcpy(out + i, "        ", 8);
    return out + (blanks > 0 ? blanks : 0) + length;
}

// Wide columns, beyond what the fast route writes.
void AppendRightAligned(std::string& out, std::string_view text, int width)
{
    if (width > static_cast<int>(text.size())) out.append(static_cast<std::size_t>(width) - text.size(), ' ');
    out += text;
}

// The general route, for values beyond the fast one: correctly rounded
// decimal conversion of the exact value, without a sign before a zero.
std::to_chars_result RealText(char* first, char* last, double value, int decimals)
{
    auto result = std::to_chars(first, last, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) {
        *first = '0';
        return {first + 1, std::errc()};
    }
    if (*first == '-' && std::string_view(first + 1, result.ptr).find_first_not_of("0.") == std::string_view::npos) {
        std::memmove(first, first + 1, static_cast<std::size_t>(result.ptr - first - 1));
        --result.ptr;
    }
    return result;
}
}  // namespace

bool RoundProduct(double value, double scale, std::int64_t& whole)
{
    const double product = value * scale;
    if (!(std::fabs(product) < 0x1p52)) return false;
    // Below 2^52 in size, adding and taking away 2^52 rounds to the nearest
    // whole number, halves to the even one, as the default rounding mode does.
    double rounded = product >= 0 ? (product + 0x1p52) - 0x1p52 : (product - 0x1p52) + 0x1p52;
    // Only a product that lands exactly on a half can have been pushed there
    // by its own rounding: its exact error, which fma gives, tells the side.
    if (std::fabs(product - rounded) == 0.5) {
        const double error = std::fma(value, scale, -product);
        if (error != 0) rounded = std::floor(product) + (error > 0 ? 1 : 0);
    }
    whole = static_cast<std::int64_t>(rounded);
    return true;
}

// The digits are written backwards from the end of the column, in place.
char* WriteInt(char* out, std::int64_t value, int width)
{
    const std::uint64_t magnitude = Magnitude(value);
    const int length = DigitCount(magnitude) + (value < 0 ? 1 : 0);
    char* const end = ColumnEnd(out, length, std::min(width, kMaxNotationWidth));
    char* const first = DigitsBefore(end, magnitude, 1);
    if (value < 0) first[-1] = '-';
    return end;
}

// The exact product of the value and 10^decimals, rounded as the decimal
// conversion rounds, written as a whole number with the point set in.
char* WriteReal(char* out, double value, int width, int decimals)
{
    decimals = std::clamp(decimals, 0, kMaxNotationDecimals);
    width = std::min(width, kMaxNotationWidth);
    std::int64_t whole = 0;
    if (!RoundProduct(value, kPowersOfTen[decimals], whole)) {
        char text[kMaxNotationLength];
        return WriteAligned(out, text, RealText(text, text + sizeof text, value, decimals).ptr, width);
    }
    const std::uint64_t magnitude = Magnitude(whole);
    const auto unit = static_cast<std::uint64_t>(kPowersOfTen[decimals]);
    const std::uint64_t units = magnitude / unit;
    const int length = (whole < 0 ? 1 : 0) + DigitCount(units) + (decimals > 0 ? 1 + decimals : 0);
    char* const end = ColumnEnd(out, length, width);
    char* first = end;
    if (decimals > 0) {
        first = DigitsBefore(first, magnitude % unit, decimals);
        *--first = '.';
    }
    first = DigitsBefore(first, units, 1);
    if (whole < 0) first[-1] = '-';
    return end;
}

double DecimalOfFloat(float value)
{
    char digits[64];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    double decimal = value;
    std::from_chars(digits, end, decimal);
    return decimal;
}

void AppendInt(std::string& out, std::int64_t value, int width)
{
    if (width > kMaxNotationWidth) {
        AppendRightAligned(out, FormatInt(value, 0), width);
        return;
    }
    char text[kMaxNotationLength];
    out.append(text, WriteInt(text, value, width));
}

void AppendReal(std::string& out, double value, int width, int decimals)
{
    if (decimals < 0 || decimals > kMaxNotationDecimals || width > kMaxNotationWidth) {
        std::string text(kMaxNotationLength + static_cast<std::size_t>(std::max(decimals, 0)), '\0');
        text.resize(static_cast<std::size_t>(RealText(text.data(), text.data() + text.size(), value, decimals).ptr -
                                             text.data()));
        AppendRightAligned(out, text, width);
        return;
    }
    char text[kMaxNotationLength];
    out.append(text, WriteReal(text, value, width, decimals));
}

std::string FormatInt(std::int64_t value, int width)
{
    std::string s;
    AppendInt(s, value, width);
    return s;
}

std::string FormatReal(double value, int width, int decimals)
{
    std::string s;
    AppendReal(s, value, width, decimals);
    return s;
}

std::string GroupedInt(std::int64_t value)
{
    const std::string digits = std::to_string(value < 0 ? -value : value);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return value < 0 ? "-" + out : out;
}
