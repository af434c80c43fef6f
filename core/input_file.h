// SPDX-License-Identifier: GPL-3.0-or-later
// The bytes of one input file, for the byte reader and the line reader: the
// file is mapped into memory and read only where a reader goes, and the pages
// a reader has passed are handed back, so that memory stays flat however
// large the file is.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

class InputFile {
public:
    // Raises FileError with the system's message when the file cannot be read.
    static std::shared_ptr<const InputFile> Open(const std::string& path);
    // Bytes already in memory, read the same way.
    static std::shared_ptr<const InputFile> Hold(std::string bytes);

    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    std::span<const std::uint8_t> Bytes() const { return bytes_; }

    // Hands the whole pages between the two offsets back to the system. The
    // bytes stay readable: they are read again from the file when used again.
    void HandBack(std::size_t from, std::size_t to) const;
    // The same for a range given by address: nothing happens unless it lies
    // in an open mapped file (so memory of any other kind is never touched).
    static void HandBackRange(const std::uint8_t* from, const std::uint8_t* to);

    // A pipe or device is read whole into memory, up to this size.
    static constexpr std::size_t kMaxUnmappedSize = 32u << 20;

private:
    InputFile() = default;

    std::span<const std::uint8_t> bytes_;
    void* mapping_ = nullptr;  // the mapped pages, or nothing when the bytes are held in memory
    std::size_t mappedSize_ = 0;
    std::string held_;
};
