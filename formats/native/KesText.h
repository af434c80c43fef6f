// SPDX-License-Identifier: GPL-3.0-or-later
// Pieces shared by the native text files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/document/findings.h"
#include "core/io/line_reader.h"
#include "core/text/number_format.h"
#include "core/time/utc_time.h"

namespace kes {

inline constexpr const char* kCrLf = "\r\n";
// The writers hand their lines to the output in pieces of about this size:
// a whole file's text held at once costs as much fresh memory as the file.
inline constexpr std::size_t kWritePiece = 1 << 16;

// Appends a text column so that it cannot break the line: a comma becomes
// byte 209 (the files' own escape) and CR, LF or byte 26 becomes a blank.
void AppendTextColumn(std::string& out, std::string_view text);

// One line of comma-separated columns: runs of number columns are built in
// place and appended in one piece, before each text column and at the end.
class ColumnLine {
public:
    explicit ColumnLine(std::string& out) : out_(out) {}
    ColumnLine(const ColumnLine&) = delete;
    ColumnLine& operator=(const ColumnLine&) = delete;

    // Each column is followed by a comma; End takes the last one back.
    void Int(std::int64_t value, int width)
    {
        MakeRoom(kMaxNotationLength);
        at_ = WriteInt(at_, value, width);
        *at_++ = ',';
    }
    void Real(double value, int width, int decimals)
    {
        MakeRoom(kMaxNotationLength);
        at_ = WriteReal(at_, value, width, decimals);
        *at_++ = ',';
    }
    void Raw(std::string_view text);
    void Text(std::string_view text);  // as AppendTextColumn
    // Ends the line with CR LF.
    void End();

private:
    void MakeRoom(std::size_t length)
    {
        if (static_cast<std::size_t>(run_ + sizeof run_ - at_) < length + 1) Flush();
    }
    void Flush();

    std::string& out_;
    char run_[8 * kMaxNotationLength];
    char* at_ = run_;
};

// The datum message, for a datum line that is not exactly "WGS 84"; empty when it is.
const char* DatumMessage(std::string_view line);
// Reads the four header lines of a waypoint or track file; a datum other
// than WGS 84 is a notice, and reading goes on.
void ReadHeader(LineReader& file, Findings& findings);

// Appends days since 1899-12-30 as "dd-mmm-yy, HH:MM:SS", in English and on
// a 24-hour clock whatever the host's locale.
void AppendDateAndTime(std::string& out, double dateTime);
// The same written at `out` (kDateAndTimeLength characters); returns the end.
inline constexpr std::size_t kDateAndTimeLength = 19;
char* WriteDateAndTime(char* out, double dateTime);

// The time a day count of the files stands for. They hold seven decimals of a
// day (about 9 ms), so it is rounded to the centisecond: a whole second
// written reads back whole.
std::optional<UtcTime> TimeOfDayCount(double dayCount);

}  // namespace kes
