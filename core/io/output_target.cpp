// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/io/output_target.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <string_view>
#include <sys/xattr.h>
#include <unistd.h>

#include "core/io/file_io.h"

namespace {
constexpr const char* kAccessAcl = "system.posix_acl_access";

bool SameNode(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

std::optional<std::string> AccessAcl(int fd)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t size = ::fgetxattr(fd, kAccessAcl, nullptr, 0);
        if (size < 0) return std::nullopt;
        std::string acl(static_cast<std::size_t>(size), '\0');
        const ssize_t got = ::fgetxattr(fd, kAccessAcl, acl.data(), acl.size());
        if (got >= 0) {
            acl.resize(static_cast<std::size_t>(got));
            return acl;
        }
        if (errno != ERANGE) return std::nullopt;  // ERANGE: it grew meanwhile
    }
    return std::nullopt;
}

// The kernel's protected-regular and protected-FIFO rules: in a sticky folder
// that every user may write in, a file or FIFO is opened for writing only by
// its owner or the folder's owner. Without them, a file planted there by
// another user would receive the output and keep it theirs, or a FIFO of
// theirs would hand it to them.
void CheckNotPlanted(int folder, const struct stat& node, const std::string& path)
{
    if (!S_ISREG(node.st_mode) && !S_ISFIFO(node.st_mode)) return;
    struct stat folderInfo {};
    if (::fstat(folder, &folderInfo) != 0) ThrowFileError(path, errno);
    if (SharedStickyFolder(folderInfo) && node.st_uid != ::geteuid() && node.st_uid != folderInfo.st_uid)
        ThrowFileError(path, EACCES);
}

// Opened once, without following a link, blocking (a FIFO without a reader
// waits only when asked to) or taking a terminal, and checked to be the node
// that was resolved.
int OpenResolved(const OutputTarget& target, int flags, const std::string& path)
{
    const int fd = ::openat(target.folder.Get(), target.name.c_str(), flags | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && errno == ELOOP) throw FileError(path, kChangedMeanwhile);  // a link now
    if (fd < 0) ThrowFileError(path, errno);
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !target.existing || !SameNode(opened, *target.existing)) {
        ::close(fd);
        throw FileError(path, kChangedMeanwhile);
    }
    return fd;
}
}  // namespace

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

OutputTarget ResolveOutput(const std::string& path)
{
    OutputTarget target;
    if (const int descriptor = DescriptorNamed(path); descriptor >= 0) {
        target.kind = OutputTarget::Kind::Descriptor;
        target.descriptor = descriptor;
        return target;
    }
    WalkedPath walked = WalkToName(path);
    target.folder = std::move(walked.folder);
    target.name = std::move(walked.name);
    if (!walked.info) return target;  // a new name
    const struct stat& info = *walked.info;
    if (S_ISDIR(info.st_mode)) ThrowFileError(path, EISDIR);
    CheckNotPlanted(target.folder.Get(), info, path);
    target.existing = info;
    if (!S_ISREG(info.st_mode)) {
        target.kind = OutputTarget::Kind::Device;
        return target;
    }
    // Refused as a write to the file itself would be refused; opening
    // without truncating changes nothing.
    const Descriptor file(OpenResolved(target, O_WRONLY | O_NONBLOCK, path));
    target.acl = AccessAcl(file.Get());
    return target;
}

int OpenForWritingInto(const OutputTarget& target, const std::string& path)
{
    if (target.kind == OutputTarget::Kind::Descriptor) {
        const int fd = ::fcntl(target.descriptor, F_DUPFD_CLOEXEC, 0);
        if (fd < 0) ThrowFileError(path, errno);
        return fd;
    }
    // A FIFO waits for its reader; a device is opened without waiting, then written as any.
    const bool fifo = target.existing && S_ISFIFO(target.existing->st_mode);
    const int fd = OpenResolved(target, O_WRONLY | (fifo ? 0 : O_NONBLOCK), path);
    if (!fifo) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
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
    if (!target.existing || target.kind != OutputTarget::Kind::File) return 0;
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
