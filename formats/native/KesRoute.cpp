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
    out += "W,";
    AppendInt(out, route, 3);
    out += ',';
    AppendInt(out, position, 3);
    out += ',';
    AppendInt(out, p.Number, 3);
    out += ',';
    AppendPaddedName(out, p.Name);
    out += ',';
    AppendReal(out, p.Latitude, 11, 6);
    out += ',';
    AppendReal(out, p.Longitude, 11, 6);
    out += ',';
    AppendReal(out, p.DateTime, 13, 7);
    out += ',';
    for (auto [value, width] : {std::pair<std::int64_t, int>{p.Symbol, 2}, {p.Column7, 2}, {p.Column8, 2},
                                {p.Column9, 10}, {p.Column10, 10}}) {
        AppendInt(out, value, width);
        out += ',';
    }
    kes::AppendTextColumn(out, p.Description);
    out += ',';
    AppendInt(out, p.Column12, 2);
    out += ',';
    AppendInt(out, p.Column13, 2);
    out += kes::kCrLf;
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
    WriteFileSafely(ChangeFileExt(fileName, ".rte"), out);
    NoteWritten({.routes = std::clamp(RouteCount, 0, kMaxRouteIndex)});
}
