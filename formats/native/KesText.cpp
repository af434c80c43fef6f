#include "formats/native/KesText.h"

#include <cstring>

#include "core/clock.h"
#include "core/frontend.h"

namespace kes {

void AppendTextColumn(std::string& out, std::string_view text)
{
    for (char c : text) {
        if (c == ',') out += '\xD1';
        else if (c == '\r' || c == '\n' || c == '\x1A') out += ' ';
        else out += c;
    }
}

void CheckDatumLine(std::string_view line)
{
    if (line != "WGS 84") Front().ShowMessage("The Data file datum must be WGS84");
}

namespace {
// The day count holds about 10 ms, so the texts show the nearest second:
// a time read back from the file then gives the same texts again.
CalendarTime ToNearestSecond(double dateTime) { return DecodeDateTime(dateTime + 0.5 / 86400.0); }
}  // namespace

void AppendDateAndTime(std::string& out, double dateTime)
{
    static constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const CalendarTime t = ToNearestSecond(dateTime);
    char text[19];  // "dd-mmm-yy, HH:MM:SS"
    auto twoDigits = [&](int at, int value) {
        text[at] = static_cast<char>('0' + value / 10 % 10);
        text[at + 1] = static_cast<char>('0' + value % 10);
    };
    twoDigits(0, t.Day);
    text[2] = '-';
    std::memcpy(text + 3, kMonths[(t.Month - 1) % 12], 3);
    text[6] = '-';
    twoDigits(7, t.Year % 100);
    text[9] = ',';
    text[10] = ' ';
    twoDigits(11, t.Hour);
    text[13] = ':';
    twoDigits(14, t.Minute);
    text[16] = ':';
    twoDigits(17, t.Second);
    out.append(text, sizeof text);
}

}  // namespace kes
