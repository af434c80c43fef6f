// SPDX-License-Identifier: GPL-3.0-or-later
// What writing to an output name reaches: a regular file to replace (after its
// links), a device or pipe to write into, or one of the process's own
// descriptors; and what a replacement keeps of the file it replaces.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

#include "core/io/path_walk.h"

struct OutputTarget {
    enum class Kind {
        File,        // replaced by a complete new file
        Device,      // a FIFO, a character device or a socket: written into
        Descriptor,  // /dev/stdout, /dev/stderr, /dev/fd/N: the descriptor written into
    };
    Kind kind = Kind::File;
    Descriptor folder;    // File and Device: the folder holding the name (O_PATH)
    std::string name;     // File and Device: the name there
    int descriptor = -1;  // Descriptor
    // File: the file replaced, when there is one, and its access ACL; Device:
    // the node written into. What was resolved, to compare with what is opened.
    std::optional<struct stat> existing;
    std::optional<std::string> acl;
};

// The process's own descriptor a name stands for (/dev/stdout, /dev/fd/N);
// -1 for any other name.
int DescriptorNamed(const std::string& path);

// Resolves an output name as a write would, links checked on every
// component (WalkToName), and refuses what a write would refuse: a folder
// (EISDIR), a file that may not be written (opened once, without following a
// link, blocking or taking a terminal, and compared with what was found), a
// file or FIFO that another user put in a sticky folder every user may write
// in (EACCES, the kernel's protected-regular and protected-FIFO rules).
// Raises FileError naming `path`.
OutputTarget ResolveOutput(const std::string& path);

// Opens a Device or Descriptor target for writing; raises FileError naming
// `path`, also when what the name holds now is not what was resolved.
int OpenForWritingInto(const OutputTarget& target, const std::string& path);

// The mode a replacement is made with: never wider than the file it replaces.
mode_t CreationMode(const OutputTarget& target);

// Gives a replacement the owner and group (where the system allows), the ACL
// and the permission bits of the file it replaces. Returns 0 or an errno.
int KeepAttributes(int fd, const OutputTarget& target);

// Writes every byte, waiting where a descriptor shared with another program
// is non-blocking. Returns 0 or an errno.
int WriteFully(int fd, std::string_view bytes);

// The text of a FileError for a name that changed between its resolution and its use.
inline constexpr const char* kChangedMeanwhile = "The file was replaced by another while it was being written";
