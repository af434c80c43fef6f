// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/InputFormatOf.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "core/catalogue.h"
#include "core/file_io.h"
#include "core/format_lookup.h"

namespace {
bool Holds(const std::vector<int>& rows, int row) { return std::find(rows.begin(), rows.end(), row) != rows.end(); }

// Every format the file may be, kept to the kinds given; none when unreadable.
std::vector<int> Candidates(const std::string& file, const std::vector<std::string>& kinds)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return {};
    try {
        return GuessFormat(InputFormats, file, kinds, true).candidates;
    } catch (const FileError&) {
        return {};  // Convert says why it cannot be read
    }
}
}  // namespace

int InputFormatFor(const std::string& file, int selected, int outputPosition)
{
    std::vector<std::string> kinds;
    if (IsOutputPosition(outputPosition)) kinds.push_back(OutputFormats[outputPosition].Kind);
    const std::vector<int> found = Candidates(file, kinds);
    if (found.empty() || Holds(found, selected)) return selected;
    return found.front();
}

bool ContentIsNot(const std::string& file, int position)
{
    if (!IsInputPosition(position)) return false;
    const std::vector<int> found = Candidates(file, {});
    return !found.empty() && !Holds(found, position);
}

std::string WhatTheFileIs(const std::string& file, int found, int chosen)
{
    return std::filesystem::path(file).filename().string() + " holds " + InputFormats[found].DisplayName + ", not " +
           InputFormats[chosen].DisplayName + ".";
}

std::string OpenDialogFilter()
{
    std::vector<std::string> extensions;
    std::string each;
    for (const FileType_Record& row : InputFormats) {
        for (const std::string& extension : FormatExtensions(row))
            if (std::find(extensions.begin(), extensions.end(), extension) == extensions.end())
                extensions.push_back(extension);
        each += "|" + row.Filter;
    }
    std::string all;
    for (const std::string& extension : extensions) all += (all.empty() ? "*." : ";*.") + extension;
    return "All supported files|" + all + each + "|All files|*.*";
}
