// SPDX-License-Identifier: GPL-3.0-or-later
// The catalogue of formats: the input and output rows the program was built
// with, each identified by its position, which is also its index in its
// drop-down list. New rows are appended, so that positions kept in settings
// files keep their meaning. Each front end makes one from the rows of the
// formats it knows and passes it to whatever needs it.
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

// Never changes once made.
class FormatCatalogue {
public:
    // The rows outlive the catalogue (the format table's are static).
    explicit FormatCatalogue(const FormatRows& rows);

    // Each table, indexed by position.
    const std::vector<FileType_Record>& Inputs() const { return inputs_; }
    const std::vector<FileType_Record>& Outputs() const { return outputs_; }

    bool IsInput(int position) const;
    bool IsOutput(int position) const;

    // The rows by position; the position must be in its table.
    const InputFormatRow& InputRow(int position) const;
    const OutputFormatRow& OutputRow(int position) const;

    // True when both positions are in their tables and their kinds are the
    // same, or the output takes everything.
    bool Compatible(int inputPosition, int outputPosition) const;
    // True when both positions are in their tables and name one format (the
    // same Name), whatever their positions.
    bool SameFormat(int inputPosition, int outputPosition) const;

private:
    FormatRows rows_;
    std::vector<FileType_Record> inputs_;
    std::vector<FileType_Record> outputs_;
};
