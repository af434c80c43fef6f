// SPDX-License-Identifier: GPL-3.0-or-later
// A GPX file in UTF-32, given to the parser as UTF-8 piece by piece, so that
// memory stays flat whatever the file's size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class ByteReader;

namespace gpx {

// The UTF-32 byte order of a file that starts with its byte order mark or
// with "<" in UTF-32; nullptr for any other start.
const char* Utf32Encoding(std::span<const std::uint8_t> head);

class Utf32Source {
public:
    Utf32Source(ByteReader& file, const char* encoding);
    ~Utf32Source();
    Utf32Source(const Utf32Source&) = delete;
    Utf32Source& operator=(const Utf32Source&) = delete;

    // Unknown ahead: more than the parser ever takes whole.
    std::size_t remaining() const { return SIZE_MAX; }
    bool at_end();
    std::size_t read_some(std::span<std::uint8_t> out);
    // The input held bytes that are no UTF-32 characters (or a character cut
    // short at its end): the text stops before them.
    bool Invalid() const { return invalid_; }

private:
    void Decode();

    ByteReader& file_;
    void* converter_;
    std::vector<std::uint8_t> decoded_;
    std::size_t taken_ = 0;  // of decoded_
    bool invalid_ = false;
};

}  // namespace gpx
