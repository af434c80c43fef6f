// SPDX-License-Identifier: GPL-3.0-or-later
// Magellan GPS memory-card files: "$PMGNWPL" waypoints, "$PMGNRTE" routes and
// "$PMGNTRK" tracks, in one file.
#pragma once

#include "core/convert/format_rows.h"

// The waypoints and routes, and the track lines as one track, as the mode
// asks; what the mode passes over is counted (ReadResult). Track lines
// without a date give times of day (Point::undated, the Undated finding);
// a time or date that is no time or date leaves the point without one.
ReadResult ReadMagellanFile(const InputSource& source, const ReadOptions& options);
