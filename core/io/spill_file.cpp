// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/io/spill_file.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

#include "core/io/file_io.h"
#include "core/io/temporary_folder.h"

SpillFile::SpillFile(const std::string& fallback) : fd_(UnnamedTemporaryFile(fallback)) {}

SpillFile::~SpillFile() { ::close(fd_); }

void SpillFile::WriteAt(std::uint64_t at, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(at + done));
        if (written < 0) {
            if (errno == EINTR) continue;
            ThrowFileError(TemporaryFolderName(), errno);
        }
        done += static_cast<std::size_t>(written);
    }
}

std::size_t SpillFile::ReadAt(std::uint64_t at, std::size_t count, std::string& out) const
{
    const std::size_t start = out.size();
    out.resize(start + count);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd_, out.data() + start + done, count - done, static_cast<off_t>(at + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) ThrowFileError(TemporaryFolderName(), errno);
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    out.resize(start + done);
    return done;
}

void SpillFile::CopyInto(SpillFile& other, std::uint64_t size) const
{
    std::string piece;
    for (std::uint64_t at = 0; at < size;) {
        piece.clear();
        const std::size_t got =
            ReadAt(at, static_cast<std::size_t>(std::min<std::uint64_t>(size - at, 1u << 20)), piece);
        if (got == 0) ThrowFileError(TemporaryFolderName(), EIO);
        other.WriteAt(at, piece);
        at += got;
    }
}
