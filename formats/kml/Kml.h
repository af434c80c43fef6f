// SPDX-License-Identifier: GPL-3.0-or-later
// KML 2.2 documents, as virtual globes read them: a folder per kind, points
// as placemarks, routes as lines, tracks as timed tracks; UTF-8, escaped.
#pragma once

#include <cstdint>

#include "core/convert/format_rows.h"

// The line colour of track `number` (from 1), as 0x00BBGGRR: hues a golden
// angle apart, so that no two tracks of a document look alike.
std::uint32_t KmlTrackColour(int number);

// Waypoints, routes (a line and a folder of its points each) and tracks (a
// gx:Track per section whose points all have a time, a line otherwise; a
// gx:MultiTrack for several timed sections) of the document, in one file.
WriteResult WriteKmlFile(const Document& document, const WriteRequest& request);

// Placemarks of points (waypoints), of lines (tracks, their sections the
// lines of one placemark; routes in a folder named Routes, as written
// above) and timed tracks; refused when it is no KML. A KMZ archive's
// member is read through the same function.
ReadResult ReadKmlFile(const InputSource& source, const ReadOptions& options);
