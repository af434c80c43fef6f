// SPDX-License-Identifier: GPL-3.0-or-later
// Magellan GPS memory-card files: "$PMGNWPL" waypoints and "$PMGNTRK" tracks.
#pragma once

#include <string>

void ReadMagellanWaypointFile(const std::string& fileName);
void ReadMagellanTrackFile(const std::string& fileName);
