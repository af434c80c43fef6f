// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/document/DocumentText.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <type_traits>
#include <vector>

#include "core/text/read_number.h"
#include "core/text/text_encoding.h"
#include "core/text/text_fields.h"
#include "core/time/clock.h"
#include "core/time/utc_time.h"

namespace doctext {
bool IsXmlBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

namespace {
std::string_view TrimXmlBlanks(std::string_view text)
{
    while (!text.empty() && IsXmlBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsXmlBlank(text.back())) text.remove_suffix(1);
    return text;
}

// `value` rounded to `decimals` places, as the integer of its scaled
// digits, when the product with the power of ten is near enough to round
// without doubt and the double's spacing is finer than the last place (its
// shortest form then has no more decimals than its rounded one): the common
// case of an elevation or a speed, without the general conversion's cost.
std::optional<std::int64_t> ScaledDigits(double value, int decimals)
{
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    if (decimals < 0 || decimals >= static_cast<int>(std::size(kPowers))) return std::nullopt;
    const double scaled = value * kPowers[decimals];
    if (!(std::fabs(scaled) < 0x1p52)) return std::nullopt;  // NaN too
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;  // exact below 2^52
    // The product is within half a unit in its last place of the exact one: far more stays on the safe side.
    if (std::fabs(fraction - 0.5) <= std::fabs(scaled) * 0x1p-48 + 0x1p-60) return std::nullopt;
    return static_cast<std::int64_t>(whole) + (fraction > 0.5 ? 1 : 0);
}

// The digits of `value`'s shortest decimal, scaled by ten to the `decimals`
// at most, where one division reads them back: scaled they are an integer
// below 2^53, so that the division by the power of ten, both exact, rounds
// once as reading does. The double's spacing finer than the last place lets
// no other decimal of as many places read back as the value: these digits,
// trailing zeros dropped, are the shortest. Fixes from a handheld, typed
// coordinates and most converted ones take this way.
struct Digits {
    std::int64_t scaled;
    int places;
};

std::optional<Digits> ExactDigits(double value, int decimals)
{
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const double magnitude = std::fabs(value);
    if (!(magnitude < 0x1p52) || decimals < 0) return std::nullopt;  // NaN too
    int places = std::min(decimals, static_cast<int>(std::size(kPowers)) - 1);
    while (places > 0 && magnitude * kPowers[places] >= 0x1p53) --places;
    // Both factors are exact and so is their product: a power of two times a power of ten below 2^53.
    const double spacing = std::bit_cast<double>(std::bit_cast<std::uint64_t>(magnitude) + 1) - magnitude;
    if (!(spacing * kPowers[places] < 1)) return std::nullopt;
    const double scaled = std::round(magnitude * kPowers[places]);
    if (scaled / kPowers[places] != magnitude) return std::nullopt;
    const auto digits = static_cast<std::int64_t>(scaled);
    return Digits{value < 0 ? -digits : digits, places};
}

char* PutScaled(char* at, std::int64_t digits, int decimals)
{
    if (digits < 0) *at++ = '-';
    auto magnitude = digits < 0 ? 0 - static_cast<std::uint64_t>(digits) : static_cast<std::uint64_t>(digits);
    // Trailing zeros of the decimals go before the digits are written.
    while (decimals > 0 && magnitude % 10 == 0) {
        magnitude /= 10;
        --decimals;
    }
    char* const start = at;
    char* end = std::to_chars(start, start + 24, magnitude).ptr;
    if (decimals == 0) return end;
    const auto places = static_cast<std::ptrdiff_t>(decimals);
    if (end - start <= places) {  // zeros before the digits, a whole part of 0 included
        const std::ptrdiff_t zeros = places + 1 - (end - start);
        std::memmove(start + zeros, start, static_cast<std::size_t>(end - start));
        std::memset(start, '0', static_cast<std::size_t>(zeros));
        end += zeros;
    }
    char* const point = end - places;
    std::memmove(point + 1, point, static_cast<std::size_t>(places));
    *point = '.';
    return end + 1;
}

template <typename Real>
char* PutShortest(char* const first, Real value, int maxDecimals)
{
    if constexpr (std::is_same_v<Real, double>) {
        if (const auto digits = ScaledDigits(value, maxDecimals)) return PutScaled(first, *digits, maxDecimals);
        if (const auto exact = ExactDigits(value, maxDecimals)) return PutScaled(first, exact->scaled, exact->places);
    }
    char* end = std::to_chars(first, first + kDecimalRoom, value, std::chars_format::fixed).ptr;
    if (end - std::find(first, end, '.') > maxDecimals + 1) {
        end = std::to_chars(first, first + kDecimalRoom, value, std::chars_format::fixed, maxDecimals).ptr;
        // Without decimals there is no point, and a zero may be the last digit.
        while (maxDecimals > 0 && end[-1] == '0') --end;
        if (end[-1] == '.') --end;
    }
    if (*first == '-' && std::all_of(first + 1, end, [](char c) { return c == '0' || c == '.'; })) {  // no "-0"
        std::memmove(first, first + 1, static_cast<std::size_t>(end - first - 1));
        --end;
    }
    return end;
}

bool XmlAllows(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}
}  // namespace

namespace {
// Printable ASCII other than the characters XML escapes: copied as it stands.
constexpr bool Plain(unsigned char c) { return c >= 0x20 && c < 0x80 && c != '&' && c != '<' && c != '>' && c != '"'; }
}  // namespace

void AppendEscapedUtf8(std::string& out, std::string_view utf8)
{
    // Runs of plain characters go in at once; the walk takes the rest.
    std::size_t plain = 0;
    while (plain < utf8.size() && Plain(static_cast<unsigned char>(utf8[plain]))) ++plain;
    out.append(utf8.substr(0, plain));
    if (plain == utf8.size()) return;
    WalkUtf8(utf8.substr(plain), [&out](char32_t c, std::string_view bytes) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\r': out += "&#13;"; break;  // a raw CR would read back as LF
        default:
            if (XmlAllows(c)) out += bytes;
        }
    });
}

char* PutDecimal(char* at, double value, int maxDecimals) { return PutShortest(at, value, maxDecimals); }

void AppendDecimal(std::string& out, double value, int maxDecimals)
{
    char text[kDecimalRoom];
    out.append(text, static_cast<std::size_t>(PutShortest(text, value, maxDecimals) - text));
}

void AppendDecimal(std::string& out, float value, int maxDecimals)
{
    char text[kDecimalRoom];
    out.append(text, static_cast<std::size_t>(PutShortest(text, value, maxDecimals) - text));
}

std::optional<double> ParseDecimal(std::string_view text)
{
    text = TrimXmlBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars would also take a sign, "nan" and "inf": only digits or a point may start.
    if (text.empty() || !((text.front() >= '0' && text.front() <= '9') || text.front() == '.')) return std::nullopt;
    double value = 0;
    if (const auto shortValue = ShortDecimal(text)) {
        value = *shortValue;
    } else {
        const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
        if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value))
            return std::nullopt;
    }
    return negative ? -value : value;
}

}  // namespace doctext
