// SPDX-License-Identifier: GPL-3.0-or-later
// Magellan GPS memory-card files: "$PMGNWPL" waypoint and "$PMGNTRK" track
// sentences, one per line; other lines are ignored.
#include "formats/import/Magellan.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/line_reader.h"
#include "core/number_format.h"
#include "core/store.h"
#include "core/store_entry.h"
#include "core/text_encoding.h"
#include "core/text_fields.h"
#include "formats/document/Symbols.h"
#include "formats/import/nmea.h"
#include "formats/import/nmea_fields.h"

namespace {
std::string_view Part(std::string_view text, std::size_t from, std::size_t count)
{
    return from >= text.size() ? std::string_view{} : text.substr(from, count);
}

// Leading blanks, an optional sign and decimal digits; anything else is a
// conversion error that ends the read.
int WholeNumber(std::string_view text)
{
    if (text.size() == 2 && text[0] >= '0' && text[0] <= '9' && text[1] >= '0' && text[1] <= '9')
        return (text[0] - '0') * 10 + (text[1] - '0');  // the common case, sooner
    std::string_view s = text;
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || error != std::errc() || end != s.data() + s.size())
        throw ConversionError("'" + std::string(text) + "' is not a valid integer value");
    return value;
}

// Degrees, then minutes: six characters of the rest of the field.
double Coordinate(std::string_view field, std::size_t paddedDegreeDigits)
{
    const std::string_view text = Part(field, 0, 15);
    const std::size_t degreeDigits = DegreeDigits(text, paddedDegreeDigits);
    return Decimal(Part(text, 0, degreeDigits)) + Decimal(Part(text, degreeDigits, 6)) / 60.0;
}

struct Position {
    double Latitude, Longitude;
};

// Fields 2 to 5, shared by both sentences; a missing hemisphere is north and west.
Position PositionOf(const CommaFields& fields)
{
    Position p{Coordinate(fields.View(2, "0000.000"), 2), Coordinate(fields.View(4, "0000.000"), 3)};
    if (fields.View(3, "N") == "S") p.Latitude = -p.Latitude;
    if (fields.View(5, "W") == "W") p.Longitude = -p.Longitude;
    return p;
}

bool MetresUnit(const CommaFields& fields)
{
    const std::string_view unit = fields.View(7, "M");
    return !unit.empty() && (unit.front() == 'M' || unit.front() == 'm');
}

// Icon letters: two letters give 26 and up from the second, one gives 0 to 25.
std::int16_t SymbolOf(const CommaFields& fields)
{
    const std::string icon = UpperText(fields.Text(10, "a"));
    if (icon.empty()) return 0;  // a field of blanks counts as the default 'a'
    const auto code =
        icon.size() >= 2 ? static_cast<unsigned char>(icon[1]) - 39 : static_cast<unsigned char>(icon[0]) - 65;
    return static_cast<std::int16_t>(code);
}

// Time of day of an hhmmss.ss field; out of range gives the local time of day.
struct TimeOfDay {
    double Fraction;
    bool Valid;
};

TimeOfDay TimeOfDayOf(std::string_view time)
{
    const int hours = WholeNumber(Part(time, 0, 2));
    const int minutes = WholeNumber(Part(time, 2, 2));
    const int seconds = WholeNumber(Part(time, 4, 2));
    const std::string hundredths = "0." + std::string(Part(time, 7, 2));
    const int milliseconds = RoundHalfEven<int>(1000 * TextToFloat(hundredths), -1);
    if (const auto encoded = EncodeTime(hours, minutes, seconds, milliseconds)) return {*encoded, true};
    const double now = NowUtc();
    return {now - std::floor(now), false};
}

// The elevation of fields 6 and 7 as written, in metres; NaN when there is none.
double ExactMetres(const CommaFields& fields)
{
    const auto value = ExactDouble(fields.View(6, ""));
    if (!value) return NAN;
    return MetresUnit(fields) ? *value : *value / kFeetPerMetre;
}

// The day of a ddmmyy field, years below 90 in 20xx; nothing when there is no such date.
std::optional<double> DayOf(std::string_view date)
{
    const int day = WholeNumber(Part(date, 0, 2));
    const int month = WholeNumber(Part(date, 2, 2));
    const int year = WholeNumber(Part(date, 4, 2));
    return EncodeDate(year + (year < 90 ? 2000 : 1900), month, day);
}

}  // namespace

void ReadMagellanWaypointFile(const std::string& fileName)
{
    ClearWaypoints();
    LineReader file = LineReader::FromFile(fileName);
    std::string_view line;
    while (file.Next(line)) {
        if (line.size() >= 3 && line[line.size() - 3] == '*') line.remove_suffix(3);
        if (GetField(line, 1, "") != "$PMGNWPL") continue;
        const CommaFields fields(line);

        const Position position = PositionOf(fields);
        std::int64_t altitude = RoundHalfEven<std::int64_t>(fields.Float(6, -777), -777);
        if (altitude == 0) altitude = -777;
        if (altitude != -777 && MetresUnit(fields))
            altitude = RoundHalfEven<std::int64_t>(static_cast<double>(altitude) * kFeetPerMetre, -777);
        if (position.Latitude == 0 && position.Longitude == 0) continue;

        WayPoints w = ResetWaypoint();
        w.Longitude = position.Longitude;
        w.Latitude = position.Latitude;
        w.Name = fields.Text(8, "X");
        w.DateTime = StampTimeOfReading();
        w.Description = fields.Text(9, "");
        w.Altitude = static_cast<float>(altitude);
        w.Symbol = SymbolOf(fields);
        // The file's texts in full and its elevation as written; it holds no time.
        w.Detail.known = true;
        w.Detail.texts = PointTexts{.name = LegacyToUtf8(fields.View(8, "")),
                                    .comment = LegacyToUtf8(fields.View(9, "")),
                                    .symbol = IsBlank(fields.View(10, "")) ? std::string() : SymbolName(w.Symbol)};
        w.Detail.values.metres = ExactMetres(fields);
        if (!StoreWaypoint(std::move(w))) break;
    }
}

void ReadMagellanTrackFile(const std::string& fileName, bool timesLeftOut)
{
    ClearTracks();
    LineReader file = LineReader::FromFile(fileName);
    double baseDay = std::floor(NowUtc());
    double previousTime = 0;
    bool undated = false;
    std::string_view line;
    while (file.Next(line)) {
        if (GetField(line, 1, "") != "$PMGNTRK") continue;
        line = line.substr(0, line.find('*'));
        const CommaFields fields(line);

        const Position position = PositionOf(fields);
        std::int32_t altitude = fields.Int(6, -777);
        if (altitude != -777 && MetresUnit(fields))
            altitude = RoundHalfEven<std::int32_t>(altitude * kFeetPerMetre, -777);

        const std::string_view time = fields.View(8, "").substr(0, 9);
        if (IsBlank(time)) continue;
        const TimeOfDay timeOfDay = TimeOfDayOf(time);

        double pointTime;
        const std::string_view date = fields.View(11, "");
        std::optional<double> exactDay;
        if (IsBlank(date)) {
            // Undated lines count days from today and roll over at midnight.
            pointTime = baseDay + timeOfDay.Fraction;
            if (pointTime < previousTime) {
                baseDay += 1;
                pointTime = timeOfDay.Valid ? baseDay + timeOfDay.Fraction : NowUtc();
            }
        } else {
            exactDay = DayOf(date);
            pointTime = (exactDay ? *exactDay : std::floor(NowUtc())) + timeOfDay.Fraction;  // today's when no date
        }

        const float metres = altitude == -777 ? kNoAltitude : static_cast<float>(altitude / kFeetPerMetre);
        TrackPoint p{position.Latitude, position.Longitude, TrackProps.PointCount == 0 ? 1 : 0, metres, pointTime};
        // The time as written, where the line has a date; none is invented.
        p.Known = true;
        p.Values.metres = ExactMetres(fields);
        const auto exactTime = DayTimeOf(fields.View(8, ""));
        if (exactTime && exactDay) p.Values.time = TimeAt(static_cast<std::int64_t>(*exactDay), *exactTime);
        undated = undated || IsBlank(date);
        if (!StoreTrackPoint(p)) break;
        previousTime = pointTime;
    }
    if (undated)
        NoteUndatedPoints(timesLeftOut ? UndatedPoints::WithoutTimes : UndatedPoints::DatedToday,
                          timesLeftOut ? "without times - the file gives no date"
                                       : "dated today - the file gives no date");
}
