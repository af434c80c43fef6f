// SPDX-License-Identifier: GPL-3.0-or-later
// CompeGPS text files (.wpt waypoints, .rte routes, .trk tracks): a datum
// line "G", a coordinate line "U", then a line per point, each led by its letter.
#pragma once

#include "core/convert/format_rows.h"

class FileLook;

// The file opens with its "G" datum line and its "U" coordinate line
// (after an optional "B" line naming its character code).
bool IsCompeGpsFile(const FileLook& file);

// The waypoints, routes and tracks, as the mode asks; what it passes over is
// counted. A file of another datum than WGS 84, or of UTM positions, is refused.
ReadResult ReadCompeGpsFile(const InputSource& source, const ReadOptions& options);
