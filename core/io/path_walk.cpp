// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/io/path_walk.h"

#include <cerrno>
#include <deque>
#include <fcntl.h>
#include <unistd.h>

#include "core/io/file_io.h"

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept
{
    if (this != &other) Reset(other.Release());
    return *this;
}

void Descriptor::Reset(int fd)
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

bool SharedStickyFolder(const struct stat& folder) { return (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH); }

namespace {
constexpr int kMostLinks = 40;  // as the kernel allows

std::deque<std::string> Components(const std::string& path)
{
    std::deque<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        if (slash > start) parts.emplace_back(path, start, slash - start);
        start = slash + 1;
    }
    return parts;
}

Descriptor OpenFolder(int at, const char* name, const std::string& forPath)
{
    const int fd = ::openat(at, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) ThrowFileError(forPath, errno);
    return Descriptor(fd);
}

std::string LinkTarget(int folder, const std::string& name, const std::string& forPath)
{
    std::string target(256, '\0');
    for (;;) {
        const ssize_t length = ::readlinkat(folder, name.c_str(), target.data(), target.size());
        if (length < 0) ThrowFileError(forPath, errno);
        if (static_cast<std::size_t>(length) < target.size()) {
            target.resize(static_cast<std::size_t>(length));
            return target;
        }
        target.resize(target.size() * 2);
    }
}

// The protected-symlinks rule, for a link in `folder`.
void CheckMayFollow(int folder, const struct stat& link, const std::string& forPath)
{
    struct stat folderInfo {};
    if (::fstat(folder, &folderInfo) != 0) ThrowFileError(forPath, errno);
    if (SharedStickyFolder(folderInfo) && link.st_uid != ::geteuid() && link.st_uid != folderInfo.st_uid)
        ThrowFileError(forPath, EACCES);
}

// From `folder` along `rest` to its last component, links followed on the
// way (and the last one too with `followLast`). A folder's own name ("."
// "..", "out/") as the last component is EISDIR unless `folderWanted`.
WalkedPath Walk(Descriptor folder, std::deque<std::string> rest, bool namesAFolder, bool followLast, bool folderWanted,
                const std::string& path)
{
    int links = 0;
    while (!rest.empty()) {
        std::string part = std::move(rest.front());
        rest.pop_front();
        const bool last = rest.empty();
        if (part == "." && !last) continue;
        const bool ownName = namesAFolder || part == "." || part == "..";
        if (last && ownName && !folderWanted) ThrowFileError(path, EISDIR);
        struct stat info {};
        if (::fstatat(folder.Get(), part.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT && last) return {std::move(folder), std::move(part), std::nullopt};
            ThrowFileError(path, errno);
        }
        if (S_ISLNK(info.st_mode) && (!last || followLast)) {
            if (++links > kMostLinks) ThrowFileError(path, ELOOP);
            CheckMayFollow(folder.Get(), info, path);
            const std::string target = LinkTarget(folder.Get(), part, path);
            if (target.empty()) ThrowFileError(path, ENOENT);
            if (target.front() == '/') folder = OpenFolder(AT_FDCWD, "/", path);
            if (last) namesAFolder = target.back() == '/';
            const std::deque<std::string> parts = Components(target);
            rest.insert(rest.begin(), parts.begin(), parts.end());
            if (rest.empty()) rest.push_back(".");  // a link to "/"
            continue;
        }
        if (last) return {std::move(folder), std::move(part), info};
        folder = OpenFolder(folder.Get(), part.c_str(), path);
    }
    if (!folderWanted) ThrowFileError(path, EISDIR);
    return {std::move(folder), ".", std::nullopt};
}

// The folder a path names, every link on the way checked.
Descriptor FolderNamed(const std::string& folderPath, const std::string& forPath)
{
    WalkedPath last = Walk(OpenFolder(AT_FDCWD, folderPath.front() == '/' ? "/" : ".", forPath), Components(folderPath),
                           false, true, true, forPath);
    if (last.name == "." && !last.info) return std::move(last.folder);
    if (!last.info) ThrowFileError(forPath, ENOENT);
    return OpenFolder(last.folder.Get(), last.name.c_str(), forPath);
}
}  // namespace

WalkedPath WalkToName(const std::string& path, bool followLast)
{
    if (path.empty()) ThrowFileError(path, ENOENT);
    const std::size_t slash = path.find_last_of('/');
    const bool namesAFolder = path.back() == '/';  // "out/" is a folder, not a file in it
    if (slash == std::string::npos || namesAFolder)
        return Walk(OpenFolder(AT_FDCWD, path.front() == '/' ? "/" : ".", path), Components(path), namesAFolder,
                    followLast, false, path);
    const std::string folderPart = slash == 0 ? "/" : path.substr(0, slash);
    return Walk(FolderNamed(folderPart, path), {path.substr(slash + 1)}, false, followLast, false, path);
}
