// SPDX-License-Identifier: GPL-3.0-or-later
// The catalogue of formats: the input and output rows the program was built
// with, each identified by its position, which is also its index in its
// drop-down list. New rows are appended, so that positions kept in settings
// files keep their meaning.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/convert/format_rows.h"

struct FileType_Record {
    std::string DisplayName;
    std::string Extension;  // "a;b"; empty when the format has none
    std::string Filter;     // "description|pattern"
    FormatKind Kind = FormatKind::Waypoints;
    std::int32_t Position = 0;
    // The name scripts use on the command line; it never changes once released.
    std::string Name;
    // True when a file's content marks it as this format; nullptr when the
    // format has no dependable signature.
    bool (*Recognise)(const FileLook& file) = nullptr;
};

extern std::vector<FileType_Record> InputFormats;
extern std::vector<FileType_Record> OutputFormats;

// Takes the rows of the formats the program knows and fills both tables from
// them; every front end calls it once, before anything else.
void BuildFormatCatalogue(const FormatRows& rows);

// The rows given to BuildFormatCatalogue, by position; the position must be
// in its table.
const InputFormatRow& InputRow(int position);
const OutputFormatRow& OutputRow(int position);

bool IsInputPosition(int position);
bool IsOutputPosition(int position);

// True when both positions are in their tables and their kinds are the same,
// or the output takes everything.
bool FormatsCompatible(int inputPosition, int outputPosition);
// True when both positions are in their tables and name one format (the same
// Name), whatever their positions.
bool SameFormat(int inputPosition, int outputPosition);
