// SPDX-License-Identifier: GPL-3.0-or-later
// Nobletec export text files, read as waypoints or as one track.
#pragma once

#include "core/format_rows.h"

#include <string>

struct NobletecPosition {
    double Latitude = 0;
    double Longitude = 0;
};

NobletecPosition ParseNobletecLatLon(const std::string& text);

// A track point count that is no whole number raises ConversionError.
ReadResult ReadNobletecWaypoints(const InputSource& source, const ReadOptions& options);
ReadResult ReadNobletecTracks(const InputSource& source, const ReadOptions& options);
