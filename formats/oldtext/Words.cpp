// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/oldtext/Words.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "core/text/read_number.h"
#include "core/time/clock.h"

namespace {
bool Blank(char c) { return c == ' ' || c == '\t'; }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The number of exactly `count` digits at `at`; nothing for anything else.
std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t count)
{
    if (at + count > text.size()) return std::nullopt;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::optional<int> MonthNamed(std::string_view name)
{
    static constexpr std::array<std::string_view, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    if (name.size() != 3) return std::nullopt;
    const std::array<char, 3> upper = {Upper(name[0]), Upper(name[1]), Upper(name[2])};
    for (std::size_t i = 0; i < kMonths.size(); ++i)
        if (std::string_view(upper.data(), 3) == kMonths[i]) return static_cast<int>(i) + 1;
    return std::nullopt;
}
}  // namespace

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> Words(std::string_view line, std::size_t most)
{
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (words.size() < most) {
        while (at < line.size() && Blank(line[at])) ++at;
        if (at == line.size()) break;
        std::size_t end = at;
        if (words.size() + 1 == most) {
            end = line.size();
            while (end > at && Blank(line[end - 1])) --end;
        } else {
            while (end < line.size() && !Blank(line[end])) ++end;
        }
        words.push_back(line.substr(at, end - at));
        at = end;
    }
    return words;
}

std::optional<UtcTime> NamedMonthTime(std::string_view date, std::string_view time, int pivot)
{
    if (date.size() != 9 || date[2] != '-' || date[6] != '-' || time.size() != 8 || time[2] != ':' || time[5] != ':')
        return std::nullopt;
    const auto day = Digits(date, 0, 2), year = Digits(date, 7, 2), month = MonthNamed(date.substr(3, 3));
    const auto hour = Digits(time, 0, 2), minute = Digits(time, 3, 2), second = Digits(time, 6, 2);
    if (!day || !year || !month || !hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;
    return UtcTimeOf(FullYear(*year, pivot), *month, *day, *hour, *minute, *second);
}

std::optional<double> HemisphereAngle(std::string_view word, char positive, char negative, AngleForm form, double limit)
{
    // The letter stands after the number (CompeGPS) or before it (PCX5).
    if (word.empty()) return std::nullopt;
    const bool leading = Upper(word.front()) >= 'A' && Upper(word.front()) <= 'Z';
    const char letter = Upper(leading ? word.front() : word.back());
    if (letter != positive && letter != negative) return std::nullopt;
    std::string_view number = leading ? word.substr(1) : word.substr(0, word.size() - 1);
    // A degree sign between number and letter, in whichever code it was written.
    while (!number.empty() && static_cast<unsigned char>(number.back()) >= 0x80) number.remove_suffix(1);
    if (number.empty() || number.front() == '-' || number.front() == '+') return std::nullopt;
    std::optional<double> degrees = ReadDecimal(number);
    if (degrees && form == AngleForm::DegreesMinutes) {
        // dddmm.mmm: the minutes are the two digits before the point and its fraction.
        const std::size_t point = std::min(number.find('.'), number.size());
        if (point < 2) return std::nullopt;
        const auto whole = point == 2 ? std::optional<std::int32_t>(0) : ReadInteger(number.substr(0, point - 2));
        const auto minutes = ReadDecimal(number.substr(point - 2));
        if (!whole || !minutes || *minutes < 0 || *minutes >= 60) return std::nullopt;
        degrees = *whole + *minutes / 60;
    }
    if (!degrees) return std::nullopt;
    if (!(*degrees <= limit)) return std::nullopt;
    return letter == negative ? -*degrees : *degrees;
}
