// The file layer: whole-file reads, the one safe-write routine every output
// goes through, and the one exception type for file errors.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

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

// The whole file in memory, for small files; readers go through
// ByteReader::FromFile and LineReader::FromFile, which load only what they read.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
std::string ReadFileText(const std::string& path);

// Writes the whole content to a temporary file beside the target and renames
// it over the target only when complete: a failed write leaves an earlier file
// of that name untouched and no partial file behind.
void WriteFileSafely(const std::string& path, std::string_view content);

// True when both names refer to one file on disk (device and inode when the
// file exists, the absolute path otherwise).
bool SameFileOnDisk(const std::string& a, const std::string& b);
