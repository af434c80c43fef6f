// SPDX-License-Identifier: GPL-3.0-or-later
// The native waypoint file: four header lines, then one 24-column line per waypoint.
#include <algorithm>
#include <limits>

#include "core/conversion_record.h"
#include "core/file_io.h"
#include "core/file_names.h"
#include "core/line_reader.h"
#include "core/number_format.h"
#include "core/store.h"
#include "core/store_entry.h"
#include "core/text_encoding.h"
#include "core/text_fields.h"
#include "formats/document/Symbols.h"
#include "formats/native/Kes.h"
#include "formats/native/KesText.h"

namespace {
constexpr std::int32_t kNoCode = std::numeric_limits<std::int32_t>::min();

std::string Unescaped(std::string text)
{
    std::replace(text.begin(), text.end(), '\xD1', ',');
    return text;
}

// What the line holds at its own precision: texts in full, the elevation in
// metres, no time for the undated day, the symbol where the column holds one.
void FillDetail(WayPoints& w, std::int32_t symbol, double feet)
{
    PointDetail& d = w.Detail;
    d.known = true;
    d.texts = PointTexts{.name = TextAsRead(w.Name, false),
                         .description = TextAsRead(w.Description, false),
                         .symbol = symbol != kNoCode ? SymbolNameOfCode(w.Symbol) : std::string()};
    if (static_cast<float>(feet) != kNoAltitude) d.values.metres = feet / kFeetPerMetre;
    if (w.DateTime != kUndatedWaypoint) d.values.time = kes::TimeOfDayCount(w.DateTime);
}

void ParseWaypointLine(std::string_view text, WayPoints& w)
{
    const CommaFields line(text);
    w.Name = line.Text(2, "");
    w.Latitude = line.Float(3, 0);
    w.Longitude = line.Float(4, 0);
    w.DateTime = line.Float(5, kUndatedWaypoint);
    // kNoCode is 0 in the low 16 bits that the native field takes, as a column without a number gives.
    const std::int32_t symbol = line.Int(6, kNoCode);
    w.Symbol = static_cast<std::int16_t>(symbol);
    w.Column7 = static_cast<std::int16_t>(line.Int(7, 0));
    w.Column8 = line.Int(8, 0);
    w.Column9 = line.Int(9, 0);
    w.Column10 = line.Int(10, 65535);
    w.Description = line.Text(11, "");
    w.Column12 = line.Int(12, 0);
    w.Column13 = line.Int(13, 0);
    w.Column14 = line.Int(14, 0);
    const double feet = line.Float(15, -777);
    w.Altitude = static_cast<float>(feet);
    w.Column16 = line.Int(16, 8);
    w.Column17 = line.Int(17, 0);
    w.Column18 = line.Int(18, 17);
    w.Column19 = line.Int(19, 0);
    w.Column20 = static_cast<float>(line.Float(20, 10));
    w.Column21 = line.Int(21, 2);
    w.Column22 = Unescaped(line.Text(22, ""));
    w.Column23 = Unescaped(line.Text(23, ""));
    w.Column24 = Unescaped(line.Text(24, ""));
    FillDetail(w, symbol, feet);
}

void AppendWaypointLine(std::string& out, int position, const WayPoints& w)
{
    kes::ColumnLine line(out);
    line.Int(position, 4);
    line.Text(w.Name);
    line.Real(w.Latitude, 11, 6);
    line.Real(w.Longitude, 11, 6);
    line.Real(w.DateTime, 13, 7);
    line.Int(w.Symbol, 3);
    line.Int(w.Column7, 2);
    line.Int(w.Column8, 2);
    line.Int(w.Column9, 10);
    line.Int(w.Column10, 10);
    line.Text(w.Description);
    line.Int(w.Column12, 2);
    line.Int(w.Column13, 2);
    line.Int(w.Column14, 5);
    line.Int(RoundHalfEven<std::int64_t>(w.Altitude, -777), 7);
    line.Int(w.Column16, 2);
    line.Int(w.Column17, 2);
    line.Int(w.Column18, 0);
    line.Int(w.Column19, 0);
    line.Raw(FormatFixed(10, 1, w.Column20));
    line.Int(w.Column21, 0);
    line.Text(w.Column22);
    line.Text(w.Column23);
    line.Text(w.Column24);
    line.End();
}
}  // namespace

void ReadWaypointFile(const std::string& fileName)
{
    LineReader file = LineReader::FromFile(fileName);
    ClearWaypoints();
    std::string_view line;
    file.Next(line);
    file.Next(line);
    kes::CheckDatumLine(line);
    file.Next(line);
    file.Next(line);
    while (file.Next(line)) {
        WayPoints w = ResetWaypoint();
        ParseWaypointLine(line, w);
        if (!StoreWaypoint(std::move(w))) break;
    }
}

void WriteWaypointFile(const std::string& fileName)
{
    std::string out = "Kestrelmaps Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\n\r\n";
    const int count = std::clamp(WaypointCount, 0, kMaxWaypoints);
    SafeFileWriter output(WriterFileName(fileName, ".wpt"));
    out.reserve(kes::kWritePiece + 1024);
    for (int i = 1; i <= count; ++i) {
        AppendWaypointLine(out, i, WaypointList[i]);
        if (out.size() >= kes::kWritePiece) {
            output.Append(out);
            out.clear();
        }
    }
    output.Append(out);
    output.Commit();
    NoteWritten({.waypoints = count});
}
