// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/native/KesText.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/text/number_format.h"
#include "core/time/clock.h"

namespace kes {

void AppendTextColumn(std::string& out, std::string_view text)
{
    const std::size_t start = out.size();
    out.append(text);
    for (std::size_t i = start; i < out.size(); ++i) {
        char& c = out[i];
        if (c == ',') c = '\xD1';
        else if (c == '\r' || c == '\n' || c == '\x1A') c = ' ';
    }
}

void ColumnLine::Flush()
{
    out_.append(run_, at_);
    at_ = run_;
}

void ColumnLine::Raw(std::string_view text)
{
    MakeRoom(text.size());
    if (text.size() + 1 > sizeof run_) {
        out_.append(text);
    } else {
        at_ = std::copy(text.begin(), text.end(), at_);
    }
    *at_++ = ',';
}

void ColumnLine::Text(std::string_view text)
{
    Flush();
    AppendTextColumn(out_, text);
    *at_++ = ',';
}

void ColumnLine::End()
{
    --at_;  // the comma after the last column
    Flush();
    out_ += kCrLf;
}

const char* DatumMessage(std::string_view line) { return line == "WGS 84" ? "" : "The Data file datum must be WGS84"; }

void ReadHeader(LineReader& file, Findings& findings)
{
    std::string_view line;
    file.Next(line);
    if (file.Next(line) && *DatumMessage(line) != '\0') findings.Add(FindingKind::Notice, DatumMessage(line));
    file.Next(line);
    file.Next(line);
}

namespace {

struct DayAndSecond {
    std::int64_t Day;
    int Second;
};

// The day count holds about 10 ms, so the texts show the nearest second of
// the stored value: a time read back from the file then gives the same texts
// again. It is rounded once, from the exact value, so a time just below a half
// second never goes up. Values outside years 1..9999 are held there.
DayAndSecond NearestSecond(double dateTime)
{
    if (!std::isfinite(dateTime)) dateTime = 0;
    dateTime = std::clamp(dateTime, double{kFirstCalendarDay}, kLastCalendarDay + 0.99999);
    const double day = std::floor(dateTime);
    std::int64_t second = 0;
    RoundProduct(dateTime - day, 86400.0, second);  // the fraction of a day count is exact
    if (second >= 86400) return {static_cast<std::int64_t>(day) + 1, 0};
    return {static_cast<std::int64_t>(day), static_cast<int>(second)};
}
}  // namespace

char* WriteDateAndTime(char* out, double dateTime)
{
    static constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const DayAndSecond t = NearestSecond(dateTime);
    using namespace std::chrono;
    const year_month_day date{sys_days{days{t.Day - static_cast<std::int64_t>(kUnixEpochDay)}}};
    const unsigned month = static_cast<unsigned>(date.month());
    auto twoDigits = [&](int at, int value) {
        out[at] = static_cast<char>('0' + value / 10 % 10);
        out[at + 1] = static_cast<char>('0' + value % 10);
    };
    twoDigits(0, static_cast<int>(static_cast<unsigned>(date.day())));
    out[2] = '-';
    std::memcpy(out + 3, kMonths[(month - 1) % 12], 3);
    out[6] = '-';
    twoDigits(7, static_cast<int>(date.year()) % 100);
    out[9] = ',';
    out[10] = ' ';
    twoDigits(11, t.Second / 3600);
    out[13] = ':';
    twoDigits(14, t.Second / 60 % 60);
    out[16] = ':';
    twoDigits(17, t.Second % 60);
    return out + kDateAndTimeLength;
}

void AppendDateAndTime(std::string& out, double dateTime)
{
    char text[kDateAndTimeLength];
    out.append(text, WriteDateAndTime(text, dateTime));
}

std::optional<UtcTime> TimeOfDayCount(double dayCount)
{
    constexpr int kCentiseconds = 2;
    return UtcTimeOfDayCount(dayCount, kCentiseconds);
}

}  // namespace kes
