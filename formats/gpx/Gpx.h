// SPDX-License-Identifier: GPL-3.0-or-later
// GPX 1.0 and 1.1 files: waypoints and routes, tracks; read with a streaming
// XML parser, written as GPX 1.1.
#pragma once

#include "core/convert/format_rows.h"

// Everything the file holds, as the mode asks; refused when it is no GPX.
ReadResult ReadGpxFile(const InputSource& source, const ReadOptions& options);
// GPX 1.1 files of the waypoints and routes, of the tracks, or of everything.
WriteResult WriteGpxWaypointFile(const Document& document, const WriteRequest& request);
WriteResult WriteGpxTrackFile(const Document& document, const WriteRequest& request);
WriteResult WriteGpxFile(const Document& document, const WriteRequest& request);
