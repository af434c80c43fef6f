// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/output_target.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <string_view>
#include <sys/xattr.h>
#include <unistd.h>

#include "core/file_io.h"

namespace {
constexpr const char* kAccessAcl = "system.posix_acl_access";

// The folder part of a path, with its closing slash; empty for a bare name.
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The process's own descriptors by the names the system gives them; -1 for
// any other name.
int DescriptorNamed(const std::string& path)
{
    if (path == "/dev/stdout") return STDOUT_FILENO;
    if (path == "/dev/stderr") return STDERR_FILENO;
    for (const std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (path.size() <= prefix.size() || path.size() > prefix.size() + 9 || path.compare(0, prefix.size(), prefix))
            continue;
        int number = 0;
        for (std::size_t i = prefix.size(); i < path.size(); ++i) {
            if (path[i] < '0' || path[i] > '9') return -1;
            number = number * 10 + (path[i] - '0');
        }
        return number;
    }
    return -1;
}

// The kernel's protected-symlinks rule: in a sticky folder that every user may
// write in, a link is followed only when it belongs to the follower or to the
// folder's owner. Without the rule, a link planted there by another user would
// have the caller replace any file it points to.
bool MayFollow(const std::string& link, const struct stat& linkInfo)
{
    const std::string folder = FolderOf(link);
    struct stat folderInfo {};
    if (::stat(folder.empty() ? "." : folder.c_str(), &folderInfo) != 0) return false;
    const bool shared = (folderInfo.st_mode & S_ISVTX) && (folderInfo.st_mode & S_IWOTH);
    return !shared || linkInfo.st_uid == ::geteuid() || linkInfo.st_uid == folderInfo.st_uid;
}

// The file a write to `path` would reach: symbolic links followed as open()
// follows them, to the last one, whose target need not exist yet.
std::string FollowLinks(const std::string& path)
{
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        if (!MayFollow(current, info)) ThrowFileError(path, EACCES);
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

std::optional<std::string> AccessAcl(const std::string& file)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t size = ::getxattr(file.c_str(), kAccessAcl, nullptr, 0);
        if (size < 0) return std::nullopt;
        std::string acl(static_cast<std::size_t>(size), '\0');
        const ssize_t got = ::getxattr(file.c_str(), kAccessAcl, acl.data(), acl.size());
        if (got >= 0) {
            acl.resize(static_cast<std::size_t>(got));
            return acl;
        }
        if (errno != ERANGE) return std::nullopt;  // ERANGE: it grew meanwhile
    }
    return std::nullopt;
}
}  // namespace

OutputTarget ResolveOutput(const std::string& path)
{
    OutputTarget target;
    if (const int descriptor = DescriptorNamed(path); descriptor >= 0) {
        target.kind = OutputTarget::Kind::Descriptor;
        target.descriptor = descriptor;
        return target;
    }
    const std::string file = FollowLinks(path);
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) ThrowFileError(path, EISDIR);
        if (!S_ISREG(info.st_mode)) {
            target.kind = OutputTarget::Kind::Device;
            return target;
        }
        // Refused as a write to the file itself would be refused; opening
        // without truncating changes nothing.
        const int probe = ::open(file.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
        if (probe < 0) ThrowFileError(path, errno);
        ::close(probe);
        target.existing = info;
        target.acl = AccessAcl(file);
    } else if (errno != ENOENT) {
        ThrowFileError(path, errno);
    }
    target.folder = FolderOf(file);
    target.name = file.substr(target.folder.size());
    if (target.name.empty()) ThrowFileError(path, EISDIR);
    return target;
}

int OpenForWritingInto(const OutputTarget& target, const std::string& path)
{
    const int fd = target.kind == OutputTarget::Kind::Descriptor
                       ? ::fcntl(target.descriptor, F_DUPFD_CLOEXEC, 0)
                       : ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) ThrowFileError(path, errno);
    return fd;
}

mode_t CreationMode(const OutputTarget& target)
{
    // The owner's bits only until the replacement is the file's owner's and
    // has the file's ACL: no one gains any access at any moment.
    return target.existing ? target.existing->st_mode & 0700 : 0666;
}

int KeepAttributes(int fd, const OutputTarget& target)
{
    if (!target.existing) return 0;
    const struct stat& existing = *target.existing;
    // Owner and group are kept where the system allows (root, or a group of
    // one's own); a refusal leaves the file the writer's own.
    struct stat created {};
    if (::fstat(fd, &created) == 0 && (created.st_uid != existing.st_uid || created.st_gid != existing.st_gid))
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) (void)!::fchown(fd, -1, existing.st_gid);
    // An ACL sets the group bits to its mask: it goes first, the bits after.
    // Without one, none is left that the folder's default ACL gave.
    if (target.acl) (void)::fsetxattr(fd, kAccessAcl, target.acl->data(), target.acl->size(), 0);
    else (void)::fremovexattr(fd, kAccessAcl);
    // The permission bits are always kept; set-user and set-group bits are
    // not, as a write to the file clears them.
    return ::fchmod(fd, existing.st_mode & 0777) == 0 ? 0 : errno;
}

int WriteFully(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written >= 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        } else if (errno == EAGAIN) {
            pollfd ready{fd, POLLOUT, 0};
            ::poll(&ready, 1, -1);
        } else if (errno != EINTR) {
            return errno;
        }
    }
    return 0;
}
