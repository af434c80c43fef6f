// SPDX-License-Identifier: GPL-3.0-or-later
// NMEA 0183 logs: every "$GPRMC" becomes a track point, with the altitude of
// the "$GPGGA" that came before it.
#include "formats/import/nmea.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "core/clock.h"
#include "core/file_names.h"
#include "core/line_reader.h"
#include "core/store.h"
#include "core/store_entry.h"
#include "core/text_fields.h"

namespace {
constexpr double kOneHour = 1.0 / 24.0;
// The comma fields of one sentence, located once.
using Sentence = CommaFields;

// The tag is field 1 without its blanks; only the two sentences used are told apart.
enum class Tag { Other, Gga, Rmc };

Tag TagOf(std::string_view line)
{
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    if (line.size() < 6 || line.substr(0, 3) != "$GP") return Tag::Other;
    const std::string_view name = line.substr(3, 3);
    const Tag tag = name == "RMC" ? Tag::Rmc : name == "GGA" ? Tag::Gga : Tag::Other;
    for (const char c : line.substr(6)) {
        if (c == ',') break;
        if (c != ' ') return Tag::Other;
    }
    return tag;
}

std::string_view Part(std::string_view text, std::size_t from, std::size_t count)
{
    return from >= text.size() ? std::string_view{} : text.substr(from, count);
}

// An optional sign and decimal digits, nothing else.
std::optional<int> WholeNumber(std::string_view text)
{
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Degrees, then minutes: the rest of the field.
double Coordinate(std::string_view text, std::size_t paddedDegreeDigits)
{
    const std::size_t degreeDigits = DegreeDigits(text, paddedDegreeDigits);
    return TextToFloat(Part(text, 0, degreeDigits)) +
           TextToFloat(Part(text, degreeDigits, std::string_view::npos)) / 60.0;
}

// The day of a ddmmyy field; years up to 50 are 20xx. Nothing when unusable.
std::optional<double> DayOf(std::string_view date)
{
    if (IsBlank(date) || date == "000000") return std::nullopt;
    const auto day = WholeNumber(Part(date, 0, 2));
    const auto month = WholeNumber(Part(date, 2, 2));
    const auto year = WholeNumber(Part(date, 4, 2));
    if (!day || !month || !year) return std::nullopt;
    return EncodeDate(*year + (*year <= 50 ? 2000 : 1900), *month, *day);
}

double FixTime(const Sentence& line)
{
    const std::string time = line.Text(2, "");
    if (IsBlank(time)) return NowUtc();
    const double hours = TextToFloat(Part(time, 0, 2));
    const double minutes = TextToFloat(Part(time, 2, 2));
    const double seconds = TextToFloat(Part(time, 4, 6));
    const auto day = DayOf(line.Text(10, ""));
    const double wholeDay = day ? *day : std::floor(NowUtc());
    return wholeDay + hours / 24 + minutes / 1440 + seconds / 86400;
}

// Pending altitude in feet, from field 10 and its unit in field 11.
double GgaAltitude(const Sentence& line)
{
    const double altitude = line.Float(10, -777);
    if (altitude == -777) return -777;
    if (UpperText(line.Text(11, "M")) == "M") return altitude * kFeetPerMetre;
    return altitude;
}

void StoreFix(const Sentence& line, double pendingFeet, TrackPoint& p)
{
    p.Latitude = Coordinate(line.Text(4, "0000.000"), 2);
    if (line.Text(5, "N") == "S") p.Latitude = -p.Latitude;
    p.Longitude = Coordinate(line.Text(6, "00000.000"), 3);
    if (line.Text(7, "W") == "W") p.Longitude = -p.Longitude;
    // No altitude stays the marker itself, so every writer sees "none".
    p.Altitude = pendingFeet == -777 ? kNoAltitude : static_cast<float>(pendingFeet / kFeetPerMetre);
    p.DateTime = FixTime(line);
}
}  // namespace

std::size_t DegreeDigits(std::string_view field, std::size_t paddedDegreeDigits)
{
    const std::size_t whole = std::min(field.find_first_not_of("0123456789"), field.size());
    const bool plain = whole == field.size() || field[whole] == '.' || field[whole] == ',';
    if (!plain || whole >= paddedDegreeDigits + 2) return paddedDegreeDigits;
    return whole < 2 ? 0 : whole - 2;
}

void ReadNmeaLogFile(const std::string& fileName)
{
    ClearTracks();
    LineReader file = LineReader::FromFile(fileName);
    TrackProps.Name = ExtractFileName(fileName);

    double pendingFeet = -777;
    double previousTime = 0;
    std::string_view line;
    while (file.Next(line)) {
        const Tag tag = TagOf(line);
        if (tag == Tag::Gga) pendingFeet = GgaAltitude(Sentence(line));
        if (tag != Tag::Rmc) continue;

        TrackPoint p;
        StoreFix(Sentence(line), pendingFeet, p);
        p.NewSection = TrackProps.PointCount == 0 || std::fabs(p.DateTime - previousTime) > kOneHour ? 1 : 0;
        if (!StoreTrackPoint(p)) break;
        previousTime = p.DateTime;
        pendingFeet = -777;
    }
}
