// SPDX-License-Identifier: GPL-3.0-or-later
// The lines read (the letter, two blanks, then the fields):
//   M  G WGS 84               121 ...          the datum
//   U  LAT LON DM                              positions as N4807.123 (DEG: N48.11872)
//   H  IDNT   LATITUDE    LONGITUDE    DATE      TIME     ALT   DESCRIPTION   PROXIMITY     SYMBOL
//                                              the columns of the waypoint lines below
//   W  001    N4807.123 E01134.567 27-MAR-04 12:00:00 -9999 TEXT 0.00000e+00 18
//                                              a waypoint, or a point of the route above it
//   R  0 NAME                                  a route, its points following
//   H  LATITUDE    LONGITUDE    DATE      TIME     ALT  ;track
//                                              a track's columns: a track starts
//   T  N3003.73100 W09136.62100 25-MAY-02 17:06:21 1
// Altitudes are metres, -9999 none. Every other line is passed over.
#include "formats/pcx/Pcx5.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/convert/format_lookup.h"
#include "core/document/point_entry.h"
#include "core/io/line_reader.h"
#include "core/text/read_number.h"
#include "core/text/text_encoding.h"
#include "formats/oldtext/Words.h"

namespace {
using namespace std::string_view_literals;

// Its files date from the 1990s on: a year below 80 is of the 2000s.
constexpr int kCenturyPivot = 80;
constexpr double kNoAltitude = -9999;

// The titles of a header line by where their columns start and end, so that
// a field with blanks inside (a name, a description) is read within its column.
class Columns {
public:
    explicit Columns(std::string_view header = {})
    {
        std::vector<std::pair<std::size_t, std::string_view>> titles;
        for (std::size_t at = 0; at < header.size();) {
            while (at < header.size() && header[at] == ' ') ++at;
            const std::size_t end = std::min(header.find(' ', at), header.size());
            if (end > at) titles.emplace_back(at, header.substr(at, end - at));
            at = end;
        }
        // Titles come in the order of their starts: each column ends where the next starts.
        for (std::size_t i = 0; i < titles.size(); ++i)
            spans_.emplace(std::string(titles[i].second),
                           Span{titles[i].first, i + 1 < titles.size() ? titles[i + 1].first : std::string_view::npos});
    }
    bool Has(const std::string& title) const { return spans_.contains(title); }
    std::size_t Start(const std::string& title) const { return spans_.at(title).start; }
    std::string_view Field(std::string_view line, const std::string& title) const
    {
        const Span& span = spans_.at(title);
        return span.start >= line.size() ? ""sv : Trimmed(line.substr(span.start, span.end - span.start));
    }

private:
    struct Span {
        std::size_t start, end;
    };
    std::map<std::string, Span> spans_;
};

class Pcx5Reading {
public:
    Pcx5Reading(const ReadOptions& options, ReadResult& result)
        : options_(options), result_(result), takesWaypoints_(options.mode != ReadMode::Tracks),
          takesTracks_(options.mode != ReadMode::Waypoints),
          waypoints_(result.document.waypoints, result.findings, options.waypointsKept)
    {}

    void Take(std::string_view line)
    {
        if (line.empty()) return;
        switch (line.front()) {
        case 'M': TakeDatum(line); break;
        case 'U': TakeUnits(Trimmed(line.substr(1))); break;
        case 'H': TakeHeader(line); break;
        case 'W': TakeWaypoint(line); break;
        case 'R': StartRoute(line); break;
        case 'T': TakeTrackPoint(line); break;
        default: break;
        }
    }

    void Finish()
    {
        elevations_.AddTo(result_.findings);
        times_.AddTo(result_.findings);
        std::erase_if(result_.document.tracks, [](const Track& t) { return t.points.empty(); });
    }

private:
    // "M  G WGS 84   121 ...": the datum's name follows the "G".
    static void TakeDatum(std::string_view line)
    {
        const std::vector<std::string_view> words = Words(line.substr(1), 4);
        const bool wgs84 =
            (words.size() >= 3 && words[1] == "WGS" && words[2] == "84") || (words.size() >= 2 && words[1] == "WGS84");
        if (!wgs84)
            throw InputRefused("The PCX5 file's datum line \"" + TextAsRead(Trimmed(line), false) +
                               "\" names a datum this program does not read: only WGS 84 positions are.");
    }

    void TakeUnits(std::string_view units)
    {
        if (units == "LAT LON DM") form_ = AngleForm::DegreesMinutes;
        else if (units == "LAT LON DEG") form_ = AngleForm::DecimalDegrees;
        else
            throw InputRefused("The PCX5 file's positions are written as \"" + TextAsRead(units, false) +
                               "\", which this program does not read: only \"LAT LON DM\" and \"LAT LON DEG\".");
    }

    void TakeHeader(std::string_view line)
    {
        const Columns columns(line);
        if (columns.Has("IDNT")) waypointColumns_ = columns;
        else if (columns.Has("LATITUDE") && takesTracks_ && (!track_ || !track_->points.empty())) StartTrack();
    }

    // Without a "U" line the form shows in the digits before the point:
    // degrees and minutes have four of them or more.
    AngleForm FormOf(std::string_view word) const
    {
        if (form_) return *form_;
        const std::size_t point = std::min(word.find('.'), word.size());
        return point >= 5 ? AngleForm::DegreesMinutes : AngleForm::DecimalDegrees;
    }

    // LATITUDE LONGITUDE DATE TIME ALT, the words from `first` on.
    Point PositionedPoint(const std::vector<std::string_view>& words, std::size_t first)
    {
        Point p;
        p.latitude = p.longitude = kNoValue;
        if (words.size() < first + 2) return p;
        const auto latitude = HemisphereAngle(words[first], 'N', 'S', FormOf(words[first]), 90);
        const auto longitude = HemisphereAngle(words[first + 1], 'E', 'W', FormOf(words[first + 1]), 180);
        if (!latitude || !longitude) return p;
        p.latitude = *latitude;
        p.longitude = *longitude;
        if (words.size() > first + 3) {
            p.time = NamedMonthTime(words[first + 2], words[first + 3], kCenturyPivot);
            if (!p.time) times_.Count();
        }
        if (words.size() > first + 4) {
            const auto altitude = elevations_.Decimal(words[first + 4]);
            if (altitude && *altitude != kNoAltitude) p.elevation = *altitude;
        }
        return p;
    }

    void TakeWaypoint(std::string_view line)
    {
        const bool columned = waypointColumns_.Has("LATITUDE") && waypointColumns_.Start("LATITUDE") < line.size();
        const std::size_t from = columned ? waypointColumns_.Start("LATITUDE") : 1;
        const std::vector<std::string_view> words = Words(line.substr(from), columned ? 6 : 7);
        Point p = PositionedPoint(words, columned ? 0 : 1);
        if (!takesWaypoints_) {
            if (!route_ && ValidPosition(p)) ++result_.waypointsLeftOut;
            return;
        }
        const auto field = [&](const char* title) {
            return waypointColumns_.Has(title) ? waypointColumns_.Field(line, title) : ""sv;
        };
        p.name = TextAsRead(columned ? field("IDNT") : (words.empty() ? ""sv : words[0]), false);
        p.description = TextAsRead(waypointColumns_.Has("DESCRIPTION") ? field("DESCRIPTION")
                                   : words.size() > 6                  ? words[6]
                                                                       : ""sv,
                                   false);
        if (const auto proximity = ReadDecimal(field("PROXIMITY")); proximity && *proximity > 0)
            p.device.proximity = *proximity;
        if (!route_) {
            if (!waypoints_.Full()) waypoints_.Add(p);
        } else if (ValidPosition(p)) {
            result_.document.routes.back().points.push_back(p);
        } else {
            result_.findings.Add(FindingKind::Unusable, {}, 1);
        }
    }

    // "R  NUMBER NAME"
    void StartRoute(std::string_view line)
    {
        route_ = true;
        if (!takesWaypoints_) {
            ++result_.routesLeftOut;
            return;
        }
        const std::vector<std::string_view> words = Words(line.substr(1), 2);
        Route& route = result_.document.routes.emplace_back(result_.document.NewRoute());
        if (!words.empty()) route.info.number = ReadInteger(words[0]).value_or(-1);
        if (words.size() > 1) route.info.name = TextAsRead(words[1], false);
    }

    void StartTrack()
    {
        trackEntry_.reset();
        track_ = &result_.document.tracks.emplace_back(result_.document.NewTrack());
        trackEntry_.emplace(track_->points, result_.findings, options_.trackPointsKept);
        trackCounted_ = false;
    }

    void TakeTrackPoint(std::string_view line)
    {
        Point p = PositionedPoint(Words(line.substr(1), 6), 0);
        if (!takesTracks_) {
            if (ValidPosition(p) && !trackCounted_) ++result_.tracksLeftOut;
            trackCounted_ = trackCounted_ || ValidPosition(p);
            return;
        }
        if (!track_) StartTrack();
        p.newSection = track_->points.empty();
        if (!trackEntry_->Full()) trackEntry_->Add(p);
    }

    const ReadOptions& options_;
    ReadResult& result_;
    const bool takesWaypoints_, takesTracks_;
    PointEntry waypoints_;
    std::optional<PointEntry> trackEntry_;
    Track* track_ = nullptr;
    Columns waypointColumns_;
    std::optional<AngleForm> form_;
    bool route_ = false;  // the waypoint lines now read are a route's points
    bool trackCounted_ = false;
    UnreadableValues elevations_{"elevations"}, times_{"times"};
};
}  // namespace

bool IsPcx5File(const FileLook& file)
{
    const std::string_view head = file.Head();
    if (head.starts_with("H  SOFTWARE NAME")) return true;
    for (std::size_t at = head.find("I  PCX5"); at != std::string_view::npos; at = head.find("I  PCX5", at + 1))
        if (at == 0 || head[at - 1] == '\n') return true;
    return false;
}

ReadResult ReadPcx5File(const InputSource& source, const ReadOptions& options)
{
    LineReader file = source.ReadLines();
    ReadResult result = NewReadResult(options);
    Pcx5Reading reading(options, result);
    std::string_view line;
    while (file.Next(line)) reading.Take(line);
    reading.Finish();
    return result;
}
