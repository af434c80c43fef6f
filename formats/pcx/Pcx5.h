// SPDX-License-Identifier: GPL-3.0-or-later
// Garmin PCX5 text files (.wpt, .rte, .trk): header lines "H", then a line
// per waypoint "W", route "R" (its points following as "W" lines) and
// track point "T".
#pragma once

#include "core/convert/format_rows.h"

class FileLook;

// The file names itself: an "I  PCX5" line, or the "H  SOFTWARE NAME" line it opens with.
bool IsPcx5File(const FileLook& file);

// The waypoints, routes and tracks, as the mode asks; what it passes over is
// counted. A file of another datum than WGS 84, or of UTM positions, is refused.
ReadResult ReadPcx5File(const InputSource& source, const ReadOptions& options);
