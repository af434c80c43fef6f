// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/convert/format_lookup.h"

#include <algorithm>

#include "core/io/file_io.h"
#include "core/io/file_names.h"
#include "core/io/unpacked_input.h"
#include "core/text/text_fields.h"

namespace {
bool HasExtension(const FileType_Record& row, const std::string& extension)
{
    for (const std::string& own : FormatExtensions(row))
        if (UpperText(own) == extension) return true;
    return false;
}

std::vector<int> KeepKinds(FormatTable table, const std::vector<int>& rows, const std::vector<FormatKind>& kinds)
{
    std::vector<int> kept;
    for (int row : rows)
        if (std::find(kinds.begin(), kinds.end(), table[row].Kind) != kinds.end()) kept.push_back(row);
    return kept.empty() ? rows : kept;
}
}  // namespace

FileLook::FileLook(std::string path) : path_(std::move(path)), head_(ReadFileRange(path_, 0, kHeadSize)) {}

FileLook FileLook::OfBytes(std::string bytes)
{
    FileLook look;
    look.head_ = std::move(bytes);
    return look;
}

bool FileLook::HoldsAt(std::uint64_t offset, std::string_view bytes) const
{
    if (offset + bytes.size() <= head_.size()) return head_.compare(offset, bytes.size(), bytes) == 0;
    // A file shorter than the head has nothing further on.
    if (path_.empty() || head_.size() < kHeadSize) return false;
    return ReadFileRange(path_, offset, bytes.size()) == bytes;
}

std::string FileLook::BytesAt(std::uint64_t offset, std::size_t count) const
{
    // A file shorter than the head has nothing further on.
    if (offset + count <= head_.size() || path_.empty() || head_.size() < kHeadSize)
        return offset >= head_.size() ? std::string() : head_.substr(offset, count);
    return ReadFileRange(path_, offset, count);
}

std::vector<std::string> FormatExtensions(const FileType_Record& row)
{
    std::vector<std::string> extensions;
    for (std::size_t start = 0; start < row.Extension.size();) {
        const std::size_t end = std::min(row.Extension.find(';', start), row.Extension.size());
        if (end > start) extensions.push_back(row.Extension.substr(start, end - start));
        start = end + 1;
    }
    return extensions;
}

int FormatNamed(FormatTable table, std::string_view name)
{
    for (const FileType_Record& row : table)
        if (!row.Name.empty() && UpperText(row.Name) == UpperText(name)) return row.Position;
    return -1;
}

std::vector<int> FormatsWithExtension(FormatTable table, const std::string& path)
{
    const std::string extension = UpperText(ExtractFileExt(path));
    std::vector<int> found;
    if (extension.size() < 2) return found;
    for (const FileType_Record& row : table)
        if (HasExtension(row, extension.substr(1))) found.push_back(row.Position);
    return found;
}

std::vector<int> FormatsWithSignature(FormatTable table, const std::string& path)
{
    const FileLook look(path);
    std::vector<int> found;
    for (const FileType_Record& row : table)
        if (row.Recognise && row.Recognise(look)) found.push_back(row.Position);
    return found;
}

FormatGuess GuessFormat(FormatTable table, const std::string& path, const std::vector<FormatKind>& kinds,
                        bool bySignature)
{
    // An input is known by its name inside its packing ("log.nmea.gz" is a .nmea).
    const std::string name = bySignature ? NameWithoutPacking(path) : path;
    if (bySignature) {
        const std::vector<int> marked = KeepKinds(table, FormatsWithSignature(table, path), kinds);
        if (marked.size() == 1) return {marked, FormatEvidence::Signature};
        if (marked.size() > 1) {
            const std::vector<int> extended = FormatsWithExtension(table, name);
            std::vector<int> both;
            for (int row : marked)
                if (std::find(extended.begin(), extended.end(), row) != extended.end()) both.push_back(row);
            if (both.size() == 1) return {both, FormatEvidence::SignatureAndExtension};
            return {marked, FormatEvidence::Signature};
        }
    }
    // A format with a signature is never taken by its extension alone: its
    // signature was looked for and is not there.
    std::vector<int> unmarked;
    for (int row : FormatsWithExtension(table, name))
        if (!bySignature || !table[row].Recognise) unmarked.push_back(row);
    const std::vector<int> extended = KeepKinds(table, unmarked, kinds);
    return {extended, extended.empty() ? FormatEvidence::None : FormatEvidence::Extension};
}
