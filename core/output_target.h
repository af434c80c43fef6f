// SPDX-License-Identifier: GPL-3.0-or-later
// What writing to an output name reaches: a regular file to replace (after its
// links), a device or pipe to write into, or one of the process's own
// descriptors; and what a replacement keeps of the file it replaces.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

struct OutputTarget {
    enum class Kind {
        File,        // replaced by a complete new file
        Device,      // a FIFO, a character device or a socket: written into
        Descriptor,  // /dev/stdout, /dev/stderr, /dev/fd/N: the descriptor written into
    };
    Kind kind = Kind::File;
    std::string folder;   // File: the folder of the file replaced, with its slash
    std::string name;     // File: its name there
    int descriptor = -1;  // Descriptor
    // File: the file replaced, when there is one, and its access ACL.
    std::optional<struct stat> existing;
    std::optional<std::string> acl;
};

// Resolves an output name as a write would, and refuses what a write would
// refuse: a folder (EISDIR), a file that may not be written, a symbolic link
// the kernel's protected-symlinks rule would not follow (EACCES). Raises
// FileError naming `path`.
OutputTarget ResolveOutput(const std::string& path);

// Opens a Device or Descriptor target for writing; raises FileError naming `path`.
int OpenForWritingInto(const OutputTarget& target, const std::string& path);

// The mode a replacement is made with: never wider than the file it replaces.
mode_t CreationMode(const OutputTarget& target);

// Gives a replacement the owner and group (where the system allows), the ACL
// and the permission bits of the file it replaces. Returns 0 or an errno.
int KeepAttributes(int fd, const OutputTarget& target);

// Writes every byte, waiting where a descriptor shared with another program
// is non-blocking. Returns 0 or an errno.
int WriteFully(int fd, std::string_view bytes);
