// SPDX-License-Identifier: GPL-3.0-or-later
// Nobletec export text files: marks become waypoints; every track section of
// the file goes into one track, a section each.
#include "formats/import/Nobletec.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

#include "core/document/point_entry.h"
#include "core/io/line_reader.h"
#include "core/text/read_number.h"
#include "core/text/text_encoding.h"
#include "core/text/text_fields.h"

namespace {
constexpr std::size_t kMaxText = 250;

bool StartsWith(std::string_view line, std::string_view keyword) { return line.substr(0, keyword.size()) == keyword; }

std::string_view From(std::string_view line, std::size_t position)
{
    return position >= line.size() ? std::string_view{} : line.substr(position, kMaxText);
}

// The whole text from `position` on, as far as a kept text goes.
std::string_view Rest(std::string_view line, std::size_t position)
{
    return position >= line.size() ? std::string_view{} : line.substr(position);
}

// "LatLon = 47 36.512 N ...": the text after "LatLon = ". When blanks come
// before the keyword the fixed column would cut into it, so the "=" leads.
std::string_view PositionText(std::string_view line)
{
    if (StartsWith(line, "LatLon")) return From(line, 9);
    const std::size_t equals = line.find('=');
    if (equals != std::string_view::npos) return From(line, equals + 1);
    return From(line, line.find("LatLon") + 6);
}

// A keyword line ("Type = Mark", "NumberOfTrackMarks = 5") or a bracket is
// none of a track's points, whatever count the track gave.
bool EndsASection(std::string_view line)
{
    return line.find('=') != std::string_view::npos || StartsWith(line, "[") || StartsWith(line, "}");
}

// "LatLon = ...": the first word of the line, after any blanks, is LatLon.
bool IsPositionLine(std::string_view line)
{
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos) return false;
    line.remove_prefix(start);
    return StartsWith(line, "LatLon") && (line.size() == 6 || line[6] == ' ' || line[6] == '\t');
}

int PointCountOf(std::string_view line)
{
    const std::string text = GetSpaceField(line, 3, "0");
    const auto count = ReadInteger(text);
    if (!count) throw ConversionError("'" + text + "' is not a valid integer value");
    return *count;
}

// Degrees or minutes; a comma is a decimal point too.
std::optional<double> DegreesOrMinutes(std::string_view field)
{
    if (field.find(',') == std::string_view::npos) return ReadDecimal(field);
    std::string text(field);
    std::replace(text.begin(), text.end(), ',', '.');
    return ReadDecimal(text);
}

std::string_view Unblanked(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// The first six fields of a position's text, split once as GetSpaceField
// splits: at a run of blanks, or at a tab where no blank follows.
std::array<std::string_view, 6> SpaceFields(std::string_view line)
{
    const std::string_view text = Unblanked(line);
    const std::size_t lastBlank = text.rfind(' ');
    const auto separator = [&](std::size_t from) {
        const char c = lastBlank != std::string_view::npos && lastBlank >= from ? ' ' : '\t';
        const std::size_t at = text.find(c, from);
        return at == std::string_view::npos ? text.size() : at;
    };
    std::array<std::string_view, 6> fields{};
    std::size_t start = 0;
    for (std::size_t n = 0; n < fields.size(); ++n) {
        if (n > 0) {
            start = separator(start);
            if (start == text.size()) break;
            ++start;
            while (start < text.size() && text[start] == ' ') ++start;
        }
        fields[n] = Unblanked(text.substr(start, separator(start) - start));
    }
    return fields;
}

Point PointAt(const std::optional<NobletecPosition>& position)
{
    Point p;
    p.latitude = position ? position->Latitude : kNoValue;
    p.longitude = position ? position->Longitude : kNoValue;
    return p;
}

// One pass over the file, taking the kinds the mode asks for and counting
// those it passes over.
class NobletecReading {
public:
    NobletecReading(const ReadOptions& options, ReadResult& result)
        : result_(result), takesWaypoints_(options.mode != ReadMode::Tracks),
          takesTracks_(options.mode != ReadMode::Waypoints),
          marks_(result.document.waypoints, result.findings, options.waypointsKept),
          trackPoints_(track_.points, result.findings, options.trackPointsKept)
    {}

    void Read(LineReader& file)
    {
        std::string_view line;
        bool more = file.Next(line);
        // Past what a one-kind output takes, the writer cuts and says the rest of the file is left out.
        while (more && !Done()) {
            if (StartsWith(line, "NumberOfTrackMarks")) {
                markOpen_ = false;  // a mark without a position gives no waypoint
                more = ReadSection(file, PointCountOf(line), line);
                continue;
            }
            TakeMarkLine(line);
            more = file.Next(line);
        }
        if (!track_.points.empty()) result_.document.tracks.push_back(std::move(track_));
        if (!takesTracks_ && trackPointSeen_) result_.tracksLeftOut = 1;
    }

private:
    // A mark takes only what it says itself: its own name, or else its own
    // description, and that description.
    void TakeMarkLine(std::string_view line)
    {
        if (!markOpen_) {
            if (StartsWith(line, "Type = Mark")) {
                markOpen_ = true;
                ownName_.clear();
                ownDescription_.clear();
            }
        } else if (!TakesMarks()) {
            // A mark passed over is counted by its position line, which is not read.
            if (!IsPositionLine(line)) return;
            markOpen_ = false;
            if (!takesWaypoints_) ++result_.waypointsLeftOut;
        } else if (StartsWith(line, "Desc =")) {
            ownDescription_ = TextAsRead(Rest(line, 7), false);
            if (ownDescription_ == "{{") ownDescription_.clear();
        } else if (StartsWith(line, "Name =")) {
            ownName_ = TextAsRead(Rest(line, 7), false);
            if (ownName_ == "{{") ownName_.clear();
        } else if (IsPositionLine(line)) {
            markOpen_ = false;
            AddMark(ParseNobletecLatLon(std::string(PositionText(line))));
        }
    }

    // Marks past what the output takes are passed over (the writer cuts
    // there and says so), as are those of a read for tracks.
    bool TakesMarks() const { return takesWaypoints_ && !marks_.Full(); }
    bool Done() const { return (!takesTracks_ && marks_.Full()) || (!takesWaypoints_ && trackPoints_.Full()); }

    void AddMark(const std::optional<NobletecPosition>& position)
    {
        Point w = PointAt(position);
        w.name = ownName_.empty() ? ownDescription_ : std::move(ownName_);
        w.description = std::move(ownDescription_);
        marks_.Add(w);
    }

    // The line after the section's start is skipped, then up to `count`
    // point lines are read; a section cut short by the end of the file, or by
    // a line of another kind, ends with the points read. `line` is left
    // at the line after the section; false at the end of the file.
    bool ReadSection(LineReader& file, int count, std::string_view& line)
    {
        if (!file.Next(line)) return false;
        bool more = file.Next(line);
        for (int k = 0; k < count && more && !EndsASection(line); ++k) {
            // Points that will not be kept are read only until one tells the file holds a track.
            const bool taken = takesTracks_ && !trackPoints_.Full();
            if (taken || !trackPointSeen_) {
                const auto position = ParseNobletecLatLon(std::string(line));
                trackPointSeen_ = trackPointSeen_ || position.has_value();
                if (taken) {
                    Point p = PointAt(position);
                    p.newSection = k == 0;
                    trackPoints_.Add(p);
                }
            }
            more = file.Next(line);
        }
        return more;
    }

    ReadResult& result_;
    const bool takesWaypoints_, takesTracks_;
    PointEntry marks_;
    Track track_ = result_.document.NewTrack();
    PointEntry trackPoints_;
    bool markOpen_ = false, trackPointSeen_ = false;
    std::string ownName_, ownDescription_;
};
}  // namespace

std::optional<NobletecPosition> ParseNobletecLatLon(const std::string& text)
{
    const std::array<std::string_view, 6> fields = SpaceFields(text);
    const auto latitudeDegrees = DegreesOrMinutes(fields[0]), latitudeMinutes = DegreesOrMinutes(fields[1]);
    const auto longitudeDegrees = DegreesOrMinutes(fields[3]), longitudeMinutes = DegreesOrMinutes(fields[4]);
    if (!latitudeDegrees || !latitudeMinutes || !longitudeDegrees || !longitudeMinutes) return std::nullopt;
    NobletecPosition p;
    p.Latitude = *latitudeDegrees + *latitudeMinutes / 60.0;
    if (fields[2] == "S") p.Latitude = -p.Latitude;
    p.Longitude = *longitudeDegrees + *longitudeMinutes / 60.0;
    if (fields[5] == "W") p.Longitude = -p.Longitude;
    return p;
}

// The file names no track, and its points have neither time nor elevation.
ReadResult ReadNobletecFile(const InputSource& source, const ReadOptions& options)
{
    LineReader file = source.ReadLines();
    ReadResult result = NewReadResult(options);
    NobletecReading(options, result).Read(file);
    return result;
}
