#include "core/line_reader.h"

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
    std::size_t stop = position_;
    while (stop < end_ && content_[stop] != '\r' && content_[stop] != '\n') ++stop;
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
