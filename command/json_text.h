// SPDX-License-Identifier: GPL-3.0-or-later
// The small texts the command builds for people and programs: JSON strings
// and numbers, and whole numbers with thousands separators.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A JSON string, quoted; bytes that are not UTF-8 become U+FFFD, so that the
// document stays valid whatever a text holds.
std::string JsonString(std::string_view text);
// A member `"key": "NAME"` for a file name. A name that is not UTF-8 is given
// read as Latin-1 (each byte one character), followed by the member
// `"key_bytes": "HEX"` of its exact bytes, so that no two names collide.
std::string JsonFileName(const std::string& key, std::string_view name);
// The same for a list of names: `"key_bytes"` then holds the bytes of each
// name that is not UTF-8, null for the others.
std::string JsonFileNames(const std::string& key, const std::vector<std::string>& names);
// A JSON number: fixed with the decimals given, or null when not finite.
std::string JsonNumber(double value, int decimals);
// 2108 as "2,108".
std::string Grouped(std::int64_t value);
