// SPDX-License-Identifier: GPL-3.0-or-later
// MapSend waypoint (.wpt) and track (.trk) files.
#pragma once

#include "core/format_rows.h"

#include <string>

class ByteReader;

void ReadMapsendWaypointFile(const std::string& fileName);
void ReadMapsendTrackFile(const std::string& fileName);
// One length byte and that many bytes: empty when the length is 0 or missing,
// only the bytes that are there when the file ends inside the string.
std::string ReadCountedString(ByteReader& file);

ReadResult ReadMapsendWaypointFile(const InputSource& source, const ReadOptions& options);
ReadResult ReadMapsendTrackFile(const InputSource& source, const ReadOptions& options);
