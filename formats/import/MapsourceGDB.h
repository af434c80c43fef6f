// SPDX-License-Identifier: GPL-3.0-or-later
// MapSource .gdb files.
#pragma once

#include <cstdint>
#include <string>

#include "core/convert/format_rows.h"

class ByteReader;

// A .gdb file: its waypoints, routes and tracks, as the mode asks. A file of
// an obsolete version is refused.
ReadResult ReadMapsourceGdbFile(const InputSource& source, const ReadOptions& options);
// The same from a file opened at its start.
ReadResult ReadGdbFile(ByteReader& file, const ReadOptions& options);

// Bytes up to and including a zero byte, or up to the end of the file.
std::string ReadZeroTerminated(ByteReader& file);

struct PositionBlock {
    std::int32_t Latitude = 0;   // semicircles
    std::int32_t Longitude = 0;  // semicircles
    bool Whole = false;          // false when the end of the file cut the position short
    double Metres = kNoValue;    // its altitude, where it gives one
};

// Latitude, longitude and an optional altitude, which is read past.
PositionBlock ReadPositionBlock(ByteReader& file);
