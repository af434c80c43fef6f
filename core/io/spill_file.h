// SPDX-License-Identifier: GPL-3.0-or-later
// An unnamed temporary file that data too large to hold in memory goes on
// in: gone with its descriptor whatever way the process ends.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class SpillFile {
public:
    // Made in TMPDIR (or /tmp), else in `fallback` (a folder, "" for none);
    // raises FileError naming the temporary folder.
    explicit SpillFile(const std::string& fallback);
    ~SpillFile();
    SpillFile(const SpillFile&) = delete;
    SpillFile& operator=(const SpillFile&) = delete;

    // Writes bytes at offset `at`; raises FileError.
    void WriteAt(std::uint64_t at, std::string_view bytes);
    // Up to count bytes from `at` appended to out; how many were read.
    std::size_t ReadAt(std::uint64_t at, std::size_t count, std::string& out) const;
    // The first `size` bytes of this file into a new one.
    void CopyInto(SpillFile& other, std::uint64_t size) const;

private:
    int fd_ = -1;
};
