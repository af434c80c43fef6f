// SPDX-License-Identifier: GPL-3.0-or-later
// Texts from file names and from inside files, made safe to show: a control
// character would move the cursor, clear the screen or retitle the terminal,
// and a bidirectional control would show the line in another order.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Control characters (C0, DEL and C1), the bidirectional marks and controls
// (U+061C, U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069) and bytes that
// are not UTF-8 as "\xHH", byte by byte; everything else as it is.
std::string Shown(std::string_view text);

// One line on `stream`, shown as above.
void PrintLine(std::FILE* stream, std::string_view text);

// Standard output as a command writes it: text as it is, with the first
// failure to write it kept.
class CommandOutput {
public:
    explicit CommandOutput(std::FILE* stream) : stream_(stream) {}
    void Emit(std::string_view text);
    // Flushes the stream: 0 when everything written reached it, otherwise
    // the errno of the first failure.
    int Error();

private:
    std::FILE* stream_;
    int firstError_ = 0;
};
