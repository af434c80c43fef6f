// SPDX-License-Identifier: GPL-3.0-or-later
// Magellan GPS memory-card files: "$PMGNWPL" waypoints and "$PMGNTRK" tracks.
#pragma once

#include "core/format_rows.h"

#include <string>

void ReadMagellanWaypointFile(const std::string& fileName);
// `timesLeftOut`: the output leaves out the time of a point without a date
// (rather than dating it today, as the native files do), for the count line.
void ReadMagellanTrackFile(const std::string& fileName, bool timesLeftOut = false);

ReadResult ReadMagellanWaypointFile(const InputSource& source, const ReadOptions& options);
ReadResult ReadMagellanTrackFile(const InputSource& source, const ReadOptions& options);
