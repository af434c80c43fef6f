// MapSource .gdb files.
#pragma once

#include <string>

// In track mode (input position 12) writes one native track file per track
// and lists their names in TrackFilesWritten.
void ReadMapsourceGdbFile(const std::string& fileName, const std::string& outputName);
