// SPDX-License-Identifier: GPL-3.0-or-later
// A path walked one component at a time through descriptors, as the kernel
// walks it, with every symbolic link on the way checked: an output's folder
// and name are fixed once, and later steps use the descriptor, never the name.
#pragma once

#include <optional>
#include <string>
#include <sys/stat.h>
#include <utility>

// A descriptor closed with its owner.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { Reset(); }
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int Release() { return std::exchange(fd_, -1); }
    void Reset(int fd = -1);

private:
    int fd_ = -1;
};

struct WalkedPath {
    Descriptor folder;  // an O_PATH descriptor of the folder holding the name
    std::string name;   // the last component, in that folder
    // What the name is now, not followed; nothing when there is no such name.
    std::optional<struct stat> info;
};

// The folder and name `path` designates. Links are followed as open()
// follows them, the last one too unless `followLast` is false (its target
// need not exist), but a link in a sticky folder that every user may write
// in only when it belongs to the caller or to the folder's owner, as the
// kernel's protected-symlinks rule allows. Raises FileError naming `path`:
// ENOENT or ENOTDIR for a folder on the way, ELOOP, EACCES for a link not
// followed, EISDIR for a path that names a folder.
WalkedPath WalkToName(const std::string& path, bool followLast = true);

// A sticky folder that every user may write in: other users' names there are
// protected by the kernel's rules, and those rules are kept here too.
bool SharedStickyFolder(const struct stat& folder);
