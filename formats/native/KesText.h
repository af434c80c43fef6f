// Pieces shared by the native text files.
#pragma once

#include <string>
#include <string_view>

namespace kes {

inline constexpr const char* kCrLf = "\r\n";

// Appends a text column so that it cannot break the line: a comma becomes
// byte 209 (the files' own escape) and CR, LF or byte 26 becomes a blank.
void AppendTextColumn(std::string& out, std::string_view text);

// Shows the datum message when the datum line is not exactly "WGS 84".
void CheckDatumLine(std::string_view line);

// Appends days since 1899-12-30 as "dd-mmm-yy, HH:MM:SS", in English and on
// a 24-hour clock whatever the host's locale.
void AppendDateAndTime(std::string& out, double dateTime);
// The same written at `out` (kDateAndTimeLength characters); returns the end.
inline constexpr std::size_t kDateAndTimeLength = 19;
char* WriteDateAndTime(char* out, double dateTime);

}  // namespace kes
