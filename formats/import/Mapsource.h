// SPDX-License-Identifier: GPL-3.0-or-later
// MapSource .mps files, and the building blocks the .gdb reader shares.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/format_rows.h"

class ByteReader;

// Waypoint mode stores the waypoints and routes; track mode hands each track
// over as it is read (HandOverTrack: by default one native track file per
// track); the mode that takes everything does both.
void ReadMapsourceMpsFile(const std::string& fileName, const std::string& outputName, ReadMode mode);

// Reads the 5-byte record header: returns the type letter and sets the body
// length. A header cut short by the end of the file gives type 0, length -1.
std::uint8_t ReadRecordHeader(ByteReader& file, std::int32_t& length);

// A zero-terminated name keeping only '-', digits and ASCII letters; ends at
// the zero byte (consumed, not kept) or at the end of the file.
std::string ReadCleanName(ByteReader& file);
// The same, also giving the name's bytes as the file holds them (the first
// `kept` of them).
std::string ReadCleanName(ByteReader& file, std::string& bytes, std::size_t kept);

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
