// SPDX-License-Identifier: GPL-3.0-or-later
// MapSource .gdb files.
#pragma once

#include <cstdint>
#include <string>

#include "core/format_rows.h"

class ByteReader;

// Waypoint mode stores the waypoints and routes; track mode stores the routes
// and hands each track over as it is read (HandOverTrack: by default one
// native track file per track); the mode that takes everything does both.
void ReadMapsourceGdbFile(const std::string& fileName, const std::string& outputName, ReadMode mode);

// Bytes up to and including a zero byte, or up to the end of the file.
std::string ReadZeroTerminated(ByteReader& file);

struct PositionBlock {
    std::int32_t Latitude = 0;   // semicircles
    std::int32_t Longitude = 0;  // semicircles
    std::int32_t Feet = -777;    // whole feet, -777 = none
    bool Whole = false;          // false when the end of the file cut the position short
};

// Latitude, longitude and an optional altitude; a 0 ft result reads as none.
PositionBlock ReadPositionBlock(ByteReader& file);
