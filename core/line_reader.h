// The one text line reader of every text format: a line ends at CR, CR LF or
// LF alone, and a byte 26 (Ctrl-Z) ends the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class LineReader {
public:
    // Reads the whole file; raises FileError when it cannot be read.
    static LineReader FromFile(const std::string& path);
    explicit LineReader(std::string content);

    // True when no line is left: the content is used up or a byte 26 was reached.
    bool AtEnd() const { return position_ >= end_; }
    // The next line without its line break; false (and an empty line) at the end.
    bool Next(std::string& line);
    // The same, as a view into the reader's buffer, valid until the reader goes.
    bool Next(std::string_view& line);

private:
    std::string content_;
    std::size_t position_ = 0;
    std::size_t end_ = 0;
};
