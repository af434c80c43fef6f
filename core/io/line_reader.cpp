// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/io/line_reader.h"

#include <algorithm>

#include "core/io/byte_scan.h"
#include "core/io/input_file.h"

namespace {
static_assert(LineReader::kMaxLineLength + 1 <= InputFile::kMaxWindow);
// The bytes of a line's 16-bit units fit in one window too.
static_assert(2 * LineReader::kMaxLineLength <= InputFile::kMaxWindow);
// Bytes read to tell the units of a text.
constexpr std::size_t kUnitsLook = 8;

using bytescan::FindLineEnd;
}  // namespace

LineReader LineReader::FromFile(const std::string& path, std::shared_ptr<ReadWatch> watch)
{
    return LineReader(InputFile::Open(path, std::move(watch)));
}

LineReader::LineReader(std::string content) : LineReader(std::move(content), TextUnits::Bytes) {}

LineReader::LineReader(std::string content, TextUnits decodedFrom) : content_(std::move(content)), units_(decodedFrom)
{
    held_ = content_.data();
    heldSize_ = content_.size();
    ended_ = true;
}

LineReader LineReader::FromFileOfAnyUnits(const std::string& path, std::shared_ptr<ReadWatch> watch)
{
    std::shared_ptr<InputFile> input = InputFile::Open(path, std::move(watch));
    const auto start = input->Load(0, kUnitsLook);
    const UnitsFound units = UnitsOf({reinterpret_cast<const char*>(start.data()), std::min(start.size(), kUnitsLook)});
    return LineReader(std::move(input), units);
}

LineReader LineReader::OfAnyUnits(std::string content)
{
    const UnitsFound units = UnitsOf(content);
    if (units.units == TextUnits::Bytes) return LineReader(std::move(content));
    return LineReader(TextOfUnits(std::string_view(content).substr(units.markSize), units.units), units.units);
}

LineReader::LineReader(std::shared_ptr<InputFile> input, UnitsFound units)
    : input_(std::move(input)), units_(units.units), markSize_(units.markSize)
{
    ended_ = InputSize() == 0;
}

std::size_t LineReader::InputSize() const
{
    const std::size_t size = input_->Size();
    if (units_ == TextUnits::Bytes || size == InputFile::kUnknownSize) return size;
    return (size - markSize_ + 1) / 2;  // an odd last byte is a character of its own
}

// Holds the bytes from `from` on, at least count of them unless the input ends sooner.
void LineReader::Hold(std::size_t from, std::size_t count)
{
    if (units_ != TextUnits::Bytes) return HoldUnits(from, count);
    const auto bytes = input_->Load(from, count);
    held_ = reinterpret_cast<const char*>(bytes.data());
    heldFrom_ = from;
    heldSize_ = bytes.size();
    ended_ = HeldEnd() == input_->Size();
}

// Hold for 16-bit text: the characters of the units from `from` on, decoded
// from the window's bytes.
void LineReader::HoldUnits(std::size_t from, std::size_t count)
{
    const std::size_t offset = markSize_ + 2 * from;
    const auto bytes = input_->Load(offset, 2 * count);
    const std::string_view units(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    decoded_.clear();
    AppendUnits(units, units_, decoded_);
    if (units.size() % 2 != 0 && offset + units.size() == input_->Size()) decoded_ += kNotAscii;
    held_ = decoded_.data();
    heldFrom_ = from;
    heldSize_ = decoded_.size();
    ended_ = HeldEnd() == InputSize();
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
    lastBreak_ = end == '\r' ? "\r" : "\n";
    if (end != '\r') return;
    if (position_ < HeldEnd()) {
        if (HeldAt(position_) == '\n') {
            ++position_;
            lastBreak_ = "\r\n";
        }
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
        if (ByteAtPosition() && HeldAt(position_) == '\n') {
            ++position_;
            lastBreak_ = "\r\n";
        }
    }
    return !ByteAtPosition() || HeldAt(position_) == '\x1A';
}

bool LineReader::Next(std::string_view& line)
{
    if (AtEnd()) {
        line = {};
        return false;
    }
    breakBefore_ = lastBreak_;
    lastBreak_ = {};
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
