// SPDX-License-Identifier: GPL-3.0-or-later
// GPX 1.0 and 1.1 files: waypoints and routes, tracks; read with a streaming
// XML parser, written as GPX 1.1.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/file_io.h"
#include "core/format_rows.h"
#include "core/store.h"
#include "core/track_destination.h"

// Reads what the mode asks for: every wpt as a waypoint and every rte in the
// next route slot from 1 (the tables reset first), every trk loaded into the
// store's one track in turn (reset first); once a track is complete, onTrack
// (when given) is called with its number (1, 2, ...) while the store holds
// it. The document's own details go to DocumentInfo. Returns the number of tracks.
int ReadGpxFile(const std::string& fileName, ReadMode mode, const std::function<void(int track)>& onTrack = {});

// The waypoints and routes.
void ReadGpxWaypointFile(const std::string& fileName);

// Resets the track and loads each trk into the store's one track in turn;
// once a track is complete, onTrack (when given) is called with its number
// (1, 2, ...) while the store holds it. Afterwards the store holds the last
// track. Returns the number of tracks.
int ReadGpxTrackFile(const std::string& fileName, const std::function<void(int track)>& onTrack = {});

ReadResult ReadGpxFile(const InputSource& source, const ReadOptions& options);
// GPX 1.1 files of the waypoints and routes, of the tracks, or of everything.
WriteResult WriteGpxWaypointFile(const Document& document, const WriteRequest& request);
WriteResult WriteGpxTrackFile(const Document& document, const WriteRequest& request);
WriteResult WriteGpxFile(const Document& document, const WriteRequest& request);
