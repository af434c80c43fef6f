// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "core/input_file.h"

FileError::FileError(const std::string& path, const std::string& systemMessage)
    : std::runtime_error(path.empty() ? systemMessage : systemMessage + ": \"" + path + "\""), path_(path),
      systemMessage_(systemMessage)
{}

void ThrowFileError(const std::string& path, int errorNumber) { throw FileError(path, std::strerror(errorNumber)); }

namespace {
// A short name, so that an output name of any valid length still leaves room
// for it; hidden, so that a file manager open on the folder does not show it.
std::string TemporaryNameIn(const std::string& folder)
{
    static std::mt19937_64 generator{std::random_device{}()};
    char name[24];
    std::snprintf(name, sizeof name, ".kes-%08llx.tmp", static_cast<unsigned long long>(generator() & 0xFFFFFFFFull));
    return folder + name;
}

// The folder part of a path, with its closing slash; empty for a bare name.
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file a write to `path` would reach: symbolic links followed as open()
// follows them, to the last one, whose target need not exist yet.
std::string FollowLinks(const std::string& path)
{
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0) ThrowFileError(path, errno);
        if (length == 0) return current;
        if (static_cast<std::size_t>(length) >= target.size()) continue;  // the link changed meanwhile: read it again
        target.resize(static_cast<std::size_t>(length));
        current = target.front() == '/' ? target : FolderOf(current) + target;
    }
    ThrowFileError(path, ELOOP);
}

bool WriteAll(int fd, const char* data, std::size_t size, int& error)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

constexpr std::size_t kBufferSize = 1 << 16;
}  // namespace

std::string ReadFileRange(const std::string& path, std::uint64_t offset, std::size_t count)
{
    // The mapping lives as long as the file object: it is held while copying.
    const auto file = InputFile::Open(path);
    const auto bytes = file->Bytes();
    if (offset >= bytes.size()) return {};
    const auto range =
        bytes.subspan(static_cast<std::size_t>(offset), std::min<std::size_t>(count, bytes.size() - offset));
    return {range.begin(), range.end()};
}

SafeFileWriter::SafeFileWriter(const std::string& path) : path_(path), target_(FollowLinks(path))
{
    struct stat existing {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) ThrowFileError(path_, EISDIR);
    if (exists && S_ISREG(existing.st_mode)) {
        // Refused as a write to the file itself would be refused; opening
        // without truncating changes nothing.
        const int probe = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
        if (probe < 0) ThrowFileError(path_, errno);
        ::close(probe);
    }

    const std::string folder = FolderOf(target_);
    for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
        temporary_ = TemporaryNameIn(folder);
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) ThrowFileError(path_, errno);
    }
    if (fd_ < 0) ThrowFileError(path_, EEXIST);

    if (exists && S_ISREG(existing.st_mode)) {
        // The permission bits are always kept; set-user and set-group bits are
        // not, as a write to the file clears them. Owner and group are kept
        // where the system allows (root, or a group of one's own), after the
        // mode, which only the owner may set.
        if (::fchmod(fd_, existing.st_mode & 0777) != 0) Fail(errno);
        struct stat created {};
        if (::fstat(fd_, &created) == 0 && (created.st_uid != existing.st_uid || created.st_gid != existing.st_gid))
            (void)!::fchown(fd_, existing.st_uid, existing.st_gid);  // a refusal leaves the file the writer's own
    }
}

SafeFileWriter::~SafeFileWriter()
{
    if (done_) return;
    ::close(fd_);
    ::unlink(temporary_.c_str());
}

void SafeFileWriter::Append(std::string_view piece)
{
    if (done_) throw std::logic_error("append to a finished output: " + path_);
    if (buffer_.size() + piece.size() <= kBufferSize) {
        buffer_.append(piece);
        return;
    }
    Flush();
    int error = 0;
    if (!WriteAll(fd_, piece.data(), piece.size(), error)) Fail(error);
}

void SafeFileWriter::Flush()
{
    int error = 0;
    if (!WriteAll(fd_, buffer_.data(), buffer_.size(), error)) Fail(error);
    buffer_.clear();
}

void SafeFileWriter::Commit()
{
    if (done_) throw std::logic_error("commit of a finished output: " + path_);
    Flush();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) Fail(errno);
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) Fail(errno);
    done_ = true;
}

void SafeFileWriter::Fail(int errorNumber)
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    ::unlink(temporary_.c_str());
    done_ = true;
    ThrowFileError(path_, errorNumber);
}

void WriteFileSafely(const std::string& path, std::string_view content)
{
    SafeFileWriter output(path);
    output.Append(content);
    output.Commit();
}

bool SameFileOnDisk(const std::string& a, const std::string& b) { return FileIdentity(a) == FileIdentity(b); }

std::string FileIdentity(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        return "inode " + std::to_string(info.st_dev) + " " + std::to_string(info.st_ino);
    std::error_code ignored;
    return "path " + std::filesystem::weakly_canonical(path, ignored).string();
}
