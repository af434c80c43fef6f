// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file layer: reads and writes one key of an initialisation file
// at a time, matching sections and keys without regard to case and keeping
// every other section, key and comment of the file as it stands.
#pragma once

#include <string>
#include <vector>

struct IniEntry {
    std::string section, key, value;
    // May be left out, the last first, so that the file stays one that is
    // read at the next start (the recent files).
    bool droppable = false;
};

class IniFile {
public:
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }

    // The value (trimmed, one pair of enclosing quotes removed), or the default
    // when the file, the section or the key is missing. Only a regular file of
    // at most 64 KB is read: any other is not a settings file of ours.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    // A decimal integer; anything else, including a number out of range, gives the default.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;

    // Replaces the key's line, or adds the key at the end of its section, or
    // adds the section at the end of the file. Throws std::runtime_error
    // "Unable to write to <path>" when the file cannot be written, or cannot
    // be read or is not ours (rewriting it would lose what else it holds).
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    // Several keys, in order, in one rewrite of the file: each safe write of
    // it waits for the disk. A value with a line break is left out (it would
    // become lines of its own), and so are droppable entries, the last first,
    // while the file would outgrow the largest one read. Returns what was
    // left out.
    std::vector<IniEntry> WriteStrings(const std::vector<IniEntry>& entries);

private:
    std::string path_;
};
