// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/terminal_text.h"

#include <cerrno>

#include "core/text/text_encoding.h"

namespace {
void AppendEscaped(std::string& out, std::string_view bytes)
{
    constexpr char kHex[] = "0123456789abcdef";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    }
}

// Control characters, and the marks and controls of bidirectional text, which
// reorder what follows them on the line (a name that shows "gpx.exe" as "exe.gpx").
bool Hidden(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}
}  // namespace

std::string Shown(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t c = 0;
        const std::size_t length = DecodeUtf8At(text, at, c);
        if (length == 0) {
            AppendEscaped(out, text.substr(at, 1));
            ++at;
            continue;
        }
        if (Hidden(c)) AppendEscaped(out, text.substr(at, length));
        else out.append(text.substr(at, length));
        at += length;
    }
    return out;
}

// In one write: a line said from another thread never cuts into it.
void PrintLine(std::FILE* stream, std::string_view text)
{
    const std::string line = Shown(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stream);
}

void CommandOutput::Emit(std::string_view text)
{
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stream_) != text.size() && firstError_ == 0)
        firstError_ = errno != 0 ? errno : EIO;
}

int CommandOutput::Error()
{
    errno = 0;
    if (std::fflush(stream_) != 0 && firstError_ == 0) firstError_ = errno != 0 ? errno : EIO;
    if (std::ferror(stream_) && firstError_ == 0) firstError_ = EIO;
    return firstError_;
}
