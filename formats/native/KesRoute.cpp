// SPDX-License-Identifier: GPL-3.0-or-later
// The native route file: four header lines, then every route slot with its points.
#include <algorithm>

#include "core/conversion_record.h"
#include "core/file_io.h"
#include "core/file_names.h"
#include "core/number_format.h"
#include "core/store.h"
#include "core/text_fields.h"
#include "formats/native/Kes.h"
#include "formats/native/KesText.h"

namespace {
void AppendPaddedName(std::string& out, const std::string& name)
{
    kes::AppendTextColumn(out, PadRightSpaces(name, 16));
}

void AppendPointLine(std::string& out, int route, int position, const RouteWpRecord& p)
{
    kes::ColumnLine line(out);
    line.Raw("W");
    line.Int(route, 3);
    line.Int(position, 3);
    line.Int(p.Number, 3);
    line.Text(PadRightSpaces(p.Name, 16));
    line.Real(p.Latitude, 11, 6);
    line.Real(p.Longitude, 11, 6);
    line.Real(p.DateTime, 13, 7);
    line.Int(p.Symbol, 2);
    line.Int(p.Column7, 2);
    line.Int(p.Column8, 2);
    line.Int(p.Column9, 10);
    line.Int(p.Column10, 10);
    line.Text(p.Description);
    line.Int(p.Column12, 2);
    line.Int(p.Column13, 2);
    line.End();
}
}  // namespace

void WriteRouteFile(const std::string& fileName)
{
    std::string out = "Kestrelmaps Route File Version 1.0\r\nWGS 84\r\nReserved 1\r\nReserved 2\r\n";
    for (int r = 0; r <= kMaxRouteIndex; ++r) {
        const RouteRecord& route = RouteList[r];
        out += "R,";
        AppendInt(out, r, 3);
        out += ',';
        AppendPaddedName(out, route.Name);
        out += ',';
        kes::AppendTextColumn(out, route.Description);
        out += ',';
        AppendInt(out, RouteColours[r], 0);
        out += kes::kCrLf;
        const int count = route.PointCount < 0 ? 0 : std::min(route.PointCount, kMaxRoutePoints);
        for (int j = 1; j <= count; ++j)
            if (route.Points[j].Number != 0) AppendPointLine(out, r, j, route.Points[j]);
    }
    WriteFileSafely(WriterFileName(fileName, ".rte"), out);
    NoteWritten({.routes = std::clamp(RouteCount, 0, kMaxRouteIndex)});
}
