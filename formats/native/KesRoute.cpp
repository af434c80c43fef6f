// The native route file: four header lines, then every route slot with its points.
#include <algorithm>

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

// Runs of number columns are built in place and appended in one piece before
// each text column.
void AppendPointLine(std::string& out, int route, int position, const RouteWpRecord& p)
{
    char run[8 * kMaxNotationLength];  // the longest run: latitude to Column10
    char* at = run;
    auto integer = [&](std::int64_t value, int width) {
        at = WriteInt(at, value, width);
        *at++ = ',';
    };
    auto real = [&](double value, int width, int decimals) {
        at = WriteReal(at, value, width, decimals);
        *at++ = ',';
    };
    auto flush = [&] {
        out.append(run, at);
        at = run;
    };
    out += "W,";
    integer(route, 3);
    integer(position, 3);
    integer(p.Number, 3);
    flush();
    AppendPaddedName(out, p.Name);
    *at++ = ',';
    real(p.Latitude, 11, 6);
    real(p.Longitude, 11, 6);
    real(p.DateTime, 13, 7);
    integer(p.Symbol, 2);
    integer(p.Column7, 2);
    integer(p.Column8, 2);
    integer(p.Column9, 10);
    integer(p.Column10, 10);
    flush();
    kes::AppendTextColumn(out, p.Description);
    *at++ = ',';
    integer(p.Column12, 2);
    at = WriteInt(at, p.Column13, 2);
    flush();
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
}
