// SPDX-License-Identifier: GPL-3.0-or-later
// The lines read (their letter may follow blanks):
//   G  WGS 84                                  the datum
//   U  1                                       positions as latitude and longitude (0: UTM)
//   W  NAME A 45.78ºN 11.55ºE 27-MAR-62 00:00:00 ALTITUDE DESCRIPTION
//                                              a waypoint, or a point of the route above it
//   w  SYMBOL,...                              the symbol of the point above
//   R  COLOUR,NAME,...                         a route, its points following
//   N  NAME                                    a track's name
//   T  A 51.31ºN 12.41ºE 01-MAY-05 13:02:47 N ALTITUDE ...
//                                              a track point; "N" (else "s") starts a section
// Every other line (display settings, comments) is passed over.
#include "formats/compegps/CompeGps.h"

#include <optional>
#include <string>
#include <string_view>

#include "core/convert/format_lookup.h"
#include "core/document/point_entry.h"
#include "core/io/line_reader.h"
#include "core/text/read_number.h"
#include "core/text/text_encoding.h"
#include "core/text/text_fields.h"
#include "formats/oldtext/Words.h"

namespace {
using namespace std::string_view_literals;

// Its files came after 2000: a year below 80 is of the 2000s.
constexpr int kCenturyPivot = 80;
// The date and time the program writes for a point without one.
constexpr std::string_view kNoDate = "27-MAR-62", kNoTime = "00:00:00";

// The letter leading a line and what follows it; none for a blank line.
std::optional<char> LetterOf(std::string_view& line)
{
    line = Trimmed(line);
    if (line.empty()) return std::nullopt;
    const char letter = line.front();
    line.remove_prefix(1);
    return letter;
}

bool IsWgs84(std::string_view datum)
{
    std::string letters;
    for (const char c : datum)
        if (c != ' ' && c != '-' && c != '_') letters += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    return letters == "WGS84";
}

// Words 0 to 5 of a point after its letter: "A", latitude, longitude, date,
// time and the rest; the position is NaN where it cannot be read.
Point PositionedPoint(const std::vector<std::string_view>& words, std::size_t first, UnreadableValues& times)
{
    Point p;
    p.latitude = p.longitude = kNoValue;
    if (words.size() < first + 3 || words[first] != "A") return p;
    const auto latitude = HemisphereAngle(words[first + 1], 'N', 'S', AngleForm::DecimalDegrees, 90);
    const auto longitude = HemisphereAngle(words[first + 2], 'E', 'W', AngleForm::DecimalDegrees, 180);
    if (!latitude || !longitude) return p;
    p.latitude = *latitude;
    p.longitude = *longitude;
    const std::string_view date = words.size() > first + 3 ? words[first + 3] : ""sv;
    const std::string_view time = words.size() > first + 4 ? words[first + 4] : ""sv;
    if (date.empty() || (date == kNoDate && time == kNoTime)) return p;
    p.time = NamedMonthTime(date, time, kCenturyPivot);
    if (!p.time) times.Count();
    return p;
}

class CompeGpsReading {
public:
    CompeGpsReading(const ReadOptions& options, ReadResult& result)
        : options_(options), result_(result), takesWaypoints_(options.mode != ReadMode::Tracks),
          takesTracks_(options.mode != ReadMode::Waypoints),
          waypoints_(result.document.waypoints, result.findings, options.waypointsKept)
    {}

    void Take(std::string_view line)
    {
        const auto letter = LetterOf(line);
        if (!letter) return;
        if (*letter != 'w') Flush();
        switch (*letter) {
        case 'G': TakeDatum(Trimmed(line)); break;
        case 'U': TakeUnits(Trimmed(line)); break;
        case 'W': TakePoint(line); break;
        case 'w': TakeSymbol(line); break;
        case 'R': StartRoute(line); break;
        case 'N': NameTrack(line); break;
        case 'T': TakeTrackPoint(line); break;
        default: break;
        }
    }

    void Finish()
    {
        Flush();
        elevations_.AddTo(result_.findings);
        times_.AddTo(result_.findings);
        std::erase_if(result_.document.tracks, [](const Track& t) { return t.points.empty(); });
    }

private:
    static constexpr const char* kUtmRefused =
        "CompeGPS files of UTM positions (\"U  0\") are not read: only those of latitudes and longitudes (\"U  1\").";

    void TakeDatum(std::string_view datum)
    {
        if (!IsWgs84(datum))
            throw InputRefused("The CompeGPS file's datum \"" + TextAsRead(datum, true) +
                               "\" is not read: only WGS 84 positions are.");
        datumSeen_ = true;
    }

    void TakeUnits(std::string_view units)
    {
        if (units == "0") throw InputRefused(kUtmRefused);
        if (units != "1")
            throw InputRefused("The CompeGPS file's coordinate line \"U  " + TextAsRead(units, true) +
                               "\" names no system this program reads.");
        degrees_ = true;
    }

    // A point before the file has said how its positions are written cannot be read.
    void RequireHeader() const
    {
        if (!datumSeen_ || !degrees_)
            throw InputRefused("Not a CompeGPS file: a point comes before its \"G\" datum and \"U\" coordinate lines.");
    }

    // UTF-8 where the text is UTF-8 (the program's later files), its code page otherwise.
    static std::string Text(std::string_view bytes) { return TextAsRead(Trimmed(bytes), true); }

    // NAME A LAT LON DATE TIME ALTITUDE DESCRIPTION; held until a "w" line may give its symbol.
    void TakePoint(std::string_view line)
    {
        RequireHeader();
        const std::vector<std::string_view> words = Words(line, 8);
        Point p = PositionedPoint(words, 1, times_);
        if (!takesWaypoints_) {
            if (!route_ && ValidPosition(p)) ++result_.waypointsLeftOut;
            return;
        }
        if (!words.empty()) p.name = Text(words[0]);
        if (words.size() > 6) p.elevation = elevations_.Decimal(words[6]).value_or(kNoValue);
        if (words.size() > 7) p.description = Text(words[7]);
        pending_ = p;
    }

    // The symbol is the line's first field.
    void TakeSymbol(std::string_view line)
    {
        if (!pending_) return;
        pending_->symbol = Text(line.substr(0, line.find(',')));
    }

    // The point held goes into its route, or among the waypoints.
    void Flush()
    {
        if (!pending_) return;
        if (!route_) {
            if (!waypoints_.Full()) waypoints_.Add(*pending_);
        } else if (ValidPosition(*pending_)) {
            result_.document.routes.back().points.push_back(*pending_);
        } else {
            result_.findings.Add(FindingKind::Unusable, {}, 1);
        }
        pending_.reset();
    }

    void StartRoute(std::string_view line)
    {
        route_ = true;
        if (!takesWaypoints_) {
            ++result_.routesLeftOut;
            return;
        }
        const std::size_t comma = line.find(',');
        const std::string_view rest = comma == std::string_view::npos ? ""sv : line.substr(comma + 1);
        result_.document.routes.emplace_back(result_.document.NewRoute()).info.name =
            Text(rest.substr(0, rest.find(',')));
    }

    void NameTrack(std::string_view line)
    {
        if (!takesTracks_) {
            trackCounted_ = false;  // another track begins
            return;
        }
        if (track_ == nullptr || !track_->points.empty()) StartTrack();
        track_->info.name = Text(line);
    }

    void StartTrack()
    {
        trackEntry_.reset();
        track_ = &result_.document.tracks.emplace_back(result_.document.NewTrack());
        trackEntry_.emplace(track_->points, result_.findings, options_.trackPointsKept);
    }

    // A LAT LON DATE TIME SECTION ALTITUDE ...
    void TakeTrackPoint(std::string_view line)
    {
        RequireHeader();
        const std::vector<std::string_view> words = Words(line, 8);
        Point p = PositionedPoint(words, 0, times_);
        if (!takesTracks_) {
            if (ValidPosition(p) && !trackCounted_) ++result_.tracksLeftOut;
            trackCounted_ = trackCounted_ || ValidPosition(p);
            return;
        }
        if (track_ == nullptr) StartTrack();
        if (trackEntry_->Full()) return;
        p.newSection = track_->points.empty() || (words.size() > 5 && words[5] == "N");
        if (words.size() > 6) p.elevation = elevations_.Decimal(words[6]).value_or(kNoValue);
        trackEntry_->Add(p);
    }

    const ReadOptions& options_;
    ReadResult& result_;
    const bool takesWaypoints_, takesTracks_;
    PointEntry waypoints_;
    std::optional<PointEntry> trackEntry_;
    Track* track_ = nullptr;
    bool datumSeen_ = false, degrees_ = false;
    bool route_ = false;  // the points now read are a route's
    bool trackCounted_ = false;
    std::optional<Point> pending_;  // the last "W" point, which a "w" line may follow
    UnreadableValues elevations_{"elevations"}, times_{"times"};
};
}  // namespace

bool IsCompeGpsFile(const FileLook& file)
{
    std::string_view head = file.Head();
    const auto nextLine = [&head] {
        const std::size_t end = head.find('\n');
        std::string_view line = head.substr(0, end);
        head = end == std::string_view::npos ? ""sv : head.substr(end + 1);
        return Trimmed(line);
    };
    std::string_view line = nextLine();
    if (line.starts_with("B ")) line = nextLine();
    if (!line.starts_with("G ")) return false;
    line = nextLine();
    return line.size() >= 3 && line.starts_with("U ") &&
           (Trimmed(line.substr(1)) == "0" || Trimmed(line.substr(1)) == "1");
}

ReadResult ReadCompeGpsFile(const InputSource& source, const ReadOptions& options)
{
    LineReader file = source.ReadLines();
    ReadResult result = NewReadResult(options);
    CompeGpsReading reading(options, result);
    std::string_view line;
    while (file.Next(line)) reading.Take(line);
    reading.Finish();
    return result;
}
