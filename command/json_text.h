// SPDX-License-Identifier: GPL-3.0-or-later
// The small texts the command builds for people and programs: JSON strings
// and numbers, and whole numbers with thousands separators.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A JSON string, quoted; bytes that are not UTF-8 become U+FFFD, so that the
// document stays valid whatever a file name holds.
std::string JsonString(std::string_view text);
// A JSON number: fixed with the decimals given, or null when not finite.
std::string JsonNumber(double value, int decimals);
// 2108 as "2,108".
std::string Grouped(std::int64_t value);
