// SPDX-License-Identifier: GPL-3.0-or-later
// Reading CSV a record at a time: the columns this product writes give back
// the document written (waypoints, routes with their roads, tracks with
// their sections); other files give a point per row from the columns their
// header names.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/document/point_entry.h"
#include "core/io/line_reader.h"
#include "core/text/read_number.h"
#include "core/text/text_encoding.h"
#include "core/time/utc_time.h"
#include "formats/csv/Csv.h"
#include "formats/csv/CsvColumns.h"

namespace {
// A record longer than this (a quote left open) is no row.
constexpr std::size_t kLongestRecord = LineReader::kMaxLineLength;

class CsvRows {
public:
    CsvRows(const CsvColumns& columns, const ReadOptions& options, ReadResult& result)
        : columns_(columns), result_(result), takesWaypoints_(options.mode != ReadMode::Tracks),
          takesTracks_(options.mode != ReadMode::Waypoints),
          // Rows of another program are waypoints, or one track for a track output.
          rowsAsTrack_(!columns.ours && options.mode == ReadMode::Tracks),
          waypoints_(result.document.waypoints, result.findings)
    {}

    void Take(const std::vector<std::string>& fields)
    {
        fields_ = &fields;
        if (!columns_.ours) TakeOther();
        else TakeOurs();
    }

    void CountUnclosed() { ++unclosed_; }

    void Finish()
    {
        elevations_.AddTo(result_.findings);
        times_.AddTo(result_.findings);
        numbers_.AddTo(result_.findings);
        sensors_.AddTo(result_.findings);
        if (unknownKinds_ > 0)
            result_.findings.Add(FindingKind::Skipped,
                                 Plural(unknownKinds_, "row") +
                                     " of no known type (waypoint, route point, track point) left out",
                                 unknownKinds_);
        if (unclosed_ > 0)
            result_.findings.Add(FindingKind::Skipped,
                                 Plural(unclosed_, "row") + " whose quote is not closed within 1 MB left out",
                                 unclosed_);
        if (!track_.points.empty()) result_.document.tracks.push_back(std::move(track_));
        // A route without a road holds no counts of its links.
        for (Route& route : result_.document.routes)
            if (route.links.empty()) route.linksAfter.clear();
        result_.routesLeftOut = static_cast<std::int64_t>(routesPassed_.size());
        result_.tracksLeftOut = static_cast<std::int64_t>(tracksPassed_.size());
    }

private:
    static std::string Plural(std::int64_t count, const char* noun)
    {
        return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
    }

    std::string_view Field(int column) const
    {
        return column >= 0 && static_cast<std::size_t>(column) < fields_->size() ? std::string_view((*fields_)[column])
                                                                                 : std::string_view();
    }
    // A number with a decimal comma where the separator is not a comma.
    std::string Number(int column) const
    {
        std::string text(Field(column));
        if (columns_.DecimalComma() && text.find('.') == std::string::npos)
            std::replace(text.begin(), text.end(), ',', '.');
        return text;
    }
    // A text as written; this product's writer put an apostrophe before one a spreadsheet would take for a formula.
    std::string Text(int column) const
    {
        std::string_view text = Field(column);
        if (columns_.ours && text.size() >= 2 && text.front() == '\'' &&
            std::string_view("=+-@\t\r").find(text[1]) != std::string_view::npos)
            text.remove_prefix(1);
        return TextAsRead(text, true);
    }

    std::optional<UtcTime> TimeOf(std::string_view text)
    {
        std::string iso(TrimmedBlanks(text));
        if (iso.empty()) return std::nullopt;
        // "2002/08/15 07:00:00" as "2002-08-15T07:00:00".
        if (iso.size() >= 10 && iso[4] == '/' && iso[7] == '/') iso[4] = iso[7] = '-';
        if (iso.size() > 10 && iso[10] == ' ') iso[10] = 'T';
        const auto time = ParseIsoTime(iso);
        if (!time) times_.Count();
        return time;
    }
    static std::string_view TrimmedBlanks(std::string_view text)
    {
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
        return text;
    }

    Point PointOfRow()
    {
        Point p;
        const auto latitude = ReadDecimal(Number(columns_.latitude));
        const auto longitude = ReadDecimal(Number(columns_.longitude));
        const bool usable = latitude && longitude && ValidPosition(*latitude, *longitude);
        p.latitude = usable ? *latitude : kNoValue;
        p.longitude = usable ? *longitude : kNoValue;
        if (!usable) return p;
        if (const auto height = elevations_.Decimal(Number(columns_.elevation)))
            p.elevation = *height * columns_.metresPerUnit;
        const std::string_view day = Field(columns_.date);
        p.time = TimeOf(TrimmedBlanks(day).empty()
                            ? Field(columns_.time)
                            : std::string(TrimmedBlanks(day)) + "T" + std::string(TrimmedBlanks(Field(columns_.time))));
        p.name = Text(columns_.name);
        p.description = Text(columns_.description);
        p.comment = Text(columns_.comment);
        p.symbol = Text(columns_.symbol);
        if (const std::string link = Text(columns_.link); !link.empty()) p.links.push_back({.href = link});
        TakeSensors(p);
        return p;
    }

    void TakeSensors(Point& p)
    {
        p.depth = sensors_.Decimal(Number(columns_.depth)).value_or(kNoValue);
        p.celsius = sensors_.Decimal(Number(columns_.temperature)).value_or(kNoValue);
        const auto whole = [this](int column) {
            const auto value = sensors_.Decimal(Number(column));
            if (value && *value >= 0 && *value < 1000 && *value == std::floor(*value))
                return static_cast<std::int16_t>(*value);
            if (value) sensors_.Count();
            return std::int16_t{-1};
        };
        p.heartRate = whole(columns_.heartRate);
        p.cadence = whole(columns_.cadence);
    }

    void TakeOther()
    {
        Point p = PointOfRow();
        if (!rowsAsTrack_) {
            waypoints_.Add(p);
            return;
        }
        p.newSection = track_.points.empty();
        if (!trackPoints_) trackPoints_.emplace(track_.points, result_.findings);
        trackPoints_->Add(p);
    }

    // The number of a track or route in the file; rows without one count as one group.
    std::int32_t GroupNumber(int column)
    {
        if (IsBlankField(column)) return 0;
        const auto number = ReadInteger(Field(column));
        if (!number) numbers_.Count();
        return number.value_or(0);
    }
    bool IsBlankField(int column) const { return TrimmedBlanks(Field(column)).empty(); }

    void TakeOurs()
    {
        const std::string_view kind = Field(columns_.kind);
        if (kind == "waypoint") {
            if (takesWaypoints_) waypoints_.Add(PointOfRow());
            else result_.waypointsLeftOut += 1;
        } else if (kind == "route point" || kind == "route link point") {
            TakeRoutePoint(kind == "route link point");
        } else if (kind == "track point") {
            TakeTrackPoint();
        } else {
            ++unknownKinds_;
        }
    }

    void TakeRoutePoint(bool link)
    {
        const std::int32_t number = GroupNumber(columns_.routeIndex);
        if (!takesWaypoints_) {
            routesPassed_.insert(number);
            return;
        }
        auto [at, added] = routes_.try_emplace(number, result_.document.routes.size());
        if (added) result_.document.routes.emplace_back(result_.document.NewRoute()).info.name = Text(columns_.route);
        Route& route = result_.document.routes[at->second];
        Point p = PointOfRow();
        if (!link) {
            if (PointEntry(route.points, result_.findings).Add(p)) route.linksAfter.push_back(0);
        } else if (!route.linksAfter.empty() && PointEntry(route.links, result_.findings).Add(p)) {
            ++route.linksAfter.back();
        }
    }

    void TakeTrackPoint()
    {
        const std::int32_t number = GroupNumber(columns_.trackIndex);
        if (!takesTracks_) {
            tracksPassed_.insert(number);
            return;
        }
        auto [at, added] = tracks_.try_emplace(number, Group{.at = result_.document.tracks.size()});
        if (added) result_.document.tracks.emplace_back(result_.document.NewTrack()).info.name = Text(columns_.track);
        Group& group = at->second;
        Track& track = result_.document.tracks[group.at];
        Point p = PointOfRow();
        const std::string section(Field(columns_.section));
        // A section started by a point left out starts at the next one kept.
        p.newSection = track.points.empty() || section != group.section || group.sectionWaiting;
        group.section = section;
        group.sectionWaiting = !PointEntry(track.points, result_.findings).Add(p) && p.newSection;
    }

    struct Group {
        std::size_t at;
        std::string section{};
        bool sectionWaiting = false;
    };

    const CsvColumns& columns_;
    ReadResult& result_;
    const bool takesWaypoints_, takesTracks_, rowsAsTrack_;
    const std::vector<std::string>* fields_ = nullptr;
    PointEntry waypoints_;
    Track track_ = result_.document.NewTrack();
    std::optional<PointEntry> trackPoints_;
    std::map<std::int32_t, std::size_t> routes_;
    std::map<std::int32_t, Group> tracks_;
    std::set<std::int32_t> routesPassed_, tracksPassed_;
    UnreadableValues elevations_{"elevations"}, times_{"times"}, numbers_{"track and route numbers"},
        sensors_{"depths, temperatures, heart rates and cadences"};
    std::int64_t unknownKinds_ = 0, unclosed_ = 0;
};

CsvColumns HeaderOf(LineReader& lines)
{
    std::string_view line;
    while (lines.Next(line)) {
        if (line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
        if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
        if (auto columns = CsvHeader(line)) return *columns;
        break;
    }
    throw InputRefused("This CSV file has no position columns: its first line names no latitude and longitude "
                       "(lat or latitude, and lon, lng, long or longitude, separated by commas, semicolons or tabs).");
}
}  // namespace

bool IsCsvHeaderLine(std::string_view line) { return CsvHeader(line).has_value(); }

ReadResult ReadCsvFile(const InputSource& source, const ReadOptions& options)
{
    LineReader lines = source.ReadLines();
    const CsvColumns columns = HeaderOf(lines);
    ReadResult result = NewReadResult(options);
    CsvRows rows(columns, options, result);
    CsvRecord record(columns.separator);
    std::string_view line;
    bool open = false;
    while (lines.Next(line)) {
        if (!open && line.find_first_not_of(" \t") == std::string_view::npos) continue;  // a blank line is no row
        open = !record.Feed(line, lines.BreakBefore());
        if (open && record.Bytes() > kLongestRecord) {
            rows.CountUnclosed();
            record.Clear();
            open = false;
            continue;
        }
        if (!open) rows.Take(record.Fields());
    }
    if (open) rows.CountUnclosed();
    rows.Finish();
    return result;
}
