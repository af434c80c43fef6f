// SPDX-License-Identifier: GPL-3.0-or-later
// The files of a folder given as an input of a batch, found through
// descriptors (openat) without opening any of them: regular files and links
// to them are taken; pipes, sockets and devices, the system files of memory
// cards and other systems, the command's own temporary files and what the
// patterns leave out are skipped and said; a folder that cannot be read is
// named with the reason.
#pragma once

#include <string>
#include <vector>

struct WalkRules {
    bool recursive = false;
    // Shell patterns of the path below the folder given ("logs/*.txt").
    std::vector<std::string> excludes, includes;
    std::string outputFolder;  // never looked into; empty: none
};

struct WalkedFile {
    std::string path;       // the folder given, then the path below it
    std::string subfolder;  // the path below the folder given of its folder; empty at the top
};

struct SkippedEntry {
    std::string path;
    std::string reason;  // "a FIFO", "a system file", "excluded"...
    // Left out as a matter of course (a system file, a temporary file, what
    // the patterns leave out): counted, not said one by one.
    bool routine = false;
};

struct FolderContents {
    std::vector<WalkedFile> files;  // in the order of their paths
    std::vector<SkippedEntry> skipped;
    std::vector<SkippedEntry> unreadable;  // folders, with the system's message
};

void WalkFolder(const std::string& folder, const WalkRules& rules, FolderContents& contents);

// A name of the files and folders that memory cards and other systems keep
// for themselves (AppleDouble "._" files, ".Trashes", "System Volume
// Information"...), or of the temporary files of this command.
bool IsSystemName(const std::string& name);
bool IsOwnTemporaryName(const std::string& name);

// Why a pattern of --exclude or --include is broken (a '[' never closed, a
// '\\' that escapes nothing, an unknown character class); empty when it is
// not. fnmatch takes such a pattern for the characters themselves, which is
// seldom what was meant.
std::string PatternProblem(const std::string& pattern);
