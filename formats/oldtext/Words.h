// SPDX-License-Identifier: GPL-3.0-or-later
// What the CompeGPS and PCX5 text files share: lines of blank-separated
// words led by a letter, dates written "25-MAY-02", and positions as degrees
// with a hemisphere letter.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "core/time/utc_time.h"

// The text without its leading blanks and tabs, nor its trailing blanks,
// tabs and carriage return.
std::string_view Trimmed(std::string_view text);

// The blank-separated words of a line (blanks and tabs), at most `most`:
// the last then holds the rest of the line, its trailing blanks cut.
std::vector<std::string_view> Words(std::string_view line, std::size_t most);

// "DD-MMM-YY" (English month abbreviations, any case) and "hh:mm:ss", the
// two-digit year below `pivot` in the 2000s; nothing when either is no such
// date or time.
std::optional<UtcTime> NamedMonthTime(std::string_view date, std::string_view time, int pivot);

// Degrees and their hemisphere letter, which ends or starts the word
// ("45.78ºN", "N4807.123" with minutes): the angle, negative south and west,
// or nothing when the word is no such angle or lies beyond `limit` degrees.
enum class AngleForm { DecimalDegrees, DegreesMinutes };
std::optional<double> HemisphereAngle(std::string_view word, char positive, char negative, AngleForm form,
                                      double limit);
