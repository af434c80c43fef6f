// SPDX-License-Identifier: GPL-3.0-or-later
// The Kestrelmaps native text files: waypoints (.wpt), one track per file
// (.plt) and routes (.rte, written only, beside the waypoints).
#pragma once

#include <cstdint>
#include <string>

#include "core/convert/format_rows.h"

ReadResult ReadWaypointFile(const InputSource& source, const ReadOptions& options);
ReadResult ReadTrackFile(const InputSource& source, const ReadOptions& options);
// The waypoints, and the routes in a route file beside them (WriteRouteFile).
WriteResult WriteWaypointFile(const Document& document, const WriteRequest& request);
// The document's routes into `fileName` (slots 0 to 100), adding the cuts to `findings`.
void WriteRouteFile(const Document& document, const std::string& fileName, Findings& findings,
                    OutputTransaction* transaction, const Clock& clock);
// A native track file per track: the output itself, or BASE_N.plt when the
// request numbers track files.
WriteResult WriteTrackFile(const Document& document, const WriteRequest& request);

// A track point's altitude in whole feet, as the track file shows it; -777
// when it has none.
std::int64_t TrackFeet(float metres);
