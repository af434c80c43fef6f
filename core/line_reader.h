// SPDX-License-Identifier: GPL-3.0-or-later
// The one text line reader of every text format: a line ends at CR, CR LF or
// LF alone, and a byte 26 (Ctrl-Z) ends the file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class InputFile;

class LineReader {
public:
    // A longer line gives its first kMaxLineLength bytes; the rest of it is
    // skipped, so that one endless line cannot fill the memory.
    static constexpr std::size_t kMaxLineLength = 1u << 20;

    // Reads a file as it goes: only the lines read are loaded, and the memory
    // of the lines passed is given back. Raises FileError when the file cannot
    // be opened.
    static LineReader FromFile(const std::string& path);
    explicit LineReader(std::string content);

    // True when no line is left: the content is used up or a byte 26 was reached.
    bool AtEnd() const { return position_ >= size_ || data_[position_] == '\x1A'; }
    // The next line without its line break; false (and an empty line) at the end.
    bool Next(std::string& line);
    // The same, as a view into the reader's buffer, valid until the reader goes.
    bool Next(std::string_view& line);

private:
    explicit LineReader(std::shared_ptr<const InputFile> input);
    std::size_t SkipRestOfLine(std::size_t from);

    std::shared_ptr<const InputFile> input_;
    const char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t position_ = 0;
    std::size_t handedBack_ = 0;
};
