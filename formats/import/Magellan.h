// SPDX-License-Identifier: GPL-3.0-or-later
// Magellan GPS memory-card files: "$PMGNWPL" waypoints and "$PMGNTRK" tracks.
#pragma once

#include "core/format_rows.h"

// Track lines without a date give times of day (Point::undated, the Undated
// finding); hours, minutes, seconds or a date that are no whole numbers
// raise ConversionError.
ReadResult ReadMagellanWaypointFile(const InputSource& source, const ReadOptions& options);
ReadResult ReadMagellanTrackFile(const InputSource& source, const ReadOptions& options);
