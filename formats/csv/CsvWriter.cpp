// SPDX-License-Identifier: GPL-3.0-or-later
// Writing CSV from the document frame: numbers the shortest decimals that
// read back as the values held, in a point, never in exponent form.
#include <charconv>
#include <cmath>
#include <cstdint>

#include "core/text/text_encoding.h"
#include "core/time/utc_time.h"
#include "formats/csv/Csv.h"
#include "formats/document/DocumentText.h"
#include "formats/document/DocumentWriter.h"

namespace {
using doctext::AppendDecimal;

constexpr const char* kEol = "\r\n";
// Without it, a spreadsheet opening the file reads its text in the
// machine's 8-bit code page.
constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";

// A text a spreadsheet would take for a formula gets a leading apostrophe,
// which it shows as text (names come from the internet: geocaches, shared
// tracks); a number stays a number.
void AppendText(std::string& out, std::string_view utf8, bool raw)
{
    if (utf8.empty()) return;  // most columns of most rows
    const bool formula = !raw && !utf8.empty() &&
                         std::string_view("=+-@\t\r").find(utf8.front()) != std::string_view::npos &&
                         !doctext::ParseDecimal(utf8);
    if (!formula) {
        AppendCsvField(out, utf8);
        return;
    }
    AppendCsvField(out, "'" + std::string(utf8));
}

void AppendWhole(std::string& out, std::int64_t number)
{
    char digits[24];
    out.append(digits, static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, number).ptr - digits));
}

// A row's columns from its type to its section.
void AppendRowStart(std::string& out, const char* type, std::string_view track, std::string_view route,
                    std::int64_t section, bool raw)
{
    out += type;
    out += ',';
    AppendText(out, track, raw);
    out += ',';
    AppendText(out, route, raw);
    out += ',';
    if (section > 0) AppendWhole(out, section);
    out += ',';
}

// A row's point columns, from lat to cmt.
void AppendPointColumns(std::string& out, const Point& p, bool raw)
{
    AppendDecimal(out, p.latitude, doctext::kPositionDecimals);
    out += ',';
    AppendDecimal(out, p.longitude, doctext::kPositionDecimals);
    out += ',';
    if (p.HasElevation()) AppendDecimal(out, p.elevation, doctext::kElevationDecimals);
    out += ',';
    if (p.time) AppendIsoTime(out, *p.time);
    out += ',';
    AppendText(out, p.name, raw);
    out += ',';
    AppendText(out, p.description, raw);
    out += ',';
    AppendText(out, p.symbol, raw);
    out += ',';
    AppendText(out, p.comment, raw);
}

// The end of a row: the numbers of its track and route in the document
// (0: none), which tell apart those of equal names or none.
void AppendRowEnd(std::string& out, int trackNumber, int routeNumber)
{
    out += ',';
    if (trackNumber > 0) AppendWhole(out, trackNumber);
    out += ',';
    if (routeNumber > 0) AppendWhole(out, routeNumber);
    out += kEol;
}

class CsvDocument final : public DocumentWriter {
public:
    explicit CsvDocument(bool raw) : DocumentWriter(kEverything, "csv"), raw_(raw) {}

protected:
    void Head(std::string& out, const Metadata&) override
    {
        out += kByteOrderMark;
        // The numbers come last, so that a reader that counts columns finds the others where they were.
        out += "type,track,route,section,lat,lon,ele_m,time,name,desc,sym,cmt,track_index,route_index";
        out += kEol;
    }
    void Foot(std::string&) override {}
    void Waypoint(std::string& out, const Point& point) override
    {
        AppendRowStart(out, "waypoint", {}, {}, 0, raw_);
        AppendPointColumns(out, point, raw_);
        AppendRowEnd(out, 0, 0);
    }
    // Each route point is followed by the link points of the road from it to the next.
    void Route(std::string& out, const ::Route& route, int number, PointWalk& points) override
    {
        RoadWalk road(route);
        while (points.Next()) {
            AppendRowStart(out, "route point", {}, route.info.name, 0, raw_);
            AppendPointColumns(out, *points, raw_);
            AppendRowEnd(out, 0, number);
            road.After(points.Position(), [&](const Point& link) {
                AppendRowStart(out, "route link point", {}, route.info.name, 0, raw_);
                AppendPointColumns(out, link, raw_);
                AppendRowEnd(out, 0, number);
            });
            PassOn(out);
        }
    }
    void Track(std::string& out, const GroupInfo& track, int number, const PointList&, PointWalk& points) override
    {
        std::int64_t section = 0;
        while (points.Next()) {
            if (points.StartsSection()) ++section;
            AppendRowStart(out, "track point", track.name, {}, section, raw_);
            AppendTrackPoint(out, points);
            AppendRowEnd(out, number, 0);
            PassOn(out);
        }
    }
    void TrackPointText(std::string& out, const Point& point) const override { AppendPointColumns(out, point, raw_); }

private:
    bool raw_;
};
}  // namespace

void AppendCsvField(std::string& out, std::string_view utf8)
{
    const bool quoted = utf8.find_first_of(",\"\r\n") != std::string_view::npos;
    if (quoted) out += '"';
    WalkUtf8(utf8, [&out](char32_t c, std::string_view bytes) {
        if (c == '"') out += '"';
        out += bytes;
    });
    if (quoted) out += '"';
}

WriteResult WriteCsvFile(const Document& document, const WriteRequest& request)
{
    return CsvDocument(request.rawTexts).Write(document, DocumentFileName(request, ".csv"), request.transaction);
}
