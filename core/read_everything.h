// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a file without converting it: everything it holds, for the figures
// of `kes-convert --info` and the window's view of the data.
#pragma once

#include <string>

#include "core/frontend.h"
#include "core/track_destination.h"

// Reads the file as the input format at inputPosition, everything it holds:
// afterwards the store holds its waypoints and routes, and every track has
// been handed to tracks (a format of one track hands over the one it leaves
// in the store). The front end takes the reader's messages; ReadFailed tells
// whether the reader refused the file. File errors propagate.
void ReadEverything(FrontEnd& frontEnd, const std::string& file, int inputPosition, TrackDestination& tracks);
