// SPDX-License-Identifier: GPL-3.0-or-later
// The fixed catalogue of formats: 16 input rows and 6 output rows, each
// identified by its position, which is also its index in its drop-down list.
// New rows are appended, so that positions kept in settings files keep their
// meaning.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Bytes that mark a file of a format: Bytes at Offset, or anywhere among the
// first kSignatureSpan bytes when Offset is kAnywhereInHead.
struct SignatureMark {
    std::int64_t Offset = 0;
    std::string Bytes;
};
inline constexpr std::int64_t kAnywhereInHead = -1;
inline constexpr std::size_t kSignatureSpan = 4096;

struct FileType_Record {
    std::string DisplayName;
    std::string Extension;  // "a;b"; empty when the format has none
    std::string Filter;     // "description|pattern"
    std::string Kind;       // "wp" or "trk"
    std::int32_t Position = 0;
    // The name scripts use on the command line; it never changes once released.
    std::string Name;
    // Every mark must hold in a file of this format; empty when the format has
    // no dependable signature.
    std::vector<SignatureMark> Signature;
};

inline constexpr int kInputFormatCount = 16;
inline constexpr int kOutputFormatCount = 6;

extern std::array<FileType_Record, kInputFormatCount> InputFormats;
extern std::array<FileType_Record, kOutputFormatCount> OutputFormats;

// Fills both tables; the window calls it once when it is created.
void BuildFormatCatalogue();

// True when both positions are in their tables and their kinds are the same.
bool FormatsCompatible(int inputPosition, int outputPosition);
// True when both positions are in their tables and name one format (the same
// Name), whatever their positions.
bool SameFormat(int inputPosition, int outputPosition);
