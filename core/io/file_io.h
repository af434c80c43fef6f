// SPDX-License-Identifier: GPL-3.0-or-later
// The file layer: a read of part of a file, the one safe-write routine every
// output goes through, and the one exception type for file errors.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

class FileError : public std::runtime_error {
public:
    FileError(const std::string& path, const std::string& systemMessage, int errorNumber = 0);
    const std::string& Path() const { return path_; }
    const std::string& SystemMessage() const { return systemMessage_; }
    // The errno the message is of; 0 for a message of this system's own.
    int ErrorNumber() const { return errorNumber_; }

private:
    std::string path_;
    std::string systemMessage_;
    int errorNumber_;
};

// Raises FileError with the system's message for errno.
[[noreturn]] void ThrowFileError(const std::string& path, int errorNumber);

// Up to count bytes from offset on; fewer, or none, where the file ends sooner.
// For a look at a signature: readers go through ByteReader::FromFile and
// LineReader::FromFile, which read through a bounded window. A pipe or device
// is read once: what the look read is kept for the reader that opens it next.
std::string ReadFileRange(const std::string& path, std::uint64_t offset, std::size_t count);

// Writes an output in pieces to a temporary file beside it and renames it over
// the output only on Commit: a failed or abandoned write leaves an earlier file
// of that name untouched and no partial file behind. Nothing is made before
// the first piece goes out (the constructor only keeps the name), and the file
// is flushed to disk before it is renamed, the folder after.
//
// Replacing follows what a write to the output itself would do: an output that
// cannot be written is refused with the system's error, an output that is a
// symbolic link has the file it points to replaced (the link stays; a link in
// a shared sticky folder only as the kernel's protected-symlinks rule allows),
// and the replacement keeps the permission bits, owner and ACL of the file it
// replaces, with never wider bits while it is made. A device, a pipe or
// /dev/stdout is written into as it goes, never replaced.
//
// Given an OutputTransaction, the name is not resolved
// while writing: the file is made beside the name (or, for a device, a pipe
// or /dev/stdout, in the temporary folder) and Commit hands it to the
// transaction, which resolves the name once, when it commits.
class OutputTransaction;

class SafeFileWriter {
public:
    // Raises nothing: the output is resolved when writing starts. Without a
    // transaction, Commit puts the file in place at once.
    SafeFileWriter(const std::string& path, OutputTransaction* transaction);
    // Removes the temporary file unless committed.
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Raises FileError naming the path.
    void Append(std::string_view piece);
    // Completes the file and puts it in the output's place.
    void Commit();

private:
    struct Output;
    void Open();
    void Flush();
    void Write(std::string_view bytes);
    [[noreturn]] void Fail(int errorNumber);

    std::string path_;  // as given, for error messages
    OutputTransaction* transaction_;
    std::unique_ptr<Output> output_;
    std::string buffer_;
    bool done_ = false;
};

// The whole content at once, through SafeFileWriter.
void WriteFileSafely(const std::string& path, std::string_view content, OutputTransaction* transaction = nullptr);

// True when both names refer to one file on disk (device and inode when the
// file exists, the absolute path otherwise: two names that cannot be examined
// are the same only when their paths are).
bool SameFileOnDisk(const std::string& a, const std::string& b);
// A text equal for two names exactly when SameFileOnDisk holds for them, for
// finding one file among many.
std::string FileIdentity(const std::string& path);
