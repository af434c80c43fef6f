// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/InputFormatOf.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <vector>

#include "core/convert/catalogue.h"
#include "core/convert/format_lookup.h"
#include "core/io/file_io.h"

namespace {
bool Holds(const std::vector<int>& rows, int row) { return std::find(rows.begin(), rows.end(), row) != rows.end(); }

// Every format the file may be, kept to the kinds given; none when unreadable.
std::vector<int> Candidates(const FormatCatalogue& catalogue, const std::string& file,
                            const std::vector<FormatKind>& kinds)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return {};
    try {
        return GuessFormat(catalogue.Inputs(), file, kinds, true).candidates;
    } catch (const FileError&) {
        return {};  // Convert says why it cannot be read
    }
}
}  // namespace

int InputFormatFor(const FormatCatalogue& catalogue, const std::string& file, int selected, int outputPosition)
{
    std::vector<FormatKind> kinds;
    if (catalogue.IsOutput(outputPosition)) kinds.push_back(catalogue.Outputs()[outputPosition].Kind);
    const std::vector<int> found = Candidates(catalogue, file, kinds);
    if (found.empty() || Holds(found, selected)) return selected;
    return found.front();
}

bool ContentIsNot(const FormatCatalogue& catalogue, const std::string& file, int position)
{
    if (!catalogue.IsInput(position)) return false;
    const std::vector<int> found = Candidates(catalogue, file, {});
    return !found.empty() && !Holds(found, position);
}

std::string WhatTheFileIs(const FormatCatalogue& catalogue, const std::string& file, int found, int chosen)
{
    return std::filesystem::path(file).filename().string() + " holds " + catalogue.Inputs()[found].DisplayName +
           ", not " + catalogue.Inputs()[chosen].DisplayName + ".";
}

namespace {
constexpr std::size_t kQuotedLength = 40;

bool LooksLikeText(std::string_view head)
{
    std::size_t odd = 0;
    for (const unsigned char c : head) {
        if (c == 0) return false;
        if (c < 32 && c != '\t' && c != '\r' && c != '\n' && c != 26) ++odd;
    }
    return odd * 50 <= head.size();
}

// The first line that holds more than blanks, cut to a few words.
std::string FirstLine(std::string_view head)
{
    std::size_t start = head.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) return {};
    std::string_view line = head.substr(start, head.find_first_of("\r\n", start) - start);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (line.size() <= kQuotedLength) return std::string(line);
    // Not inside a character of several bytes.
    std::size_t cut = kQuotedLength;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    return std::string(line.substr(0, cut)) + "...";
}

// The name of the first element, past the declaration, comments and doctype.
std::string FirstElement(std::string_view head)
{
    for (std::size_t at = head.find('<'); at != std::string_view::npos; at = head.find('<', at + 1)) {
        const char next = at + 1 < head.size() ? head[at + 1] : '\0';
        if (next == '?' || next == '!') continue;
        const std::size_t end = head.find_first_of(" \t\r\n/>", at + 1);
        return std::string(head.substr(at + 1, std::min(end, head.size()) - at - 1).substr(0, kQuotedLength));
    }
    return {};
}

std::string Looks(std::string_view head, FileLooks& looks)
{
    if (head.empty()) {
        looks = FileLooks::Text;
        return "it is empty";
    }
    if (!LooksLikeText(head)) {
        looks = FileLooks::Binary;
        static const char kHex[] = "0123456789ABCDEF";
        std::string bytes;
        for (std::size_t i = 0; i < std::min<std::size_t>(head.size(), 8); ++i) {
            const auto c = static_cast<unsigned char>(head[i]);
            bytes += std::string(i == 0 ? "" : " ") + kHex[c >> 4] + kHex[c & 15];
        }
        return "it looks like binary data: " + bytes;
    }
    const std::string line = FirstLine(head);
    if (!line.empty() && line.front() == '<') {
        looks = FileLooks::Xml;
        const std::string element = FirstElement(head);
        return element.empty() ? "it looks like XML" : "it looks like XML, its first element <" + element + ">";
    }
    looks = FileLooks::Text;
    return "it looks like text: \"" + line + "\"";
}
}  // namespace

std::optional<FormatNotTold> FormatNotToldOf(const FormatCatalogue& catalogue, const std::string& file)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
    try {
        if (!GuessFormat(catalogue.Inputs(), file, {}, true).candidates.empty()) return std::nullopt;
        const FileLook look(file);
        FileLooks looks = FileLooks::Text;
        FormatNotTold told{Looks(look.Head(), looks), FormatsWithExtension(catalogue.Inputs(), file)};
        // An empty file may be what its extension names; with none, anything.
        const bool anything = look.Head().empty() && told.mayBe.empty();
        if (!look.Head().empty() || anything)
            for (const FileType_Record& row : catalogue.Inputs())
                if ((anything || catalogue.InputRow(row.Position).looks == looks) && !Holds(told.mayBe, row.Position))
                    told.mayBe.push_back(row.Position);
        return told;
    } catch (const FileError&) {
        return std::nullopt;  // the read says why
    }
}

std::string NotToldLine(const std::string& file, const FormatNotTold& notTold)
{
    return std::filesystem::path(file).filename().string() + ": no format found in it; " + notTold.looks;
}

std::string OpenDialogFilter(const FormatCatalogue& catalogue)
{
    std::vector<std::string> extensions;
    std::string each;
    for (const FileType_Record& row : catalogue.Inputs()) {
        for (const std::string& extension : FormatExtensions(row))
            if (std::find(extensions.begin(), extensions.end(), extension) == extensions.end())
                extensions.push_back(extension);
        each += "|" + row.Filter;
    }
    // Packed inputs are read as the files they hold, whatever their format.
    const std::string packed = "*.gz;*.zip;*.kmz";
    std::string all;
    for (const std::string& extension : extensions) all += (all.empty() ? "*." : ";*.") + extension;
    return "All supported files|" + all + ";" + packed + each + "|Packed files: gzip, zip, KMZ|" + packed +
           "|All files|*.*";
}
