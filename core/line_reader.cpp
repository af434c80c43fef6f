// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/line_reader.h"

#include <algorithm>

#include "core/byte_scan.h"
#include "core/input_file.h"

namespace {
static_assert(LineReader::kMaxLineLength + 1 <= InputFile::kMaxWindow);

bool IsLineEnd(char c) { return c == '\r' || c == '\n' || c == '\x1A'; }

// The first CR, LF or byte 26 in [from, limit), or limit when there is none.
// Every byte is looked at once, whatever the line ends; all three are below
// 27, so most words are passed over by one test.
std::size_t FindLineEnd(const char* data, std::size_t from, std::size_t limit)
{
    using namespace bytescan;
    std::size_t i = from;
    for (; limit - i >= 8; i += 8) {
        const std::uint64_t word = Load(data + i);
        if (Below(word, 0x1B) == 0) continue;
        const std::uint64_t ends = Equal(word, '\r') | Equal(word, '\n') | Equal(word, 0x1A);
        if (ends != 0) return i + FirstMarked(ends);
    }
    while (i < limit && !IsLineEnd(data[i])) ++i;
    return i;
}
}  // namespace

LineReader LineReader::FromFile(const std::string& path) { return LineReader(InputFile::Open(path)); }

LineReader::LineReader(std::string content) : content_(std::move(content))
{
    held_ = content_.data();
    heldSize_ = content_.size();
    ended_ = true;
}

LineReader::LineReader(std::shared_ptr<InputFile> input) : input_(std::move(input)) { ended_ = input_->Size() == 0; }

// Holds the bytes from `from` on, at least count of them unless the input ends sooner.
void LineReader::Hold(std::size_t from, std::size_t count)
{
    const auto bytes = input_->Load(from, count);
    held_ = reinterpret_cast<const char*>(bytes.data());
    heldFrom_ = from;
    heldSize_ = bytes.size();
    ended_ = HeldEnd() == input_->Size();
}

// True when the byte at the position is held, once read when it was not.
bool LineReader::ByteAtPosition()
{
    if (position_ < HeldEnd()) return true;
    if (ended_) return false;
    Hold(position_, 1);
    return position_ < HeldEnd();
}

// Moves past the line end found at stop. The LF of a CR LF pair is passed
// here when it is held already, else at the next use of the reader, so that
// the line just read stays where it is.
void LineReader::EndLineAt(std::size_t stop)
{
    const char end = HeldAt(stop);
    if (end == '\x1A') {
        position_ = stop;  // the end of the file
        return;
    }
    position_ = stop + 1;
    if (end != '\r') return;
    if (position_ < HeldEnd()) {
        if (HeldAt(position_) == '\n') ++position_;
    } else {
        crPending_ = !ended_;
    }
}

void LineReader::SkipRestOfLine()
{
    skippingLine_ = false;
    while (ByteAtPosition()) {
        const std::size_t stop = heldFrom_ + FindLineEnd(held_, position_ - heldFrom_, heldSize_);
        if (stop < HeldEnd()) {
            EndLineAt(stop);
            return;
        }
        position_ = HeldEnd();
    }
}

bool LineReader::AtEnd()
{
    if (skippingLine_) SkipRestOfLine();
    if (crPending_) {
        crPending_ = false;
        if (ByteAtPosition() && HeldAt(position_) == '\n') ++position_;
    }
    return !ByteAtPosition() || HeldAt(position_) == '\x1A';
}

bool LineReader::Next(std::string_view& line)
{
    if (AtEnd()) {
        line = {};
        return false;
    }
    const std::size_t start = position_;
    std::size_t searched = start;  // no line end lies before it
    for (;;) {
        const std::size_t limit = std::min(HeldEnd(), start + kMaxLineLength);
        const std::size_t stop = heldFrom_ + FindLineEnd(held_, searched - heldFrom_, limit - heldFrom_);
        if (stop < limit) {
            line = std::string_view(held_ + (start - heldFrom_), stop - start);
            EndLineAt(stop);
            return true;
        }
        if (limit == start + kMaxLineLength || ended_) {
            // An over-long line gives its first part; the last line may lack its break.
            line = std::string_view(held_ + (start - heldFrom_), limit - start);
            position_ = limit;
            skippingLine_ = limit < HeldEnd() || !ended_;
            return true;
        }
        // The line's start stays; what is held of it doubles, so that a long line is read once.
        searched = limit;
        const std::size_t held = HeldEnd() - start;
        Hold(start, std::min(std::max(2 * held, held + 1), kMaxLineLength));
    }
}

bool LineReader::Next(std::string& line)
{
    std::string_view view;
    const bool got = Next(view);
    line.assign(view);
    return got;
}
