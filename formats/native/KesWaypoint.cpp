// SPDX-License-Identifier: GPL-3.0-or-later
// The native waypoint file: four header lines, then one 24-column line per waypoint.
#include <algorithm>
#include <cmath>

#include "core/document/point_entry.h"
#include "core/io/file_io.h"
#include "core/io/file_names.h"
#include "core/io/output_target.h"
#include "core/text/number_format.h"
#include "core/text/read_number.h"
#include "core/text/text_encoding.h"
#include "core/text/text_fields.h"
#include "formats/document/Symbols.h"
#include "formats/native/Kes.h"
#include "formats/native/KesRecords.h"
#include "formats/native/KesText.h"

namespace {
const char* const kHeader = "Kestrelmaps Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\n\r\n";

// The record a line is made of: what the document gives, the other columns
// holding the values every waypoint of the files has.
struct WayPoints {
    std::string name, description;
    double latitude = 0, longitude = 0, dateTime = kes::kUndatedWaypoint;
    std::int16_t symbol = 0;
    float feet = kes::kNoAltitude;
    std::int32_t column13 = 0;  // as MapSource numbers how it is shown: 0 symbol only, 1 with name, 2 with description
    std::int32_t column14 = 0;  // proximity, whole metres
};

std::int32_t DisplayNumber(const std::string& mode)
{
    if (mode == "SymbolAndName") return 1;
    if (mode == "SymbolAndDescription") return 2;
    return 0;
}

WayPoints RecordOf(const Point& p, kes::DayCounts& times)
{
    WayPoints w;
    w.name = kes::NativeName(p);
    w.description = kes::NativeDescription(p);
    w.latitude = p.latitude;
    w.longitude = p.longitude;
    w.dateTime = times.OfWaypoint(p);
    w.symbol = kes::SymbolNumber(p);
    w.feet = kes::WaypointFeet(p);
    w.column13 = DisplayNumber(p.device.displayMode);
    w.column14 = RoundHalfEven<std::int32_t>(p.device.proximity, 0);
    return w;
}

void AppendWaypointLine(std::string& out, int position, const WayPoints& w)
{
    kes::ColumnLine line(out);
    line.Int(position, 4);
    line.Text(w.name);
    line.Real(w.latitude, 11, 6);
    line.Real(w.longitude, 11, 6);
    line.Real(w.dateTime, 13, 7);
    line.Int(w.symbol, 3);
    line.Raw(" 0, 3,         0,     65535");  // columns 7 to 10
    line.Text(w.description);
    line.Int(0, 2);
    line.Int(w.column13, 2);
    line.Int(w.column14, 5);
    line.Int(RoundHalfEven<std::int64_t>(w.feet, -777), 7);
    line.Raw(" 8, 0,17,0,10.0,2,,,");  // columns 16 to 24
    line.End();
}

// The values a file's lines hold that are no number, left unset and told once.
struct UnreadableColumns {
    UnreadableValues times{"times"}, symbols{"symbols"}, elevations{"elevations"};
    void AddTo(Findings& findings) const
    {
        times.AddTo(findings);
        symbols.AddTo(findings);
        elevations.AddTo(findings);
    }
};

// What a line holds at its own precision: texts in full, the elevation in
// metres, no time for the undated day, the symbol where the column holds one.
// A latitude or longitude that is missing or no number leaves the position
// unusable; a line of only the first columns takes no value of the others.
Point PointOfLine(std::string_view text, UnreadableColumns& unreadable)
{
    const CommaFields line(text);
    Point p;
    p.latitude = ReadDecimal(line.View(3, "")).value_or(kNoValue);
    p.longitude = ReadDecimal(line.View(4, "")).value_or(kNoValue);
    if (std::isnan(p.latitude) || std::isnan(p.longitude)) return p;
    p.name = TextAsRead(line.Text(2, ""), false);
    const auto dateTime = unreadable.times.Decimal(line.View(5, ""));
    // The undated day is written again as it was, never as the time of
    // conversion; so is a date that is no number or no time.
    if (dateTime && *dateTime != kes::kUndatedWaypoint) {
        p.time = kes::TimeOfDayCount(*dateTime);
        if (!p.time) unreadable.times.Count();
    }
    p.native.noDateDay = !p.time;
    // The native field takes the low 16 bits of the column.
    if (const auto symbol = unreadable.symbols.Integer(line.View(6, ""))) {
        p.symbolCode = static_cast<std::int16_t>(*symbol);
        p.symbol = SymbolNameOfCode(p.symbolCode);
    }
    p.description = TextAsRead(line.Text(11, ""), false);
    const auto feet = unreadable.elevations.Decimal(line.View(15, ""));
    if (feet && static_cast<float>(*feet) != kes::kNoAltitude) p.elevation = *feet / kes::kFeetPerMetre;
    return p;
}

// The routes go into a file beside the waypoints, which a device or a pipe has not.
void WriteRoutesBeside(const Document& document, const WriteRequest& request, const std::string& waypointFile,
                       Findings& findings)
{
    if (ResolveOutput(waypointFile).kind != OutputTarget::Kind::File)
        throw FileError(waypointFile, "The routes go into a route file beside the waypoint file, and this output has "
                                      "no place beside it for one");
    const std::string routes = ChangeFileExt(request.outputName, ".rte");
    request.addLine("Writing Kes Route file");
    request.addLine(routes);
    WriteRouteFile(document, routes, findings, request.transaction, request.clock);
}
}  // namespace

ReadResult ReadWaypointFile(const InputSource& source, const ReadOptions& options)
{
    ReadResult result = NewReadResult(options);
    LineReader file = source.ReadLines();
    kes::ReadHeader(file, result.findings);
    std::string_view line;
    PointEntry entry(result.document.waypoints, result.findings, options.waypointsKept);
    UnreadableColumns unreadable;
    while (!entry.Full() && file.Next(line))
        if (!IsBlank(line)) entry.Add(PointOfLine(line, unreadable));  // a blank line holds no waypoint
    unreadable.AddTo(result.findings);
    return result;
}

WriteResult WriteWaypointFile(const Document& document, const WriteRequest& request)
{
    WriteResult result;
    const std::string fileName = request.exactNames ? request.outputName : ChangeFileExt(request.outputName, ".wpt");
    SafeFileWriter output(fileName, request.transaction);
    std::string out = kHeader;
    out.reserve(kes::kWritePiece + 1024);
    kes::DayCounts times(request.clock);
    int position = 0;
    for (const Point& p : document.waypoints) {
        if (position == kes::kMaxWaypoints) {
            result.findings.Add(FindingKind::Cut,
                                "Only the first 10000 Waypoints are read - this is a limitation of kesTranscribe. "
                                "The rest of the input file is left out.",
                                static_cast<std::int64_t>(document.waypoints.size()) - position);
            break;
        }
        AppendWaypointLine(out, ++position, RecordOf(p, times));
        if (out.size() >= kes::kWritePiece) {
            output.Append(out);
            out.clear();
        }
    }
    output.Append(out);
    output.Commit();
    result.counts.waypoints = position;
    if (!document.routes.empty()) {
        WriteRoutesBeside(document, request, fileName, result.findings);
        result.counts.routes =
            std::min<std::int64_t>(static_cast<std::int64_t>(document.routes.size()), kes::kMaxRouteIndex);
    }
    times.AddStamped(result.findings);
    return result;
}
