#include "core/number_format.h"

#include <charconv>
#include <string_view>

namespace {
constexpr int kMaxFastDecimals = 17;
constexpr double kPowersOfTen[kMaxFastDecimals + 1] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,
                                                       1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17};

// Appends the text [first, end) after blanks up to `width`. The blanks go into
// the buffer in front of the text when they fit there (the buffer starts at
// `begin`), so that one append takes the whole column.
void AppendAligned(std::string& out, char* begin, char* first, char* end, int width)
{
    std::ptrdiff_t blanks = width - (end - first);
    if (blanks > 0 && blanks <= first - begin) {
        while (blanks-- > 0) *--first = ' ';
    } else if (blanks > 0) {
        out.append(static_cast<std::size_t>(blanks), ' ');
    }
    out.append(first, end);
}

// Writes the digits of value backwards, ending at `end`, at least `minimum` of them.
char* DigitsBefore(char* end, std::uint64_t value, int minimum)
{
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
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

// The general route, for values beyond the fast one: correctly rounded
// decimal conversion of the exact value.
void AppendRealSlowly(std::string& out, double value, int width, int decimals)
{
    char buffer[400];  // the largest double in fixed notation with a few decimals fits
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) {
        buffer[0] = '0';
        AppendAligned(out, buffer, buffer, buffer + 1, width);
        return;
    }
    char* first = buffer;
    if (*first == '-' && std::string_view(buffer + 1, result.ptr).find_first_not_of("0.") == std::string_view::npos)
        ++first;
    AppendAligned(out, buffer, first, result.ptr, width);
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

void AppendInt(std::string& out, std::int64_t value, int width)
{
    char buffer[64];
    char* const end = buffer + sizeof buffer;
    char* first = DigitsBefore(end, Magnitude(value), 1);
    if (value < 0) *--first = '-';
    AppendAligned(out, buffer, first, end, width);
}

// The exact product of the value and 10^decimals, rounded as the decimal
// conversion rounds, written as a whole number with the point set in.
void AppendReal(std::string& out, double value, int width, int decimals)
{
    std::int64_t whole = 0;
    if (decimals < 0 || decimals > kMaxFastDecimals || !RoundProduct(value, kPowersOfTen[decimals], whole)) {
        AppendRealSlowly(out, value, width, decimals);
        return;
    }
    char buffer[64];
    char* const end = buffer + sizeof buffer;
    const std::uint64_t magnitude = Magnitude(whole);
    const auto unit = static_cast<std::uint64_t>(kPowersOfTen[decimals]);
    char* first = end;
    if (decimals > 0) {
        first = DigitsBefore(first, magnitude % unit, decimals);
        *--first = '.';
    }
    first = DigitsBefore(first, magnitude / unit, 1);
    if (whole < 0) *--first = '-';
    AppendAligned(out, buffer, first, end, width);
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
