// SPDX-License-Identifier: GPL-3.0-or-later
// Files flushed to disk each on its own (fsync), so that a conversion waits
// for its own files, not for what other programs wrote; a flush of a whole
// file system only for many files at once, and only while the system holds
// little else to write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

struct FlushFailure {
    std::size_t index;  // of the descriptor that failed
    int error;          // its errno
};

// Flushes every file: the disk is asked to write them all first, then each is
// waited for, several at a time, so that the file system's journal commits
// many in one go. The first failure, by position, or nothing.
std::optional<FlushFailure> FlushFilesToDisk(std::span<const int> descriptors);

// True when the data the system has yet to write to disk (Dirty and
// Writeback of /proc/meminfo) is under `bytes`: a flush of a whole file
// system (syncfs) then waits for little but the caller's own files, and for
// a batch of many small files it is faster than a flush of each.
bool LittleUnwrittenData(std::uint64_t bytes);
