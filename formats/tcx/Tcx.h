// SPDX-License-Identifier: GPL-3.0-or-later
// Training Center files (TCX, version 2): an activity is a track whose laps
// and their recording spans are its sections; a course is a track, and its
// course points are waypoints.
#pragma once

#include "core/convert/format_rows.h"

// Everything the file holds, as the mode asks; refused when it is no TCX.
ReadResult ReadTcxFile(const InputSource& source, const ReadOptions& options);
