// SPDX-License-Identifier: GPL-3.0-or-later
// IGC flight recorder logs: an "A" record naming the recorder, "H" header
// records (the date, the pilot, the glider) and a "B" record per fix.
#pragma once

#include "core/convert/format_rows.h"

class FileLook;

// The first line is an A record and B records follow.
bool IsIgcFile(const FileLook& file);

// A track per flight: a flight starts at the file's first fix and again at
// an A record or a date header that follows fixes. Its name is its date and
// the glider's registration, its description the pilot and the glider. Fixes
// take the GNSS altitude as their elevation (none on a fix the recorder marks
// invalid); the pressure altitude has no place in a point and is counted as
// left out. A time of day that goes back by more than half a day is past
// midnight; without a date header times are times of day (Point::undated).
ReadResult ReadIgcFile(const InputSource& source, const ReadOptions& options);
