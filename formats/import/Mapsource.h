// SPDX-License-Identifier: GPL-3.0-or-later
// MapSource .mps files, and the building blocks the .gdb reader shares.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/convert/format_rows.h"

class ByteReader;

// A .mps file: its waypoints, routes and tracks, as the mode asks. A file of
// an obsolete version is refused.
ReadResult ReadMapsourceMpsFile(const InputSource& source, const ReadOptions& options);
// The same from a file opened at its start.
ReadResult ReadMpsFile(ByteReader& file, const ReadOptions& options);

// Reads the 5-byte record header: returns the type letter and sets the body
// length. A header cut short by the end of the file gives type 0, length -1.
std::uint8_t ReadRecordHeader(ByteReader& file, std::int32_t& length);

// The bytes of a zero-terminated text, the first `kept` of them; it ends at
// the zero byte (consumed, not kept) or at the end of the file.
std::string ReadTextBytes(ByteReader& file, std::size_t kept);
// The same appended to `text` while it holds fewer than `kept` bytes; false
// when the file ends before the zero byte.
bool ScanText(ByteReader& file, std::string& text, std::size_t kept);

// A 32-bit semicircle count as degrees, north and east positive.
double SemicirclesToDegrees(std::int32_t semicircles);

struct MapsourceSymbol {
    std::int32_t Code;    // MapSource's symbol code
    std::int16_t Native;  // the native waypoint file's symbol number
    const char* Name;
};

inline constexpr std::int16_t kDefaultMapsourceSymbol = 70;  // "Waypoint"

extern const std::array<MapsourceSymbol, 119> MapsourceSymbols;

// The native symbol of the first row with this code, or 70 when none has it.
std::int16_t LookupMapsourceSymbol(std::int32_t code);
