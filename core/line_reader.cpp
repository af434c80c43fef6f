#include "core/line_reader.h"

#include <algorithm>
#include <cstring>

#include "core/input_file.h"

namespace {
constexpr char kLineEnds[3] = {'\r', '\n', '\x1A'};
// Lines are searched for in windows of this size past an over-long line, and
// the memory of lines passed is handed back in steps of it.
constexpr std::size_t kWindow = 4u << 20;
}  // namespace

LineReader LineReader::FromFile(const std::string& path) { return LineReader(InputFile::Open(path)); }

LineReader::LineReader(std::string content) : LineReader(InputFile::Hold(std::move(content))) {}

LineReader::LineReader(std::shared_ptr<const InputFile> input) : input_(std::move(input))
{
    data_ = reinterpret_cast<const char*>(input_->Bytes().data());
    size_ = input_->Bytes().size();
}

// The first occurrence of one line-end byte in [from, limit), or kNone; `from`
// never goes back between calls.
std::size_t LineReader::Find(std::size_t which, std::size_t from, std::size_t limit)
{
    std::size_t& found = found_[which];
    std::size_t& searched = searched_[which];
    if (found != kNone && found >= from) return found < limit ? found : kNone;
    // Nothing at or after `from` is known, and [from, searched) holds none.
    const std::size_t begin = std::max(from, searched);
    if (begin >= limit) return kNone;
    const void* hit = std::memchr(data_ + begin, kLineEnds[which], limit - begin);
    if (!hit) {
        found = kNone;
        searched = limit;
        return kNone;
    }
    found = static_cast<std::size_t>(static_cast<const char*>(hit) - data_);
    searched = found + 1;
    return found;
}

std::size_t LineReader::FindBreak(std::size_t from, std::size_t limit)
{
    std::size_t first = kNone;
    for (std::size_t which = 0; which < 3; ++which) {
        const std::size_t at = Find(which, from, first == kNone ? limit : first);
        if (at != kNone) first = at;
    }
    return first;
}

// The break after an over-long line, searched window by window; the windows
// passed are handed back.
std::size_t LineReader::SkipRestOfLine(std::size_t from)
{
    for (std::size_t window = from; window < size_; window += kWindow) {
        const std::size_t found = FindBreak(window, std::min(size_, window + kWindow));
        input_->HandBack(from, window);
        if (found != kNone) return found;
    }
    input_->HandBack(from, size_);
    return kNone;
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
    std::size_t stop = FindBreak(start, limit);
    line = std::string_view(data_ + start, (stop == kNone ? limit : stop) - start);
    if (stop == kNone) stop = limit < size_ ? SkipRestOfLine(limit) : kNone;
    if (stop == kNone) {
        position_ = size_;
        return true;
    }
    position_ = stop;
    if (data_[position_] == '\r') ++position_;
    else if (data_[position_] == '\n') ++position_;
    else return true;  // byte 26: the file ends here
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
