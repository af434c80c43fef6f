// SPDX-License-Identifier: GPL-3.0-or-later
// The one text line reader of every text format: a line ends at CR, CR LF or
// LF alone, and a byte 26 (Ctrl-Z) ends the file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/text/text_units.h"

class InputFile;
struct ReadWatch;

class LineReader {
public:
    // A longer line gives its first kMaxLineLength bytes; the rest of it is
    // skipped, so that one endless line cannot fill the memory.
    static constexpr std::size_t kMaxLineLength = 1u << 20;

    // Reads a file through a window of a few megabytes, so that memory stays
    // flat. Raises FileError when the file cannot be opened, and later, from
    // Next or AtEnd, when it fails or is found cut short. Each fill is noted
    // to `watch` (InputFile::Open).
    static LineReader FromFile(const std::string& path, std::shared_ptr<ReadWatch> watch = nullptr);
    explicit LineReader(std::string content);
    // The same for an ASCII text that may be written in 16-bit units (told by
    // UnitsOf): its lines hold a byte per unit, kNotAscii for a unit that is
    // no ASCII character. A file is decoded as it is read, a window at a time.
    static LineReader FromFileOfAnyUnits(const std::string& path, std::shared_ptr<ReadWatch> watch = nullptr);
    static LineReader OfAnyUnits(std::string content);

    // The held bytes point into the reader itself or its window.
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // True when no line is left: the content is used up or a byte 26 was reached.
    bool AtEnd();
    // The next line without its line break; false (and an empty line) at the end.
    bool Next(std::string& line);
    // The same, as a view into the reader's buffer, valid until the reader is next used.
    bool Next(std::string_view& line);

    // What the text is written in.
    TextUnits Units() const { return units_; }
    // The break that ended the line before the one last read ("\r\n", "\n"
    // or "\r"): what a quoted text that goes on over lines holds there.
    std::string_view BreakBefore() const { return breakBefore_; }

private:
    explicit LineReader(std::shared_ptr<InputFile> input, UnitsFound units = {});
    // Content decoded already from the units given.
    LineReader(std::string content, TextUnits decodedFrom);
    void Hold(std::size_t from, std::size_t count);
    void HoldUnits(std::size_t from, std::size_t count);
    // The input's size in characters (kUnknownSize for a pipe not yet read to its end).
    std::size_t InputSize() const;
    bool ByteAtPosition();
    void EndLineAt(std::size_t stop);
    void SkipRestOfLine();
    std::size_t HeldEnd() const { return heldFrom_ + heldSize_; }
    char HeldAt(std::size_t offset) const { return held_[offset - heldFrom_]; }

    std::shared_ptr<InputFile> input_;  // none when the content was given
    std::string content_;
    TextUnits units_ = TextUnits::Bytes;
    std::size_t markSize_ = 0;    // bytes before the first unit
    std::string decoded_;         // the characters of the units held, from heldFrom_ on
    const char* held_ = nullptr;  // held_[0] is the byte at offset heldFrom_
    std::size_t heldFrom_ = 0;
    std::size_t heldSize_ = 0;
    bool ended_ = false;  // the held bytes reach the end of the input
    std::size_t position_ = 0;
    bool crPending_ = false;     // a line ended at a CR whose next byte was not held yet
    bool skippingLine_ = false;  // the rest of an over-long line is still to be passed
    std::string_view lastBreak_, breakBefore_;
};
