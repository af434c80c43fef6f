// SPDX-License-Identifier: GPL-3.0-or-later
// NMEA 0183 logs of RMC and GGA sentences, read as one track.
#pragma once

#include "core/format_rows.h"

#include <cstddef>
#include <string>
#include <string_view>

// `timesLeftOut`: the output leaves out the time of a point without a date
// (rather than dating it today, as the native files do), for the count line.
void ReadNmeaLogFile(const std::string& fileName, bool timesLeftOut = false);

// True when the text holds an RMC or GGA sentence of any talker.
bool HoldsNmeaFix(std::string_view text);

// How many leading characters of a ddmm.mmm position field (dddmm.mmm for a
// longitude: `paddedDegreeDigits` 3) are degrees. Some writers leave out the
// leading zeros ("921.186" for 9 degrees 21.186 minutes): the minutes are
// always the last two digits of the whole part, so a shorter whole part is
// read by value. Any other field splits as a zero-padded one.
std::size_t DegreeDigits(std::string_view field, std::size_t paddedDegreeDigits);

ReadResult ReadNmeaLogFile(const InputSource& source, const ReadOptions& options);
