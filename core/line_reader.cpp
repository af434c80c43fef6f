#include "core/line_reader.h"

#include <cstring>

#include "core/file_io.h"

LineReader LineReader::FromFile(const std::string& path)
{
    return LineReader(ReadFileText(path));
}

LineReader::LineReader(std::string content) : content_(std::move(content))
{
    const std::size_t eof = content_.find('\x1A');
    end_ = eof == std::string::npos ? content_.size() : eof;
}

bool LineReader::Next(std::string_view& line)
{
    if (AtEnd()) {
        line = {};
        return false;
    }
    const char* begin = content_.data() + position_;
    const char* end = content_.data() + end_;
    const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', static_cast<std::size_t>(end - begin)));
    if (!lf) lf = end;
    const auto* cr = static_cast<const char*>(std::memchr(begin, '\r', static_cast<std::size_t>(lf - begin)));
    const std::size_t stop = static_cast<std::size_t>((cr ? cr : lf) - content_.data());
    line = std::string_view(content_.data() + position_, stop - position_);
    position_ = stop;
    if (position_ < end_ && content_[position_] == '\r') ++position_;
    if (position_ < end_ && content_[position_] == '\n' && (stop == position_ || content_[stop] == '\r'))
        ++position_;
    return true;
}

bool LineReader::Next(std::string& line)
{
    std::string_view view;
    const bool got = Next(view);
    line.assign(view);
    return got;
}
