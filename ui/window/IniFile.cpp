// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/IniFile.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/io/file_io.h"

namespace {
std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

// A settings file of ours holds a few short lines. A larger file is not one
// (its content is ignored, and it is never rewritten), nor is anything but a
// regular file: a FIFO would hold the start until someone wrote into it.
constexpr std::size_t kLargestSettingsFile = 64 << 10;

enum class Content { Missing, Read, NotOurs, Unreadable };

struct Lines {
    std::vector<std::string> text;
    std::string lineEnd = "\r\n";  // kept as the file has it
    Content content = Content::Missing;
};

// The file's bytes, when it is a regular file of at most the largest size.
Content ReadSettingsBytes(const std::string& path, std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? Content::Missing : Content::Unreadable;
    struct stat info {};
    Content content = Content::Read;
    if (::fstat(fd, &info) != 0) {
        content = Content::Unreadable;
    } else if (!S_ISREG(info.st_mode) || info.st_size > static_cast<off_t>(kLargestSettingsFile)) {
        content = Content::NotOurs;
    } else {
        // One byte more than the largest size tells a file that grew meanwhile.
        bytes.resize(kLargestSettingsFile + 1);
        std::size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) content = Content::Unreadable;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        if (got > kLargestSettingsFile) content = Content::NotOurs;
        bytes.resize(content == Content::Read ? got : 0);
    }
    ::close(fd);
    return content;
}

Lines Load(const std::string& path)
{
    Lines lines;
    std::string content;
    lines.content = ReadSettingsBytes(path, content);
    bool endSeen = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] != '\r' && content[i] != '\n') continue;
        const bool crLf = content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n';
        if (!endSeen) {
            lines.lineEnd = crLf ? "\r\n" : std::string(1, content[i]);
            endSeen = true;
        }
        lines.text.push_back(content.substr(start, i - start));
        if (crLf) ++i;
        start = i + 1;
    }
    if (start < content.size()) lines.text.push_back(content.substr(start));
    return lines;
}

// The section name of a "[name]" line, or nothing.
bool SectionName(std::string_view line, std::string_view& name)
{
    line = Trim(line);
    if (line.empty() || line.front() != '[') return false;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) return false;
    name = Trim(line.substr(1, close - 1));
    return true;
}

bool KeyName(std::string_view line, std::string_view& key, std::string_view& value)
{
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';') return false;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return false;
    key = Trim(line.substr(0, equals));
    value = Trim(line.substr(equals + 1));
    return true;
}

struct Place {
    bool sectionFound = false;
    std::size_t keyLine = 0;  // valid when keyFound
    bool keyFound = false;
    std::size_t insertAt = 0;  // after the last non-blank line of the section
};

Place Find(const Lines& lines, std::string_view section, std::string_view key)
{
    Place place;
    bool inside = false;
    for (std::size_t i = 0; i < lines.text.size(); ++i) {
        std::string_view name;
        if (SectionName(lines.text[i], name)) {
            if (inside) break;  // the first section of that name is the one used
            inside = SameText(name, section);
            if (inside) {
                place.sectionFound = true;
                place.insertAt = i + 1;
            }
            continue;
        }
        if (!inside) continue;
        if (!Trim(lines.text[i]).empty()) place.insertAt = i + 1;
        std::string_view k, v;
        if (!place.keyFound && KeyName(lines.text[i], k, v) && SameText(k, key)) {
            place.keyFound = true;
            place.keyLine = i;
        }
    }
    return place;
}
}  // namespace

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const
{
    const Lines lines = Load(path_);
    const Place place = Find(lines, section, key);
    if (!place.keyFound) return defaultValue;
    std::string_view k, value;
    KeyName(lines.text[place.keyLine], k, value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int defaultValue) const
{
    const std::string text = ReadString(section, key, "");
    std::string_view digits = Trim(text);
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) return defaultValue;
    return value;
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    WriteStrings({{section, key, value}});
}

namespace {
bool OneLine(const IniEntry& e) { return (e.section + e.key + e.value).find_first_of("\r\n") == std::string::npos; }

std::string Joined(const Lines& lines)
{
    std::string content;
    for (const std::string& line : lines.text) content += line + lines.lineEnd;
    return content;
}
}  // namespace

std::vector<IniEntry> IniFile::WriteStrings(const std::vector<IniEntry>& entries)
{
    Lines lines = Load(path_);
    // Our keys alone written over a file that could not be read, or is not
    // ours, would lose everything else it holds.
    if (lines.content == Content::Unreadable || lines.content == Content::NotOurs)
        throw std::runtime_error("Unable to write to " + path_);
    std::vector<IniEntry> leftOut, droppable;
    for (const IniEntry& e : entries) {
        if (!OneLine(e)) {
            leftOut.push_back(e);
            continue;
        }
        if (e.droppable) droppable.push_back(e);
        const Place place = Find(lines, e.section, e.key);
        const std::string entry = e.key + "=" + e.value;
        if (place.keyFound) {
            lines.text[place.keyLine] = entry;
        } else if (place.sectionFound) {
            lines.text.insert(lines.text.begin() + static_cast<std::ptrdiff_t>(place.insertAt), entry);
        } else {
            lines.text.push_back("[" + e.section + "]");
            lines.text.push_back(entry);
        }
    }
    std::string content = Joined(lines);
    for (; content.size() > kLargestSettingsFile && !droppable.empty(); content = Joined(lines)) {
        const Place place = Find(lines, droppable.back().section, droppable.back().key);
        if (place.keyFound) lines.text.erase(lines.text.begin() + static_cast<std::ptrdiff_t>(place.keyLine));
        leftOut.push_back(droppable.back());
        droppable.pop_back();
    }
    // A larger file would be ignored at every start from now on.
    if (content.size() > kLargestSettingsFile) throw std::runtime_error("Unable to write to " + path_);
    try {
        WriteFileSafely(path_, content);
    } catch (const std::exception&) {
        throw std::runtime_error("Unable to write to " + path_);
    }
    return leftOut;
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value)
{
    WriteString(section, key, std::to_string(value));
}
