// SPDX-License-Identifier: GPL-3.0-or-later
// Text helpers shared by every text format: trimming, padding, comma and
// blank separated fields. Their numbers are read by core/text/read_number.h.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// What the input holds cannot be taken at all (a count that is no number,
// more tracks than a conversion writes files): the conversion ends with it.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string TrimLeftSpaces(std::string_view text);
std::string TrimRightSpaces(std::string_view text);
std::string TrimSpaces(std::string_view text);
bool IsBlank(std::string_view text);
std::string UpperText(std::string_view text);
std::string PadLeftZeros(std::string_view text, int width);
std::string PadRightSpaces(std::string_view text, int width);
std::string ProgramFolder();

std::string GetField(std::string_view line, int n, std::string_view defaultValue);
std::string GetSpaceField(std::string_view line, int n, std::string_view defaultValue);

// The comma fields of one line, located once: the same results as GetField
// on that line, without scanning it again for every column.
class CommaFields {
public:
    explicit CommaFields(std::string_view line);
    std::string Text(int n, std::string_view defaultValue) const;
    // Text's result as a view into the line (or into defaultValue), without a
    // copy. Inline: every field a reader takes comes through here.
    std::string_view View(int n, std::string_view defaultValue) const
    {
        const auto field = Field(n);
        if (!field || field->empty()) return defaultValue;
        std::string_view text = *field;
        while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
        while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
        return text;
    }

private:
    static constexpr int kKept = 32;  // fields beyond these are looked up in the line
    std::string_view line_;
    std::size_t commas_[kKept];  // where the first commas are; only commaCount_ of them are set
    int commaCount_ = 0;
    std::optional<std::string_view> Field(int n) const
    {
        if (n < 1 || (commaCount_ < kKept && n > commaCount_ + 1)) return std::nullopt;
        if (n > kKept) return FieldPastKept(n);  // the kept commas end before this field does
        const std::size_t begin = n == 1 ? 0 : commas_[n - 2] + 1;
        const std::size_t end = n <= commaCount_ ? commas_[n - 1] : line_.size();
        return std::string_view(line_.data() + begin, end - begin);
    }
    std::optional<std::string_view> FieldPastKept(int n) const;
};

// `count` characters of `text` from `from` on, as many as there are; empty past its end.
inline std::string_view Part(std::string_view text, std::size_t from, std::size_t count = std::string_view::npos)
{
    return from >= text.size() ? std::string_view{} : text.substr(from, count);
}

// The tolerant reading of the NMEA logs, which they alone still use: commas
// are points, and text after the digits gives the digits read so far as one
// whole number. Raises ConversionError when the exponent overflows.
double TextToFloat(std::string_view text);
