// SPDX-License-Identifier: GPL-3.0-or-later
// The file layer: a read of part of a file, the one safe-write routine every
// output goes through, and the one exception type for file errors.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

class FileError : public std::runtime_error {
public:
    FileError(const std::string& path, const std::string& systemMessage);
    const std::string& Path() const { return path_; }
    const std::string& SystemMessage() const { return systemMessage_; }

private:
    std::string path_;
    std::string systemMessage_;
};

// Raises FileError with the system's message for errno.
[[noreturn]] void ThrowFileError(const std::string& path, int errorNumber);

// Up to count bytes from offset on; fewer, or none, where the file ends sooner.
// For a look at a signature: readers go through ByteReader::FromFile and
// LineReader::FromFile, which load only what they read.
std::string ReadFileRange(const std::string& path, std::uint64_t offset, std::size_t count);

// Writes an output in pieces to a temporary file beside it and renames it over
// the output only on Commit: a failed or abandoned write leaves an earlier file
// of that name untouched and no partial file behind.
//
// Replacing follows what a write to the output itself would do: an output that
// cannot be written is refused with the system's error, an output that is a
// symbolic link has the file it points to replaced (the link stays), and the
// replacement keeps the permission bits of the file it replaces.
class SafeFileWriter {
public:
    // Creates the temporary file; raises FileError naming `path`.
    explicit SafeFileWriter(const std::string& path);
    // Removes the temporary file unless committed.
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    void Append(std::string_view piece);
    // Completes the file and puts it in the output's place.
    void Commit();

private:
    void Flush();
    [[noreturn]] void Fail(int errorNumber);

    std::string path_;       // as given, for error messages
    std::string target_;     // the file replaced: the path with its links followed
    std::string temporary_;  // beside the target, in the target's folder
    int fd_ = -1;
    std::string buffer_;
    bool done_ = false;
};

// The whole content at once, through SafeFileWriter.
void WriteFileSafely(const std::string& path, std::string_view content);

// True when both names refer to one file on disk (device and inode when the
// file exists, the absolute path otherwise).
bool SameFileOnDisk(const std::string& a, const std::string& b);
// A text equal for two names exactly when SameFileOnDisk holds for them, for
// finding one file among many.
std::string FileIdentity(const std::string& path);
