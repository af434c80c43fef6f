// SPDX-License-Identifier: GPL-3.0-or-later
// Writing CSV from the document frame: numbers the shortest decimals that
// read back as the values held, in a point, never in exponent form.
#include <cmath>

#include "core/text_encoding.h"
#include "core/utc_time.h"
#include "formats/csv/Csv.h"
#include "formats/gpx/GpxText.h"

namespace {
using gpx::AppendDecimal;

constexpr const char* kEol = "\r\n";
// Without it, a spreadsheet opening the file reads its text in the
// machine's 8-bit code page.
constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";

// A row from its type to its section, then the point's columns.
void AppendRow(std::string& out, const char* type, std::string_view track, std::string_view route, int section,
               const PointView& p)
{
    out += type;
    out += ',';
    AppendCsvField(out, track);
    out += ',';
    AppendCsvField(out, route);
    out += ',';
    if (section > 0) out += std::to_string(section);
    out += ',';
    AppendDecimal(out, p.latitude, gpx::kPositionDecimals);
    out += ',';
    AppendDecimal(out, p.longitude, gpx::kPositionDecimals);
    out += ',';
    if (!std::isnan(p.values.metres)) AppendDecimal(out, p.values.metres, gpx::kElevationDecimals);
    out += ',';
    if (p.values.time) AppendIsoTime(out, *p.values.time);
    out += ',';
    AppendCsvField(out, p.texts.name);
    out += ',';
    AppendCsvField(out, p.texts.description);
    out += ',';
    AppendCsvField(out, p.texts.symbol);
    out += kEol;
}
}  // namespace

void AppendCsvField(std::string& out, std::string_view utf8)
{
    const bool quoted = utf8.find_first_of(",\"\r\n") != std::string_view::npos;
    if (quoted) out += '"';
    for (std::size_t at = 0; at < utf8.size();) {
        char32_t c = 0;
        const std::size_t length = DecodeUtf8At(utf8, at, c);
        if (length == 0) {
            AppendUtf8(out, 0xFFFD);
            ++at;
            continue;
        }
        if (c == '"') out += '"';
        out.append(utf8.substr(at, length));
        at += length;
    }
    if (quoted) out += '"';
}

CsvDocument::CsvDocument(const std::string& fileName, StoreTimes times)
    : DocumentWriter(fileName, times, kEverything, "csv")
{}

void CsvDocument::Head(std::string& out)
{
    out += kByteOrderMark;
    out += "type,track,route,section,lat,lon,ele_m,time,name,desc,sym";
    out += kEol;
}

void CsvDocument::Waypoint(std::string& out, const PointView& point) { AppendRow(out, "waypoint", {}, {}, 0, point); }

void CsvDocument::Route(std::string& out, const GroupView& route, const std::vector<PointView>& points)
{
    for (const PointView& p : points) AppendRow(out, "route point", {}, route.name, 0, p);
}

void CsvDocument::Track(std::string& out, const GroupView& track, int)
{
    int section = 0;
    ForEachTrackPoint([&](const PointView& p, bool newSection) {
        if (newSection) ++section;
        AppendRow(out, "track point", track.name, {}, section, p);
        PassOn(out);
    });
}
