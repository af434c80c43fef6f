// SPDX-License-Identifier: GPL-3.0-or-later
// The bytes of a JSON file as RapidJSON's reader takes them: a chunk at a
// time from the byte reader, so that memory stays flat whatever the file's
// size, and a string longer than kLongestString ends the input there (the
// reader would otherwise hold it whole).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/io/byte_reader.h"

class JsonChunks {
public:
    using Ch = char;
    static constexpr std::size_t kLongestString = 4u << 20;

    explicit JsonChunks(ByteReader& bytes) : bytes_(bytes)
    {
        // A byte-order mark is no JSON, but editors write one.
        if (Peek() == '\xEF' && end_ - at_ >= 3 && buffer_[at_ + 1] == 0xBB && buffer_[at_ + 2] == 0xBF) {
            at_ += 3;
            told_ += 3;
        }
    }

    Ch Peek()
    {
        if (at_ == end_ && !Fill()) return '\0';
        return static_cast<Ch>(buffer_[at_]);
    }
    Ch Take()
    {
        const Ch c = Peek();
        if (c == '\0' && at_ == end_) return c;
        ++at_;
        ++told_;
        Follow(c);
        return c;
    }
    std::size_t Tell() const { return told_; }
    // A string ran past kLongestString: the input was ended there.
    bool Overlong() const { return overlong_; }

    // Writing is never asked of an input stream.
    Ch* PutBegin() { return nullptr; }
    void Put(Ch) {}
    void Flush() {}
    std::size_t PutEnd(Ch*) { return 0; }

private:
    static constexpr std::size_t kChunk = 64u << 10;

    bool Fill()
    {
        if (overlong_ || bytes_.at_end()) return false;
        end_ = bytes_.read_some(buffer_);
        at_ = 0;
        return end_ > 0;
    }
    // Whether a string is open, and how long it is so far.
    void Follow(Ch c)
    {
        if (!inString_) {
            inString_ = c == '"';
            stringLength_ = 0;
            return;
        }
        if (escaped_) escaped_ = false;
        else if (c == '\\') escaped_ = true;
        else if (c == '"') inString_ = false;
        if (++stringLength_ > kLongestString) {
            overlong_ = true;
            at_ = end_;
        }
    }

    ByteReader& bytes_;
    std::array<std::uint8_t, kChunk> buffer_{};
    std::size_t at_ = 0, end_ = 0, told_ = 0, stringLength_ = 0;
    bool inString_ = false, escaped_ = false, overlong_ = false;
};
