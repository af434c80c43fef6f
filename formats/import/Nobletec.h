// SPDX-License-Identifier: GPL-3.0-or-later
// Nobletec export text files, read as waypoints or as one track.
#pragma once

#include "core/format_rows.h"

#include <string>

struct NobletecPosition {
    double Latitude = 0;
    double Longitude = 0;
};

void ReadNobletecWaypoints(const std::string& fileName);
void ReadNobletecTracks(const std::string& fileName);
NobletecPosition ParseNobletecLatLon(const std::string& text);

ReadResult ReadNobletecWaypoints(const InputSource& source, const ReadOptions& options);
ReadResult ReadNobletecTracks(const InputSource& source, const ReadOptions& options);
