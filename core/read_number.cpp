// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/read_number.h"

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
}  // namespace

std::optional<double> ReadDecimal(std::string_view text)
{
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
