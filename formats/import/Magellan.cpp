// SPDX-License-Identifier: GPL-3.0-or-later
// Magellan GPS memory-card files: "$PMGNWPL" waypoint, "$PMGNRTE" route and
// "$PMGNTRK" track sentences, one per line; other lines are ignored.
#include "formats/import/Magellan.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/clock.h"
#include "core/line_reader.h"
#include "core/number_format.h"
#include "core/point_entry.h"
#include "core/text_encoding.h"
#include "core/text_fields.h"
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

// What the receivers' icons show, by their letters: "a" to "z", then "aa"
// to "ap"; other letters name no icon these receivers have.
// clang-format off
constexpr std::array<std::string_view, 42> kIconNames = {{
    /* a  */ "crossed square", "box", "house", "aerial", "airport", "amusement park", "ATM", "auto repair",
    /* i  */ "boating", "camping", "exit ramp", "first aid", "nav aid", "buoy", "fuel", "garden", "golf", "hotel",
    /* s  */ "hunting/fishing", "large city", "lighthouse", "major city", "marina", "medium city", "museum",
    /* z  */ "obstruction",
    /* aa */ "park", "resort", "restaurant", "rock", "scuba", "RV service", "shooting", "sight seeing",
    /* ai */ "small city", "sounding", "sports arena", "tourist info", "truck service", "winery", "wreck", "zoo"}};
// clang-format on

std::string IconName(std::string_view icon)
{
    const auto letter = [&icon](std::size_t at) { return static_cast<char>(icon[at] | 0x20); };  // either case
    std::size_t index = kIconNames.size();
    if (icon.size() == 1 && letter(0) >= 'a' && letter(0) <= 'z') index = static_cast<std::size_t>(letter(0) - 'a');
    else if (icon.size() == 2 && letter(0) == 'a' && letter(1) >= 'a' && letter(1) <= 'z')
        index = 26 + static_cast<std::size_t>(letter(1) - 'a');
    return index < kIconNames.size() ? std::string(kIconNames[index]) : std::string();
}

// Hours, minutes and seconds that are no whole numbers end the read
// (ConversionError), and so do hundredths that are no number.
void CheckTimeParts(std::string_view time)
{
    WholeNumber(Part(time, 0, 2));
    WholeNumber(Part(time, 2, 2));
    WholeNumber(Part(time, 4, 2));
    const std::string_view hundredths = Part(time, 7, 2);
    if (hundredths.find_first_not_of("0123456789") != std::string_view::npos)
        TextToFloat("0." + std::string(hundredths));
}

// The native waypoint file's feet, by its own rule: the altitude rounded,
// 0 taken for none, metres turned into whole feet. `exact`: the field's
// value where it is a plain number, which the rule reads the same.
float NativeFeet(const CommaFields& fields, std::optional<double> exact)
{
    constexpr double kHighestFeet = kHighestElevationMetres * kFeetPerMetre;
    std::int64_t altitude = RoundHalfEven<std::int64_t>(exact ? *exact : fields.Float(6, -777), -777);
    if (altitude == 0) altitude = -777;
    if (altitude != -777 && MetresUnit(fields))
        altitude = RoundHalfEven<std::int64_t>(static_cast<double>(altitude) * kFeetPerMetre, -777);
    return std::fabs(static_cast<double>(altitude)) <= kHighestFeet ? static_cast<float>(altitude) : -777.0f;
}

// The elevation of fields 6 and 7 as written, in metres; NaN when there is none.
double ExactMetres(const CommaFields& fields, std::optional<double> value)
{
    if (!value) return NAN;
    return MetresUnit(fields) ? *value : *value / kFeetPerMetre;
}
double ExactMetres(const CommaFields& fields) { return ExactMetres(fields, ExactDouble(fields.View(6, ""))); }

// The day count of a ddmmyy field, years below 90 in 20xx; nothing when
// there is no such date.
std::optional<std::int64_t> DayOf(std::string_view date)
{
    const int day = WholeNumber(Part(date, 0, 2));
    const int month = WholeNumber(Part(date, 2, 2));
    const int year = WholeNumber(Part(date, 4, 2));
    const auto encoded = EncodeDate(year + (year < 90 ? 2000 : 1900), month, day);
    if (!encoded) return std::nullopt;
    return static_cast<std::int64_t>(*encoded);
}

// Lines without a date count their days from 1970-01-01, standing for the
// unknown first day, and go on to the next day when their time of day goes
// back from that of the line before.
class UndatedDays {
public:
    UtcTime Time(DayTime time)
    {
        if (previous_ && (time.seconds < previous_->seconds ||
                          (time.seconds == previous_->seconds && time.nanoseconds < previous_->nanoseconds)))
            ++day_;
        previous_ = time;
        return {day_ * kSecondsPerDay + time.seconds, time.nanoseconds};
    }
    // A dated line between undated ones ends the count of the day's times.
    void Dated() { previous_.reset(); }

private:
    static constexpr std::int64_t kSecondsPerDay = 86400;
    std::int64_t day_ = 0;
    std::optional<DayTime> previous_;
};
}  // namespace

// The routes of a file as its "$PMGNRTE" messages give them: the route's
// number, its name (the first field after it where a name is given: the
// fields are then odd in number), the waypoints it names with their icons.
class RouteMessages {
public:
    void Take(std::string_view line)
    {
        std::vector<std::string_view> fields;
        for (std::size_t from = 0;;) {
            const std::size_t comma = line.find(',', from);
            fields.push_back(line.substr(from, comma == std::string_view::npos ? comma : comma - from));
            if (comma == std::string_view::npos) break;
            from = comma + 1;
        }
        if (fields.size() < 5) return;
        std::vector<std::string_view> rest(fields.begin() + 5, fields.end());
        while (!rest.empty() && IsBlank(rest.back())) rest.pop_back();
        const std::string number(fields[4]);
        auto route = std::find_if(routes_.begin(), routes_.end(), [&](const Named& r) { return r.number == number; });
        if (route == routes_.end()) route = routes_.insert(routes_.end(), Named{number});
        std::size_t at = 0;
        if (rest.size() % 2 == 1) route->name = LegacyToUtf8(rest[at++]);
        for (; at < rest.size(); at += 2) route->points.push_back(LegacyToUtf8(rest[at]));
    }

    // The routes, each point the waypoint of its name; points naming none are counted.
    std::int64_t Into(std::vector<Route>& routes, const PointList& waypoints) const
    {
        std::int64_t unnamed = 0;
        if (routes_.empty()) return 0;
        std::map<std::string, Point> byName;
        waypoints.ForEach([&byName](const Point& w) { byName.emplace(w.name, w); });
        for (const Named& named : routes_) {
            Route& route = routes.emplace_back();
            route.info.name = named.name;
            std::int32_t number = -1;
            std::from_chars(named.number.data(), named.number.data() + named.number.size(), number);
            route.info.number = number;
            for (const std::string& name : named.points) {
                const auto waypoint = byName.find(name);
                if (waypoint == byName.end()) ++unnamed;
                else route.points.push_back(waypoint->second);
            }
        }
        return unnamed;
    }

private:
    struct Named {
        std::string number;
        std::string name{};
        std::vector<std::string> points{};
    };
    std::vector<Named> routes_;
};

ReadResult ReadMagellanWaypointFile(const InputSource& source, const ReadOptions& options)
{
    LineReader file = source.ReadLines();
    ReadResult result;
    PointEntry entry(result.document.waypoints, result.findings, options.waypointsKept);
    RouteMessages routes;
    std::string_view line;
    while (!entry.Full() && file.Next(line)) {
        if (line.size() >= 3 && line[line.size() - 3] == '*') line.remove_suffix(3);
        if (GetField(line, 1, "") == "$PMGNRTE") routes.Take(line);
        if (GetField(line, 1, "") != "$PMGNWPL") continue;
        const CommaFields fields(line);
        const Position position = PositionOf(fields);
        if (position.Latitude == 0 && position.Longitude == 0) continue;
        // The file's texts in full and its elevation as written; it holds no time.
        Point w;
        w.latitude = position.Latitude;
        w.longitude = position.Longitude;
        const auto altitude = ExactDouble(fields.View(6, ""));
        w.elevation = ExactMetres(fields, altitude);
        w.name = LegacyToUtf8(fields.View(8, ""));
        w.comment = LegacyToUtf8(fields.View(9, ""));
        if (!IsBlank(fields.View(10, ""))) {
            // The native files keep the icon's number; the others its picture's name.
            w.symbolCode = SymbolOf(fields);
            w.symbol = IconName(TrimSpaces(fields.View(10, "")));
        }
        w.native.feet = NativeFeet(fields, altitude);
        entry.Add(std::move(w));
    }
    if (const std::int64_t unnamed = routes.Into(result.document.routes, result.document.waypoints); unnamed > 0)
        result.findings.Add(FindingKind::Skipped,
                            std::to_string(unnamed) + (unnamed == 1 ? " route point names" : " route points name") +
                                " no waypoint of the file: left out",
                            unnamed);
    return result;
}

ReadResult ReadMagellanTrackFile(const InputSource& source, const ReadOptions& options)
{
    LineReader file = source.ReadLines();
    ReadResult result;
    Track track;
    PointEntry entry(track.points, result.findings, options.trackPointsKept);
    UndatedDays undatedDays;
    std::int64_t undated = 0;
    Point p;
    std::string_view line;
    while (!entry.Full() && file.Next(line)) {
        if (GetField(line, 1, "") != "$PMGNTRK") continue;
        line = line.substr(0, line.find('*'));
        const CommaFields fields(line);
        const Position position = PositionOf(fields);
        const std::string_view time = fields.View(8, "").substr(0, 9);
        if (IsBlank(time)) continue;
        CheckTimeParts(time);
        p.latitude = position.Latitude;
        p.longitude = position.Longitude;
        p.elevation = ExactMetres(fields);
        p.newSection = track.points.empty();
        // The time as written; a line without a date has a time of day only.
        const auto exactTime = DayTimeOf(fields.View(8, ""));
        const std::string_view date = fields.View(11, "");
        p.time.reset();
        p.undated = false;
        if (IsBlank(date)) {
            if (exactTime) {
                p.time = undatedDays.Time(*exactTime);
                p.undated = true;
                ++undated;
            }
        } else {
            undatedDays.Dated();
            const auto day = DayOf(date);
            if (exactTime && day) p.time = TimeAt(*day, *exactTime);
        }
        entry.Add(p);
    }
    if (undated > 0) result.findings.Add(FindingKind::Undated, "the file gives no date", undated);
    if (!track.points.empty()) result.document.tracks.push_back(std::move(track));
    return result;
}
