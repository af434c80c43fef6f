// SPDX-License-Identifier: GPL-3.0-or-later
// NMEA 0183 logs of RMC and GGA sentences, read as one track, and the
// waypoints of their WPL sentences.
#pragma once

#include "core/convert/format_rows.h"

#include <cstddef>
#include <string_view>

// True when the text holds an RMC, GGA or WPL sentence of any talker.
bool HoldsNmeaData(std::string_view text);
// True when a fix or a waypoint comes among the first sentences of the file,
// in 8-bit or 16-bit text: in its head, or after a run of other sentences of up to 1 MB.
bool IsNmeaLog(const FileLook& file);

// How many leading characters of a ddmm.mmm position field (dddmm.mmm for a
// longitude: `paddedDegreeDigits` 3) are degrees. Some writers leave out the
// leading zeros ("921.186" for 9 degrees 21.186 minutes): the minutes are
// always the last two digits of the whole part, so a shorter whole part is
// read by value. Any other field splits as a zero-padded one.
std::size_t DegreeDigits(std::string_view field, std::size_t paddedDegreeDigits);

// One track named after the file, and the waypoints (none read for tracks
// alone: ReadResult::waypointsLeftOut counts them). Fixes of a log that gives no date have
// times of day (Point::undated, the Undated finding).
ReadResult ReadNmeaLogFile(const InputSource& source, const ReadOptions& options);
