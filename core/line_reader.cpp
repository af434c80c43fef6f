// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/line_reader.h"

#include <algorithm>

#include "core/byte_scan.h"
#include "core/input_file.h"

namespace {
// Past an over-long line the line end is searched for in windows of this
// size, and the memory of lines passed is handed back in steps of it.
constexpr std::size_t kWindow = 4u << 20;

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

LineReader::LineReader(std::string content) : LineReader(InputFile::Hold(std::move(content))) {}

LineReader::LineReader(std::shared_ptr<const InputFile> input) : input_(std::move(input))
{
    data_ = reinterpret_cast<const char*>(input_->Bytes().data());
    size_ = input_->Bytes().size();
}

// The line end after an over-long line, or the end of the content; the
// windows passed are handed back.
std::size_t LineReader::SkipRestOfLine(std::size_t from)
{
    for (std::size_t window = from; window < size_; window += kWindow) {
        const std::size_t limit = std::min(size_, window + kWindow);
        const std::size_t stop = FindLineEnd(data_, window, limit);
        input_->HandBack(from, stop);
        if (stop < limit) return stop;
    }
    return size_;
}

bool LineReader::Next(std::string_view& line)
{
    if (AtEnd()) {
        line = {};
        return false;
    }
    const std::size_t start = position_;
    if (start - handedBack_ >= kWindow) {
        input_->HandBack(handedBack_, start);
        handedBack_ = start;
    }
    const std::size_t limit = std::min(size_, start + kMaxLineLength);
    std::size_t stop = FindLineEnd(data_, start, limit);
    line = std::string_view(data_ + start, stop - start);
    if (stop == limit && limit < size_) stop = SkipRestOfLine(limit);

    position_ = stop;
    if (stop == size_ || data_[stop] == '\x1A') return true;  // the last line
    ++position_;
    if (data_[stop] == '\r' && position_ < size_ && data_[position_] == '\n') ++position_;
    return true;
}

bool LineReader::Next(std::string& line)
{
    std::string_view view;
    const bool got = Next(view);
    line.assign(view);
    return got;
}
