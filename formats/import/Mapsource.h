// MapSource .mps files, and the building blocks the .gdb reader shares.
#pragma once

#include <cstdint>
#include <string>

class ByteReader;

// In track mode (input position 12) writes one native track file per track
// and lists their names in TrackFilesWritten.
void ReadMapsourceMpsFile(const std::string& fileName, const std::string& outputName);
