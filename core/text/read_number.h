// SPDX-License-Identifier: GPL-3.0-or-later
// The one reader of the numbers text formats write: a number and nothing
// else, blanks around it aside, or nothing at all. A reader never turns what
// is not a number into one: an empty or damaged latitude leaves its point
// out, an empty or damaged optional value leaves that value unset.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/document/findings.h"

// A whole number or one with a point, with few digits and no exponent, as
// nearly all in these files are: its digits as a whole number m and a power
// of ten p are both exact doubles, so the one division m / p is the correctly
// rounded value, the same that a full decimal conversion gives. Nothing for
// any other text (which a full conversion then reads).
std::optional<double> ShortDecimal(std::string_view text);

// A decimal number (sign, digits, point, exponent) as the nearest double;
// nothing for an empty text, any other character, "nan" or "inf", or a
// value beyond the range of a double (above it, or so small it would be 0).
std::optional<double> ReadDecimal(std::string_view text);
// A whole decimal number with an optional sign; nothing for anything else
// or a value beyond 32 bits.
std::optional<std::int32_t> ReadInteger(std::string_view text);

// The optional values of one kind that a file's points hold as something
// other than a number: each is left unset and counted, and told once.
class UnreadableValues {
public:
    // `what`: the values, in the plural ("elevations").
    explicit UnreadableValues(const char* what) : what_(what) {}
    // The number; nothing when the text is blank (no value given) and
    // nothing, counted, when it holds anything else.
    std::optional<double> Decimal(std::string_view text);
    std::optional<std::int32_t> Integer(std::string_view text);
    // A value of this kind that the reader could not use otherwise.
    void Count() { ++count_; }
    // "elevations of 2 points unreadable: left out", as data left out.
    void AddTo(Findings& findings) const;

private:
    const char* what_;
    std::int64_t count_ = 0;
};
