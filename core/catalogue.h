// The fixed catalogue of formats: 14 input rows and 4 output rows, each
// identified by its position, which is also its index in its drop-down list.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct FileType_Record {
    std::string DisplayName;
    std::string Extension;  // informational only
    std::string Filter;     // "description|pattern"
    std::string Kind;       // "wp" or "trk"
    std::int32_t Position = 0;
};

inline constexpr int kInputFormatCount = 14;
inline constexpr int kOutputFormatCount = 4;

extern std::array<FileType_Record, kInputFormatCount> InputFormats;
extern std::array<FileType_Record, kOutputFormatCount> OutputFormats;

// Fills both tables; the window calls it once when it is created.
void BuildFormatCatalogue();

// True when both positions are in their tables and their kinds are the same.
bool FormatsCompatible(int inputPosition, int outputPosition);
