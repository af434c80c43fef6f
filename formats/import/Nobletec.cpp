// SPDX-License-Identifier: GPL-3.0-or-later
// Nobletec export text files: marks become waypoints; every track section of
// the file goes into one track, a section each.
#include "formats/import/Nobletec.h"

#include <charconv>
#include <string_view>
#include <utility>

#include "core/line_reader.h"
#include "core/point_entry.h"
#include "core/text_encoding.h"
#include "core/text_fields.h"

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

int PointCountOf(std::string_view line)
{
    const std::string text = GetSpaceField(line, 3, "0");
    std::string_view s = text;
    // One sign only: "+-5" is no more an integer than "--5".
    if (s.size() > 1 && s.front() == '+' && s[1] != '-') s.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || error != std::errc() || end != s.data() + s.size())
        throw ConversionError("'" + text + "' is not a valid integer value");
    return value;
}

}  // namespace

NobletecPosition ParseNobletecLatLon(const std::string& text)
{
    auto field = [&](int n) { return GetSpaceField(text, n, "0"); };
    NobletecPosition p;
    p.Latitude = TextToFloat(field(1)) + TextToFloat(field(2)) / 60.0;
    if (field(3) == "S") p.Latitude = -p.Latitude;
    p.Longitude = TextToFloat(field(4)) + TextToFloat(field(5)) / 60.0;
    if (field(6) == "W") p.Longitude = -p.Longitude;
    return p;
}

ReadResult ReadNobletecWaypoints(const InputSource& source, const ReadOptions& options)
{
    LineReader file = source.ReadLines();
    ReadResult result;
    PointEntry entry(result.document.waypoints, result.findings, options.waypointsKept);
    // A mark takes only what it says itself: its own name, or else its own
    // description, and that description.
    std::string_view line;
    while (!entry.Full() && file.Next(line)) {
        if (!StartsWith(line, "Type = Mark")) continue;
        std::string ownName, ownDescription;
        while (file.Next(line)) {
            if (StartsWith(line, "Desc =")) {
                ownDescription = TextAsRead(Rest(line, 7), false);
                if (ownDescription == "{{") ownDescription.clear();
            } else if (StartsWith(line, "Name =")) {
                ownName = TextAsRead(Rest(line, 7), false);
                if (ownName == "{{") ownName.clear();
            } else if (GetSpaceField(line, 1, "0") == "LatLon") {
                const NobletecPosition position = ParseNobletecLatLon(std::string(PositionText(line)));
                Point w;
                w.latitude = position.Latitude;
                w.longitude = position.Longitude;
                w.name = ownName.empty() ? ownDescription : std::move(ownName);
                w.description = std::move(ownDescription);
                entry.Add(w);
                break;
            }
        }
    }
    return result;
}

// The file names no track, and its points have neither time nor elevation.
ReadResult ReadNobletecTracks(const InputSource& source, const ReadOptions& options)
{
    LineReader file = source.ReadLines();
    ReadResult result;
    Track track;
    PointEntry entry(track.points, result.findings, options.trackPointsKept);
    std::string_view line;
    while (!entry.Full() && file.Next(line)) {
        if (!StartsWith(line, "NumberOfTrackMarks")) continue;
        const int count = PointCountOf(line);
        file.Next(line);
        // A section cut short by the end of the file ends with the points read.
        for (int k = 0; k < count && !entry.Full() && file.Next(line); ++k) {
            const NobletecPosition position = ParseNobletecLatLon(std::string(line));
            Point p;
            p.latitude = position.Latitude;
            p.longitude = position.Longitude;
            p.newSection = k == 0;
            entry.Add(std::move(p));
        }
    }
    if (!track.points.empty()) result.document.tracks.push_back(std::move(track));
    return result;
}
