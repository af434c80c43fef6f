// SPDX-License-Identifier: GPL-3.0-or-later
// MapSend waypoint (.wpt) and track (.trk) files.
#pragma once

#include "core/convert/format_rows.h"

#include <string>

class ByteReader;

// One length byte and that many bytes: empty when the length is 0 or missing,
// only the bytes that are there when the file ends inside the string.
std::string ReadCountedString(ByteReader& file);

// A file of the other kind is refused ("This is not a Track file").
ReadResult ReadMapsendWaypointFile(const InputSource& source, const ReadOptions& options);
ReadResult ReadMapsendTrackFile(const InputSource& source, const ReadOptions& options);
