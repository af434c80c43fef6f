// SPDX-License-Identifier: GPL-3.0-or-later
// Nobletec export text files: marks become waypoints; every track section of
// the file goes into the one track of the store.
#include "formats/import/Nobletec.h"

#include <charconv>
#include <cstdio>
#include <string_view>
#include <utility>

#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/line_reader.h"
#include "core/store.h"
#include "core/store_entry.h"
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

// The track is named after the day of the conversion, in one fixed form
// (yyyy-mm-dd) so that the file does not depend on the host's settings.
std::string ShortDate(double dayCount)
{
    const CalendarTime t = DecodeDateTime(dayCount);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.Year, t.Month, t.Day);
    return text;
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

void ReadNobletecWaypoints(const std::string& fileName)
{
    ClearWaypoints();
    LineReader file = LineReader::FromFile(fileName);
    // A mark without its own description takes the one read last in the
    // native fields; its detail holds only what the mark itself says.
    std::string name, description;
    std::string_view line;
    while (file.Next(line)) {
        if (!StartsWith(line, "Type = Mark")) continue;
        std::string ownName, ownDescription;
        while (file.Next(line)) {
            const int n = WaypointCount + 1;
            if (StartsWith(line, "Desc =")) {
                name = "WP" + PadLeftZeros(std::to_string(n), 4);
                description = std::string(From(line, 7));
                if (description == "{{") description.clear();
                if (!description.empty()) name = description.substr(0, 10);
                ownDescription = description.empty() ? std::string() : TextAsRead(Rest(line, 7), false);
            } else if (StartsWith(line, "Name =")) {
                ownName = TextAsRead(Rest(line, 7), false);
                if (ownName == "{{") ownName.clear();
            } else if (GetSpaceField(line, 1, "0") == "LatLon") {
                const NobletecPosition position = ParseNobletecLatLon(std::string(PositionText(line)));
                WayPoints w = ResetWaypoint();
                w.Name = name;
                w.Description = description;
                w.Latitude = position.Latitude;
                w.Longitude = position.Longitude;
                w.Altitude = kNoAltitude;
                w.DateTime = StampTimeOfReading();
                // The native name is made from the description; the mark's own
                // name, where it has one, is what the detail keeps.
                w.Detail.known = true;
                w.Detail.texts = PointTexts{.name = ownName.empty() ? ownDescription : std::move(ownName),
                                            .description = std::move(ownDescription)};
                if (!StoreWaypoint(std::move(w))) return;
                break;
            }
        }
    }
}

void ReadNobletecTracks(const std::string& fileName)
{
    ClearTracks();
    LineReader file = LineReader::FromFile(fileName);
    TrackProps.Name = ShortDate(NowLocal());
    TrackProps.Detail.known = true;  // the file names no track
    std::string_view line;
    while (file.Next(line)) {
        if (!StartsWith(line, "NumberOfTrackMarks")) continue;
        const int count = PointCountOf(line);
        file.Next(line);
        // A section cut short by the end of the file ends with the points read.
        for (int k = 0; k < count && file.Next(line); ++k) {
            const NobletecPosition position = ParseNobletecLatLon(std::string(line));
            TrackPoint p{position.Latitude, position.Longitude, k == 0 ? 1 : 0, kNoAltitude, StampTimeOfReading()};
            p.Known = true;  // positions only: no time, no elevation
            if (!StoreTrackPoint(p)) return;
        }
    }
}
