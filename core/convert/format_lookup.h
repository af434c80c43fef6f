// SPDX-License-Identifier: GPL-3.0-or-later
// Finding formats by their stable names, by a file's extension and by the
// signature of its content, for front ends that are handed a file without a
// format chosen for it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/catalogue.h"

using FormatTable = std::span<const FileType_Record>;

// What a signature test sees of a file: its first bytes, and bytes further on
// when a test asks for them.
class FileLook {
public:
    // The first kHeadSize bytes are looked at; FileError when the file cannot be read.
    static constexpr std::size_t kHeadSize = 4096;
    explicit FileLook(std::string path);
    // A look at bytes already read, as the file's whole content.
    static FileLook OfBytes(std::string bytes);

    std::string_view Head() const { return head_; }
    bool StartsWith(std::string_view bytes) const { return head_.starts_with(bytes); }
    // Anywhere among the first kHeadSize bytes.
    bool HeadHolds(std::string_view bytes) const { return head_.find(bytes) != std::string::npos; }
    // The bytes at offset, read from the file when they lie beyond the head.
    bool HoldsAt(std::uint64_t offset, std::string_view bytes) const;
    // Up to count bytes from offset on, read from the file where they lie
    // beyond the head; fewer where the file ends sooner. A pipe keeps what a
    // look read for its reader, up to InputFile::kMaxWindow.
    std::string BytesAt(std::uint64_t offset, std::size_t count) const;

private:
    FileLook() = default;
    std::string path_;  // empty when the bytes are all there is
    std::string head_;
};

// The position of the row with that name, letter case ignored; -1 when none.
int FormatNamed(FormatTable table, std::string_view name);

// The extensions of a row, without their dots, in the order of the row.
std::vector<std::string> FormatExtensions(const FileType_Record& row);

// The rows whose extensions hold the extension of path, letter case ignored.
std::vector<int> FormatsWithExtension(FormatTable table, const std::string& path);

// The rows whose signature test holds for the file; a FileError when the
// file cannot be read.
std::vector<int> FormatsWithSignature(FormatTable table, const std::string& path);

enum class FormatEvidence { None, Extension, Signature, SignatureAndExtension };

struct FormatGuess {
    std::vector<int> candidates;  // exactly one: the format found
    FormatEvidence evidence = FormatEvidence::None;
};

// The format of a file: the formats its signature names (with bySignature),
// else those of its extension that have no signature test (all of them
// without bySignature). Where some of them are of the kinds given,
// only those stay, so that the other side of a conversion can settle between
// two formats of one file type.
FormatGuess GuessFormat(FormatTable table, const std::string& path, const std::vector<FormatKind>& kinds,
                        bool bySignature);
