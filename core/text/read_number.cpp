// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/read_number.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {
std::string_view Unblanked(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// from_chars takes a minus only: a plus goes, unless another sign follows it.
std::optional<std::string_view> WithoutPlus(std::string_view text)
{
    if (text.empty() || text.front() != '+') return text;
    text.remove_prefix(1);
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) return std::nullopt;
    return text;
}

template <typename Number>
std::optional<Number> Parsed(std::string_view text)
{
    const auto unsigned_ = WithoutPlus(Unblanked(text));
    if (!unsigned_ || unsigned_->empty()) return std::nullopt;
    const char* const end = unsigned_->data() + unsigned_->size();
    Number value{};
    const auto [stop, error] = std::from_chars(unsigned_->data(), end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

bool IsBlankText(std::string_view text) { return Unblanked(text).empty(); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

std::optional<double> ShortDecimal(std::string_view text)
{
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    constexpr std::size_t kExactDigits = 15;  // below 2^53
    // A sign, a point and the digits: a longer text has too many digits, and
    // is not looked through (a receiver's 17-digit coordinates).
    if (text.size() > kExactDigits + 2) return std::nullopt;
    const char* p = text.data();
    const char* const end = p + text.size();
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+')) ++p;
    std::uint64_t digits = 0;
    const char* const whole = p;
    while (p != end && IsDigit(*p)) digits = digits * 10 + static_cast<std::uint64_t>(*p++ - '0');
    std::size_t count = static_cast<std::size_t>(p - whole);
    std::size_t decimals = 0;
    if (p != end && *p == '.') {
        const char* const fraction = ++p;
        while (p != end && IsDigit(*p)) digits = digits * 10 + static_cast<std::uint64_t>(*p++ - '0');
        decimals = static_cast<std::size_t>(p - fraction);
        count += decimals;
    }
    if (p != end || count == 0 || count > kExactDigits) return std::nullopt;
    const double value = static_cast<double>(digits) / kPowers[decimals];
    return negative ? -value : value;
}

std::optional<double> ReadDecimal(std::string_view text)
{
    if (const auto shortcut = ShortDecimal(Unblanked(text))) return shortcut;
    const auto value = Parsed<double>(text);
    // from_chars reads "nan" and "inf" too; neither is a value of these files.
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

std::optional<std::int32_t> ReadInteger(std::string_view text) { return Parsed<std::int32_t>(text); }

std::optional<double> UnreadableValues::Decimal(std::string_view text)
{
    if (IsBlankText(text)) return std::nullopt;
    const auto value = ReadDecimal(text);
    if (!value) Count();
    return value;
}

std::optional<std::int32_t> UnreadableValues::Integer(std::string_view text)
{
    if (IsBlankText(text)) return std::nullopt;
    const auto value = ReadInteger(text);
    if (!value) Count();
    return value;
}

void UnreadableValues::AddTo(Findings& findings) const
{
    if (count_ == 0) return;
    findings.Add(FindingKind::Skipped,
                 std::string(what_) + " of " + std::to_string(count_) + (count_ == 1 ? " point" : " points") +
                     " unreadable: left out",
                 count_);
}
