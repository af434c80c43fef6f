// SPDX-License-Identifier: GPL-3.0-or-later
// Nobletec export text files: marks (waypoints) and tracks, in one file.
#pragma once

#include "core/convert/format_rows.h"

#include <optional>
#include <string>

struct NobletecPosition {
    double Latitude = 0;
    double Longitude = 0;
};

// Nothing when a degree or minute field is missing or no number.
std::optional<NobletecPosition> ParseNobletecLatLon(const std::string& text);

// The marks as waypoints and every track section in one track, as the mode
// asks; what the mode passes over is counted (ReadResult). A track point
// count that is no whole number raises ConversionError.
ReadResult ReadNobletecFile(const InputSource& source, const ReadOptions& options);
