// SPDX-License-Identifier: GPL-3.0-or-later
// The native route file: four header lines, then every route slot with its points.
#include <algorithm>
#include <array>

#include "core/io/file_io.h"
#include "core/text/number_format.h"
#include "core/text/text_fields.h"
#include "formats/native/Kes.h"
#include "formats/native/KesRecords.h"
#include "formats/native/KesText.h"

namespace {
// The colours the slots take in turn, 0x00BBGGRR.
constexpr std::array<std::uint32_t, 7> kRouteColourCycle = {255, 16711680, 65280, 32768, 16711935, 0, 8388736};

// The record a point line is made of; the other columns hold the values every route point of the files has.
struct RouteWpRecord {
    std::string name, description;
    double latitude = 0, longitude = 0, dateTime = 0;
    std::int16_t symbol = 0;
};

void AppendPointLine(std::string& out, int route, int position, const RouteWpRecord& p)
{
    kes::ColumnLine line(out);
    line.Raw("W");
    line.Int(route, 3);
    line.Int(position, 3);
    line.Int(position, 3);  // the point's number
    line.Text(PadRightSpaces(p.name, kes::kRouteNameLength));
    line.Real(p.latitude, 11, 6);
    line.Real(p.longitude, 11, 6);
    line.Real(p.dateTime, 13, 7);
    line.Int(p.symbol, 2);
    line.Raw(" 0, 3,         0,     65535");  // columns 10 to 13
    line.Text(p.description);
    line.Raw(" 0, 0");
    line.End();
}

// A route without a text of its own whose name the name column cuts gives
// its name whole for one.
std::string RouteText(const GroupInfo& info)
{
    std::string text = kes::NativeDescription(info);
    if (std::string name = kes::NativeName(info); text.empty() && name.size() > kes::kRouteNameLength) return name;
    return text;
}

void AppendRouteLine(std::string& out, int slot, const GroupInfo* info)
{
    std::string name = info ? kes::NativeName(*info) : std::string();
    if (name.empty()) name = "R" + std::to_string(slot);
    out += "R,";
    AppendInt(out, slot, 3);
    out += ',';
    kes::AppendTextColumn(out, PadRightSpaces(name, kes::kRouteNameLength));
    out += ',';
    if (info) kes::AppendTextColumn(out, RouteText(*info));
    out += ',';
    AppendInt(out, kRouteColourCycle[static_cast<std::size_t>(slot) % kRouteColourCycle.size()], 0);
    out += kes::kCrLf;
}
}  // namespace

void WriteRouteFile(const Document& document, const std::string& fileName, Findings& findings,
                    OutputTransaction* transaction, const Clock& clock)
{
    SafeFileWriter output(fileName, transaction);
    std::string out = "Kestrelmaps Route File Version 1.0\r\nWGS 84\r\nReserved 1\r\nReserved 2\r\n";
    kes::DayCounts times(clock);
    std::int64_t pointsLeftOut = 0;
    for (int slot = 0; slot <= kes::kMaxRouteIndex; ++slot) {
        // Slot 0 is no route of a document's: it keeps its name R0.
        const auto index = static_cast<std::size_t>(slot - 1);
        const Route* route = slot > 0 && index < document.routes.size() ? &document.routes[index] : nullptr;
        AppendRouteLine(out, slot, route ? &route->info : nullptr);
        if (!route) continue;
        int position = 0;
        for (const Point& p : route->points) {
            if (position == kes::kMaxRoutePoints) {
                pointsLeftOut += static_cast<std::int64_t>(route->points.size()) - position;
                break;
            }
            const RouteWpRecord record{kes::NativeName(p), kes::NativeDescription(p), p.latitude,
                                       p.longitude,        times.OfWaypoint(p),       kes::SymbolNumber(p)};
            AppendPointLine(out, slot, ++position, record);
        }
        if (out.size() >= kes::kWritePiece) {
            output.Append(out);
            out.clear();
        }
    }
    output.Append(out);
    output.Commit();
    const auto routes = static_cast<std::int64_t>(document.routes.size());
    if (routes > kes::kMaxRouteIndex)
        findings.Add(FindingKind::Cut,
                     "Only the first 100 Routes are read - this is a limitation of kesTranscribe. The later routes "
                     "of the input file are left out.",
                     routes - kes::kMaxRouteIndex);
    if (pointsLeftOut > 0)
        findings.Add(FindingKind::Cut,
                     "Only the first 1000 Route Points are read from each route - this is a limitation of "
                     "kesTranscribe. The rest of a longer route is left out.",
                     pointsLeftOut);
    times.AddStamped(findings);
}
