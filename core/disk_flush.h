// SPDX-License-Identifier: GPL-3.0-or-later
// Files flushed to disk each on its own (fsync), never by a flush of their
// whole file system: a conversion waits for its own files, not for what
// other programs wrote.
#pragma once

#include <cstddef>
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
