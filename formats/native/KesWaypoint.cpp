// The native waypoint file: four header lines, then one 24-column line per waypoint.
#include <algorithm>

#include "core/file_io.h"
#include "core/file_names.h"
#include "core/line_reader.h"
#include "core/number_format.h"
#include "core/store.h"
#include "core/text_fields.h"
#include "formats/native/Kes.h"
#include "formats/native/KesText.h"

namespace {
std::string Unescaped(std::string text)
{
    std::replace(text.begin(), text.end(), '\xD1', ',');
    return text;
}

void ParseWaypointLine(std::string_view line, WayPoints& w)
{
    w.Name = GetField(line, 2, "");
    w.Latitude = GetFloatField(line, 3, 0);
    w.Longitude = GetFloatField(line, 4, 0);
    w.DateTime = GetFloatField(line, 5, kUndatedWaypoint);
    w.Symbol = static_cast<std::int16_t>(GetIntField(line, 6, 0));
    w.Column7 = static_cast<std::int16_t>(GetIntField(line, 7, 0));
    w.Column8 = GetIntField(line, 8, 0);
    w.Column9 = GetIntField(line, 9, 0);
    w.Column10 = GetIntField(line, 10, 65535);
    w.Description = GetField(line, 11, "");
    w.Column12 = GetIntField(line, 12, 0);
    w.Column13 = GetIntField(line, 13, 0);
    w.Column14 = GetIntField(line, 14, 0);
    w.Altitude = static_cast<float>(GetFloatField(line, 15, -777));
    w.Column16 = GetIntField(line, 16, 8);
    w.Column17 = GetIntField(line, 17, 0);
    w.Column18 = GetIntField(line, 18, 17);
    w.Column19 = GetIntField(line, 19, 0);
    w.Column20 = static_cast<float>(GetFloatField(line, 20, 10));
    w.Column21 = GetIntField(line, 21, 2);
    w.Column22 = Unescaped(GetField(line, 22, ""));
    w.Column23 = Unescaped(GetField(line, 23, ""));
    w.Column24 = Unescaped(GetField(line, 24, ""));
}

void AppendWaypointLine(std::string& out, int position, const WayPoints& w)
{
    auto integer = [&](std::int64_t value, int width) {
        AppendInt(out, value, width);
        out += ',';
    };
    auto real = [&](double value, int width, int decimals) {
        AppendReal(out, value, width, decimals);
        out += ',';
    };
    auto text = [&](const std::string& value) {
        kes::AppendTextColumn(out, value);
        out += ',';
    };
    integer(position, 4);
    text(w.Name);
    real(w.Latitude, 11, 6);
    real(w.Longitude, 11, 6);
    real(w.DateTime, 13, 7);
    integer(w.Symbol, 3);
    integer(w.Column7, 2);
    integer(w.Column8, 2);
    integer(w.Column9, 10);
    integer(w.Column10, 10);
    text(w.Description);
    integer(w.Column12, 2);
    integer(w.Column13, 2);
    integer(w.Column14, 5);
    integer(RoundHalfEven<std::int64_t>(w.Altitude, -777), 7);
    integer(w.Column16, 2);
    integer(w.Column17, 2);
    integer(w.Column18, 0);
    integer(w.Column19, 0);
    out += FormatFixed(10, 1, w.Column20);
    out += ',';
    integer(w.Column21, 0);
    text(w.Column22);
    text(w.Column23);
    kes::AppendTextColumn(out, w.Column24);
    out += kes::kCrLf;
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
    while (WaypointCount < kMaxWaypoints && file.Next(line)) {
        ++WaypointCount;
        ParseWaypointLine(line, WaypointList[WaypointCount]);
    }
}

void WriteWaypointFile(const std::string& fileName)
{
    std::string out = "Kestrelmaps Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\n\r\n";
    const int count = std::clamp(WaypointCount, 0, kMaxWaypoints);
    out.reserve(out.size() + static_cast<std::size_t>(count) * 160);
    for (int i = 1; i <= count; ++i) AppendWaypointLine(out, i, WaypointList[i]);
    WriteFileSafely(ChangeFileExt(fileName, ".wpt"), out);
}
