// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/io/disk_flush.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

#include "core/io/output_folder.h"

namespace {
// Waits for the disk are what takes the time, not the processor: a few
// threads let the journal gather their files into one commit.
constexpr std::size_t kWaiters = 32;
constexpr std::size_t kOneByOne = 4;
}  // namespace

std::optional<FlushFailure> FlushFilesToDisk(std::span<const int> descriptors)
{
    std::vector<int> errors(descriptors.size(), 0);
    if (descriptors.size() > kOneByOne)
        for (const int fd : descriptors) (void)::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    std::atomic<std::size_t> next{0};
    const auto wait = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < descriptors.size();)
            if (::fsync(descriptors[i]) != 0) errors[i] = errno;
    };
    {
        std::vector<std::jthread> waiters;
        const std::size_t count = descriptors.size() <= kOneByOne ? 0 : std::min(kWaiters, descriptors.size() / 4);
        try {
            // The signals that end a run are left to this thread, which may
            // have a last word to say (a report).
            const CleaningSignalsHeld held;
            for (std::size_t t = 0; t < count; ++t) waiters.emplace_back(wait);
        } catch (const std::system_error&) {
            // No thread to spare: this one does the rest.
        }
        wait();
    }
    for (std::size_t i = 0; i < errors.size(); ++i)
        if (errors[i] != 0) return FlushFailure{i, errors[i]};
    return std::nullopt;
}

bool LittleUnwrittenData(std::uint64_t bytes)
{
    std::ifstream meminfo("/proc/meminfo");
    std::string name;
    std::uint64_t kilobytes = 0, unwritten = 0;
    int found = 0;
    while (found < 2 && meminfo >> name >> kilobytes) {
        if (name == "Dirty:" || name == "Writeback:") unwritten += kilobytes * 1024, ++found;
        meminfo.ignore(64, '\n');
    }
    return found == 2 && unwritten < bytes;
}
