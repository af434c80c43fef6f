// SPDX-License-Identifier: GPL-3.0-or-later
// Writing KML 2.2 from the document frame: one placemark to a line, the
// points of a track one to a line; positions as the shortest decimals that
// read back as the values held, times as exact as they were read.
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/time/utc_time.h"
#include "formats/document/DocumentText.h"
#include "formats/document/DocumentWriter.h"
#include "formats/document/RouteColours.h"
#include "formats/kml/Kml.h"

namespace {
using doctext::AppendDecimal;

constexpr const char* kEol = "\r\n";

// XML character data. A CR goes as a reference: XML readers turn a CR in
// the text into a line feed.
void AppendXml(std::string& out, std::string_view utf8)
{
    for (std::size_t cr; (cr = utf8.find('\r')) != std::string_view::npos; utf8.remove_prefix(cr + 1)) {
        doctext::AppendEscapedUtf8(out, utf8.substr(0, cr));
        out += "&#13;";
    }
    doctext::AppendEscapedUtf8(out, utf8);
}

void AppendText(std::string& out, const char* tag, std::string_view utf8)
{
    if (utf8.empty()) return;
    out += '<';
    out += tag;
    out += '>';
    AppendXml(out, utf8);
    out += "</";
    out += tag;
    out += '>';
}

// What KML has no element for, as named data.
void AppendData(std::string& out, std::string_view comment, std::string_view symbol)
{
    if (comment.empty() && symbol.empty()) return;
    out += "<ExtendedData>";
    for (const auto& [name, value] : {std::pair{"cmt", comment}, std::pair{"sym", symbol}}) {
        if (value.empty()) continue;
        out += "<Data name=\"";
        out += name;
        out += "\"><value>";
        AppendXml(out, value);
        out += "</value></Data>";
    }
    out += "</ExtendedData>";
}

// "lon,lat[,ele]" in a coordinates list; "lon lat[ ele]" in a gx:coord.
void AppendPosition(std::string& out, const Point& p, char separator)
{
    AppendDecimal(out, p.longitude, doctext::kPositionDecimals);
    out += separator;
    AppendDecimal(out, p.latitude, doctext::kPositionDecimals);
    if (!p.HasElevation()) return;
    out += separator;
    AppendDecimal(out, p.elevation, doctext::kElevationDecimals);
}

void AppendColour(std::string& out, std::uint32_t bgr)
{
    constexpr char kHex[] = "0123456789abcdef";
    out += "ff";  // opaque
    for (int shift = 20; shift >= 0; shift -= 4) out += kHex[(bgr >> shift) & 0xF];
}

void AppendLineStyle(std::string& out, std::uint32_t bgr)
{
    out += "<Style><LineStyle><color>";
    AppendColour(out, bgr);
    out += "</color><width>3</width></LineStyle></Style>";
}

// Heights are above sea level where every point has one; a line where some
// point has none follows the ground (the heights it has stay in its
// coordinates), so that no point is put at sea level.
void AppendAltitudeMode(std::string& out, bool elevations, bool line)
{
    if (elevations) out += "<altitudeMode>absolute</altitudeMode>";
    else if (line) out += "<tessellate>1</tessellate>";
}

void AppendPlacemark(std::string& out, const char* indent, const Point& p)
{
    out += indent;
    out += "<Placemark>";
    AppendText(out, "name", p.name);
    AppendText(out, "description", p.description);
    if (p.time) {
        out += "<TimeStamp><when>";
        AppendIsoTime(out, *p.time);
        out += "</when></TimeStamp>";
    }
    AppendData(out, p.comment, p.symbol);
    out += "<Point>";
    AppendAltitudeMode(out, p.HasElevation(), false);
    out += "<coordinates>";
    AppendPosition(out, p, ',');
    out += "</coordinates></Point></Placemark>";
    out += kEol;
}

void OpenGroupPlacemark(std::string& out, const GroupInfo& g, std::uint32_t colour)
{
    out += "    <Placemark>";
    AppendText(out, "name", g.name);
    AppendText(out, "description", g.description);
    AppendLineStyle(out, colour);
    AppendData(out, g.comment, {});
}

// What a section of a track holds, for its opening: a gx:Track when every
// point has a time, heights above sea level when every point has one.
struct SectionShape {
    std::int64_t points = 0;
    bool timed = true, elevations = true;
    void Add(const Point& p)
    {
        ++points;
        timed = timed && p.time;
        elevations = elevations && p.HasElevation();
    }
};
constexpr std::size_t kSectionsKept = 4096;

// The shape of the section the walk is about to enter, walking it.
SectionShape NextShape(PointWalk& walk)
{
    SectionShape shape;
    if (!walk.Next()) return shape;
    shape.Add(*walk);
    while (walk.SectionGoesOn() && walk.Next()) shape.Add(*walk);
    return shape;
}

class KmlDocument final : public DocumentWriter {
public:
    KmlDocument() : DocumentWriter(kEverything, "kml") {}

protected:
    void Head(std::string& out, const Metadata& metadata) override;
    void Foot(std::string& out) override;
    void OpenPart(std::string& out, DocumentPart part) override;
    void ClosePart(std::string& out, DocumentPart part) override;
    void Waypoint(std::string& out, const Point& point) override { AppendPlacemark(out, "    ", point); }
    void Route(std::string& out, const ::Route& route, int number, PointWalk& points) override;
    void Track(std::string& out, const GroupInfo& track, int number, const PointList& list, PointWalk& points) override;

private:
    // `count` points of a walk, each on a line of its own between open and close.
    template <typename Append>
    void Lines(std::string& out, const std::string& indent, PointWalk& walk, std::int64_t count, const char* open,
               const char* close, Append append);
};
}  // namespace

std::uint32_t KmlTrackColour(int number)
{
    constexpr double kGoldenAngle = 137.50776405003785;
    const double sector = std::fmod((number - 1) * kGoldenAngle, 360.0) / 60.0;
    // Full saturation and brightness: one channel full, one off, the third between.
    const double between = 1 - std::fabs(std::fmod(sector, 2.0) - 1);
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(sector)) {
    case 0: r = 1, g = between; break;
    case 1: r = between, g = 1; break;
    case 2: g = 1, b = between; break;
    case 3: g = between, b = 1; break;
    case 4: r = between, b = 1; break;
    default: r = 1, b = between; break;
    }
    const auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(v * 255)); };
    return byte(b) << 16 | byte(g) << 8 | byte(r);
}

void KmlDocument::Head(std::string& out, const Metadata& metadata)
{
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    out += kEol;
    out += "<kml xmlns=\"http://www.opengis.net/kml/2.2\" xmlns:gx=\"http://www.google.com/kml/ext/2.2\">";
    out += kEol;
    out += "<Document>";
    AppendText(out, "name", metadata.name);
    AppendText(out, "description", metadata.description);
    out += kEol;
}

void KmlDocument::Foot(std::string& out)
{
    out += "</Document>";
    out += kEol;
    out += "</kml>";
    out += kEol;
}

void KmlDocument::OpenPart(std::string& out, DocumentPart part)
{
    out += "  <Folder><name>";
    out += part == DocumentPart::Waypoints ? "Waypoints" : part == DocumentPart::Routes ? "Routes" : "Tracks";
    out += "</name>";
    out += kEol;
}

void KmlDocument::ClosePart(std::string& out, DocumentPart)
{
    out += "  </Folder>";
    out += kEol;
}

// The line is drawn along the road the route follows, where the input gives one.
void KmlDocument::Route(std::string& out, const ::Route& r, int number, PointWalk& points)
{
    const GroupInfo& route = r.info;
    const PointList drawn = r.links.empty() ? PointList() : RouteLine(r);
    const PointList& list = r.links.empty() ? r.points : drawn;
    bool elevations = true;
    for (PointWalk every(list, false); elevations && every.Next();) elevations = every->HasElevation();
    OpenGroupPlacemark(out, route, route.colour.value_or(RouteColour(static_cast<unsigned>(number))));
    if (PointWalk line(list, false); line.Next()) {
        out += "<LineString>";
        AppendAltitudeMode(out, elevations, true);
        out += "<coordinates>";
        AppendPosition(out, *line, ',');
        while (line.Next()) {
            out += ' ';
            AppendPosition(out, *line, ',');
            PassOn(out);
        }
        out += "</coordinates></LineString>";
    }
    out += "</Placemark>";
    out += kEol;
    if (!points.Next()) return;
    out += "    <Folder>";
    AppendText(out, "name", route.name);
    out += kEol;
    do {
        AppendPlacemark(out, "      ", *points);
        PassOn(out);
    } while (points.Next());
    out += "    </Folder>";
    out += kEol;
}

template <typename Append>
void KmlDocument::Lines(std::string& out, const std::string& indent, PointWalk& walk, std::int64_t count,
                        const char* open, const char* close, Append append)
{
    for (std::int64_t i = 0; i < count && walk.Next(); ++i) {
        out += indent;
        out += "  ";
        out += open;
        append(*walk);
        out += close;
        out += kEol;
        PassOn(out);
    }
}

void KmlDocument::Track(std::string& out, const GroupInfo& track, int number, const PointList& list, PointWalk& points)
{
    // What each section holds, which its opening says, from one walk over
    // the track: kept for the first sections only, so that a track of
    // countless sections is looked at again, a section at a time.
    std::vector<SectionShape> shapes;
    bool allKept = true, allTimed = true;
    int sections = 0;
    for (PointWalk all(list, true); all.Next();) {
        if (all.StartsSection()) {
            ++sections;
            allKept = allKept && shapes.size() < kSectionsKept;
            if (allKept) shapes.emplace_back();
        }
        allTimed = allTimed && all->time;
        if (allKept) shapes.back().Add(*all);
    }
    OpenGroupPlacemark(out, track, track.colour.value_or(KmlTrackColour(number)));
    out += kEol;
    const bool several = sections > 1;
    const char* collection = allTimed ? "gx:MultiTrack" : "MultiGeometry";
    if (several) {
        out += "      <";
        out += collection;
        out += '>';
        out += kEol;
    }
    const std::string indent(several ? 8 : 6, ' ');
    // Walks in step, a section at a time: a gx:Track holds its whens, then its coords.
    std::optional<PointWalk> ahead;
    if (!allKept) ahead.emplace(list, true);
    PointWalk whens(list, true);
    for (int s = 0; s < sections; ++s) {
        const SectionShape shape = allKept ? shapes[static_cast<std::size_t>(s)] : NextShape(*ahead);
        const bool timed = shape.timed;
        out += indent;
        out += timed ? "<gx:Track>" : "<LineString>";
        AppendAltitudeMode(out, shape.elevations, !timed);
        out += timed ? "" : "<coordinates>";
        out += kEol;
        if (timed)
            Lines(out, indent, whens, shape.points, "<when>", "</when>",
                  [&](const Point& p) { AppendIsoTime(out, *p.time); });
        else
            for (std::int64_t i = 0; i < shape.points; ++i) whens.Next();
        Lines(out, indent, points, shape.points, timed ? "<gx:coord>" : "", timed ? "</gx:coord>" : "",
              [&](const Point& p) { AppendPosition(out, p, timed ? ' ' : ','); });
        out += indent;
        out += timed ? "</gx:Track>" : "</coordinates></LineString>";
        out += kEol;
    }
    if (several) {
        out += "      </";
        out += collection;
        out += '>';
        out += kEol;
    }
    out += "    </Placemark>";
    out += kEol;
}

WriteResult WriteKmlFile(const Document& document, const WriteRequest& request)
{
    return KmlDocument().Write(document, DocumentFileName(request, ".kml"), request.transaction);
}
