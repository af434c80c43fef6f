#include "formats/native/KesText.h"

#include <cstdio>

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

std::string DateText(double dateTime)
{
    static constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const CalendarTime t = DecodeDateTime(dateTime);
    char text[16];
    std::snprintf(text, sizeof text, "%02d-%s-%02d", t.Day, kMonths[(t.Month - 1) % 12], t.Year % 100);
    return text;
}

std::string TimeText(double dateTime)
{
    const CalendarTime t = DecodeDateTime(dateTime);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.Hour, t.Minute, t.Second);
    return text;
}

}  // namespace kes
