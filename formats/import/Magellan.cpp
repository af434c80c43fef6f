// SPDX-License-Identifier: GPL-3.0-or-later
// Magellan GPS memory-card files: "$PMGNWPL" waypoint, "$PMGNRTE" route and
// "$PMGNTRK" track sentences, one per line; other lines are ignored.
#include "formats/import/Magellan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/document/point_entry.h"
#include "core/io/line_reader.h"
#include "core/text/number_format.h"
#include "core/text/read_number.h"
#include "core/text/text_encoding.h"
#include "core/text/text_fields.h"
#include "core/time/clock.h"
#include "formats/import/nmea.h"
#include "formats/import/nmea_fields.h"

namespace {
// Degrees, then minutes: six characters of the rest of the field. Nothing
// when the field is blank or holds anything but digits and a point.
std::optional<double> Coordinate(std::string_view field, std::size_t paddedDegreeDigits)
{
    bool digit = false;
    int points = 0;
    for (const char c : field) {
        if (c == '.') ++points;
        else if (c >= '0' && c <= '9') digit = true;
        else return std::nullopt;
    }
    if (!digit || points > 1) return std::nullopt;
    const std::string_view text = Part(field, 0, 15);
    const std::size_t degreeDigits = DegreeDigits(text, paddedDegreeDigits);
    const std::string_view degreeText = Part(text, 0, degreeDigits), minuteText = Part(text, degreeDigits, 6);
    // Digits and at most one point, as checked: read at once, the minutes exactly.
    int degrees = 0;
    for (const char c : degreeText) {
        if (c == '.') return std::nullopt;
        degrees = degrees * 10 + (c - '0');
    }
    const auto minutes = minuteText.empty() ? 0.0 : ShortDecimal(minuteText);
    if (!minutes) return std::nullopt;
    return degrees + *minutes / 60.0;
}

// Fields 2 to 5, shared by both sentences; a missing hemisphere is north and
// west. Not a number where the field is missing or no number.
Point PositionOf(const CommaFields& fields)
{
    Point p;
    p.latitude = Coordinate(fields.View(2, ""), 2).value_or(kNoValue);
    p.longitude = Coordinate(fields.View(4, ""), 3).value_or(kNoValue);
    if (fields.View(3, "N") == "S") p.latitude = -p.latitude;
    if (fields.View(5, "W") == "W") p.longitude = -p.longitude;
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

// The native waypoint file's feet, by its own rule: the altitude rounded,
// 0 taken for none, metres turned into whole feet.
float NativeFeet(const CommaFields& fields, std::optional<double> altitude)
{
    constexpr double kHighestFeet = kHighestElevationMetres * kFeetPerMetre;
    std::int64_t feet = altitude ? RoundHalfEven<std::int64_t>(*altitude, -777) : -777;
    if (feet == 0) feet = -777;
    if (feet != -777 && MetresUnit(fields))
        feet = RoundHalfEven<std::int64_t>(static_cast<double>(feet) * kFeetPerMetre, -777);
    return std::fabs(static_cast<double>(feet)) <= kHighestFeet ? static_cast<float>(feet) : -777.0f;
}

// The elevation of fields 6 and 7 as written, in metres; NaN when there is none.
double ExactMetres(const CommaFields& fields, std::optional<double> value)
{
    if (!value) return NAN;
    return MetresUnit(fields) ? *value : *value / kFeetPerMetre;
}

// Its logs began in the 1990s: years below 90 are 20xx.
constexpr int kCenturyPivot = 90;

// The day count of a ddmmyy field; nothing when there is no such date.
std::optional<std::int64_t> DayOf(std::string_view date)
{
    const bool sixDigits =
        date.size() == 6 && std::all_of(date.begin(), date.end(), [](char c) { return c >= '0' && c <= '9'; });
    const auto ddmmyy = sixDigits ? ReadInteger(date) : std::nullopt;
    if (!ddmmyy) return std::nullopt;
    const int day = *ddmmyy / 10000, month = *ddmmyy / 100 % 100, year = *ddmmyy % 100;
    const auto encoded = EncodeDate(FullYear(year, kCenturyPivot), month, day);
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

    std::int64_t Count() const { return static_cast<std::int64_t>(routes_.size()); }

    // The routes, each point the waypoint of its name; points naming none are counted.
    std::int64_t Into(Document& document) const
    {
        std::int64_t unnamed = 0;
        if (routes_.empty()) return 0;
        std::map<std::string, Point> byName;
        document.waypoints.ForEach([&byName](const Point& w) { byName.emplace(w.name, w); });
        for (const Named& named : routes_) {
            Route& route = document.routes.emplace_back(document.NewRoute());
            route.info.name = named.name;
            route.info.number = ReadInteger(named.number).value_or(-1);
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

namespace {
// One pass over the file, taking the kinds the mode asks for and counting
// those it passes over.
class MagellanReading {
public:
    MagellanReading(const ReadOptions& options, ReadResult& result)
        : result_(result), takesWaypoints_(options.mode != ReadMode::Tracks),
          takesTracks_(options.mode != ReadMode::Waypoints),
          waypoints_(result.document.waypoints, result.findings, options.waypointsKept),
          trackPoints_(track_.points, result.findings, options.trackPointsKept)
    {}

    // Waypoint and route lines lose a checksum at their end, track lines all from their first '*'.
    void Take(std::string_view line)
    {
        // The first comma field, blanks around it aside.
        std::string_view sentence = line.substr(0, line.find(','));
        while (!sentence.empty() && sentence.front() == ' ') sentence.remove_prefix(1);
        while (!sentence.empty() && sentence.back() == ' ') sentence.remove_suffix(1);
        if (sentence == "$PMGNWPL") TakeWaypoint(ChecksumCut(line));
        else if (sentence == "$PMGNRTE") routes_.Take(ChecksumCut(line));
        else if (sentence == "$PMGNTRK") TakeTrackPoint(line.substr(0, line.find('*')));
    }

    // Past what a one-kind output takes, the writer cuts and says the rest of the file is left out.
    bool Done() const { return (!takesTracks_ && waypoints_.Full()) || (!takesWaypoints_ && trackPoints_.Full()); }

    void Finish()
    {
        elevations_.AddTo(result_.findings);
        times_.AddTo(result_.findings);
        if (takesWaypoints_) {
            if (const std::int64_t unnamed = routes_.Into(result_.document))
                result_.findings.Add(FindingKind::Skipped,
                                     std::to_string(unnamed) +
                                         (unnamed == 1 ? " route point names" : " route points name") +
                                         " no waypoint of the file: left out",
                                     unnamed);
        } else {
            result_.routesLeftOut = routes_.Count();
        }
        if (undated_ > 0) result_.findings.Add(FindingKind::Undated, "the file gives no date", undated_);
        if (!track_.points.empty()) result_.document.tracks.push_back(std::move(track_));
        if (!takesTracks_ && trackPointSeen_) result_.tracksLeftOut = 1;
    }

private:
    static bool Usable(const Point& p) { return !std::isnan(p.latitude) && !std::isnan(p.longitude); }

    static std::string_view ChecksumCut(std::string_view line)
    {
        return line.size() >= 3 && line[line.size() - 3] == '*' ? line.substr(0, line.size() - 3) : line;
    }

    // The file's texts in full and its elevation as written; it holds no time.
    void TakeWaypoint(std::string_view line)
    {
        if (takesWaypoints_ && waypoints_.Full()) return;  // the writer cuts there and says so
        const CommaFields fields(line);
        Point w = PositionOf(fields);
        if (w.latitude == 0 && w.longitude == 0) return;  // the receivers' mark of no waypoint
        const bool usable = Usable(w);
        if (!takesWaypoints_) result_.waypointsLeftOut += usable ? 1 : 0;
        if (!takesWaypoints_ || waypoints_.Full()) return;
        if (!usable) {
            waypoints_.Add(w);  // counted
            return;
        }
        const auto altitude = elevations_.Decimal(fields.View(6, ""));
        w.elevation = ExactMetres(fields, altitude);
        w.name = LegacyToUtf8(fields.View(8, ""));
        w.comment = LegacyToUtf8(fields.View(9, ""));
        if (!IsBlank(fields.View(10, ""))) {
            // The native files keep the icon's number; the others its picture's name.
            w.symbolCode = SymbolOf(fields);
            w.symbol = IconName(TrimSpaces(fields.View(10, "")));
        }
        w.native.feet = NativeFeet(fields, altitude);
        waypoints_.Add(w);
    }

    // A line without a time is no point; one whose time or date is no
    // time or date is a point without a time.
    void TakeTrackPoint(std::string_view line)
    {
        // Points not kept are read only until one tells the file holds a track.
        if ((takesTracks_ && trackPoints_.Full()) || (!takesTracks_ && trackPointSeen_)) return;
        const CommaFields fields(line);
        const std::string_view time = fields.View(8, "");
        if (IsBlank(time.substr(0, 9))) return;
        Point p = PositionOf(fields);
        trackPointSeen_ = trackPointSeen_ || Usable(p);
        if (!takesTracks_ || trackPoints_.Full()) return;
        p.newSection = track_.points.empty();
        if (!Usable(p)) {
            trackPoints_.Add(p);  // counted
            return;
        }
        p.elevation = ExactMetres(fields, elevations_.Decimal(fields.View(6, "")));
        // The time as written; a line without a date has a time of day only.
        const auto exactTime = DayTimeOf(time);
        const std::string_view date = fields.View(11, "");
        if (IsBlank(date)) {
            if (exactTime) {
                p.time = undatedDays_.Time(*exactTime);
                p.undated = true;
                ++undated_;
            }
        } else {
            undatedDays_.Dated();
            if (const auto day = DayOf(date); exactTime && day) p.time = TimeAt(*day, *exactTime);
        }
        if (!p.time) times_.Count();
        trackPoints_.Add(p);
    }

    ReadResult& result_;
    const bool takesWaypoints_, takesTracks_;
    PointEntry waypoints_;
    Track track_ = result_.document.NewTrack();
    PointEntry trackPoints_;
    RouteMessages routes_;
    UndatedDays undatedDays_;
    UnreadableValues elevations_{"elevations"}, times_{"times"};
    std::int64_t undated_ = 0;
    bool trackPointSeen_ = false;
};
}  // namespace

ReadResult ReadMagellanFile(const InputSource& source, const ReadOptions& options)
{
    LineReader file = source.ReadLines();
    ReadResult result = NewReadResult(options);
    MagellanReading reading(options, result);
    std::string_view line;
    while (!reading.Done() && file.Next(line)) reading.Take(line);
    reading.Finish();
    return result;
}
