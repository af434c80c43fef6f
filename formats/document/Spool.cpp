// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/document/Spool.h"

#include <cerrno>
#include <unistd.h>

#include "core/file_io.h"
#include "core/temporary_folder.h"

Spool::~Spool()
{
    if (fd_ >= 0) ::close(fd_);
}

void Spool::Append(std::string_view text)
{
    buffer_.append(text);
    size_ += text.size();
    if (buffer_.size() >= kInMemory) Spill();
}

void Spool::Spill()
{
    if (fd_ < 0) fd_ = UnnamedTemporaryFile();
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t written =
            ::pwrite(fd_, buffer_.data() + done, buffer_.size() - done, static_cast<off_t>(spilled_ + done));
        if (written < 0) {
            if (errno == EINTR) continue;
            ThrowFileError(TemporaryFolderName(), errno);
        }
        done += static_cast<std::size_t>(written);
    }
    spilled_ += buffer_.size();
    buffer_.clear();
}

void Spool::PlayBack(const std::function<void(std::string_view)>& sink)
{
    std::string piece(kInMemory, '\0');
    for (std::uint64_t at = 0; at < spilled_;) {
        const ssize_t got = ::pread(fd_, piece.data(), piece.size(), static_cast<off_t>(at));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) ThrowFileError(TemporaryFolderName(), got < 0 ? errno : EIO);
        sink(std::string_view(piece.data(), static_cast<std::size_t>(got)));
        at += static_cast<std::uint64_t>(got);
    }
    if (!buffer_.empty()) sink(buffer_);
}
