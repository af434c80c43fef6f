// SPDX-License-Identifier: GPL-3.0-or-later
// Writing KML 2.2 from the document frame: one placemark to a line, the
// points of a track one to a line; positions as the shortest decimals that
// read back as the values held, times as exact as they were read.
#include <algorithm>
#include <cmath>
#include <functional>

#include "core/utc_time.h"
#include "formats/gpx/GpxText.h"
#include "formats/kml/Kml.h"

namespace {
using gpx::AppendDecimal;

constexpr const char* kEol = "\r\n";

// XML character data. A CR goes as a reference: XML readers turn a CR in
// the text into a line feed.
void AppendXml(std::string& out, std::string_view utf8)
{
    for (std::size_t cr; (cr = utf8.find('\r')) != std::string_view::npos; utf8.remove_prefix(cr + 1)) {
        gpx::AppendEscapedUtf8(out, utf8.substr(0, cr));
        out += "&#13;";
    }
    gpx::AppendEscapedUtf8(out, utf8);
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

bool HasElevation(const PointView& p) { return !std::isnan(p.values.metres); }

// "lon,lat[,ele]" in a coordinates list; "lon lat[ ele]" in a gx:coord.
void AppendPosition(std::string& out, const PointView& p, char separator)
{
    AppendDecimal(out, p.longitude, gpx::kPositionDecimals);
    out += separator;
    AppendDecimal(out, p.latitude, gpx::kPositionDecimals);
    if (!HasElevation(p)) return;
    out += separator;
    AppendDecimal(out, p.values.metres, gpx::kElevationDecimals);
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

// Heights are above sea level where a point has one; lines without follow the ground.
void AppendAltitudeMode(std::string& out, bool elevations, bool line)
{
    if (elevations) out += "<altitudeMode>absolute</altitudeMode>";
    else if (line) out += "<tessellate>1</tessellate>";
}

void AppendPlacemark(std::string& out, const char* indent, const PointView& p)
{
    out += indent;
    out += "<Placemark>";
    AppendText(out, "name", p.texts.name);
    AppendText(out, "description", p.texts.description);
    if (p.values.time) {
        out += "<TimeStamp><when>";
        AppendIsoTime(out, *p.values.time);
        out += "</when></TimeStamp>";
    }
    AppendData(out, p.texts.comment, p.texts.symbol);
    out += "<Point>";
    AppendAltitudeMode(out, HasElevation(p), false);
    out += "<coordinates>";
    AppendPosition(out, p, ',');
    out += "</coordinates></Point></Placemark>";
    out += kEol;
}

void OpenGroupPlacemark(std::string& out, const GroupView& g, std::uint32_t colour)
{
    out += "    <Placemark>";
    AppendText(out, "name", g.name);
    AppendText(out, "description", g.description);
    AppendLineStyle(out, colour);
    AppendData(out, g.comment, {});
}

bool Timed(const SectionShape& s) { return s.timed == s.points; }

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

KmlDocument::KmlDocument(const std::string& fileName, StoreTimes times)
    : DocumentWriter(fileName, times, kEverything, "kml")
{}

void KmlDocument::Head(std::string& out)
{
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    out += kEol;
    out += "<kml xmlns=\"http://www.opengis.net/kml/2.2\" xmlns:gx=\"http://www.google.com/kml/ext/2.2\">";
    out += kEol;
    out += "<Document>";
    AppendText(out, "name", DocumentInfo.name);
    AppendText(out, "description", DocumentInfo.description);
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

void KmlDocument::Waypoint(std::string& out, const PointView& point) { AppendPlacemark(out, "    ", point); }

void KmlDocument::Route(std::string& out, const GroupView& route, const std::vector<PointView>& points)
{
    OpenGroupPlacemark(out, route, route.colour.value_or(KmlTrackColour(1)));
    if (!points.empty()) {
        const bool elevations = std::any_of(points.begin(), points.end(), HasElevation);
        out += "<LineString>";
        AppendAltitudeMode(out, elevations, true);
        out += "<coordinates>";
        for (const PointView& p : points) {
            if (&p != &points.front()) out += ' ';
            AppendPosition(out, p, ',');
        }
        out += "</coordinates></LineString>";
    }
    out += "</Placemark>";
    out += kEol;
    if (points.empty()) return;
    out += "    <Folder>";
    AppendText(out, "name", route.name);
    out += kEol;
    for (const PointView& p : points) AppendPlacemark(out, "      ", p);
    out += "    </Folder>";
    out += kEol;
}

void KmlDocument::Track(std::string& out, const GroupView& track, int number)
{
    const std::vector<SectionShape> sections = TrackSections();
    OpenGroupPlacemark(out, track, KmlTrackColour(number));
    out += kEol;
    const bool several = sections.size() > 1;
    const char* collection = std::all_of(sections.begin(), sections.end(), Timed) ? "gx:MultiTrack" : "MultiGeometry";
    if (several) {
        out += "      <";
        out += collection;
        out += '>';
        out += kEol;
    }
    const std::string indent(several ? 8 : 6, ' ');
    // Each point of a section on a line of its own, between open and close.
    const auto lines = [&](const SectionShape& section, const char* open, const char* close,
                           const std::function<void(const PointView&)>& append) {
        ForEachSectionPoint(section, [&](const PointView& p) {
            out += indent;
            out += "  ";
            out += open;
            append(p);
            out += close;
            out += kEol;
            PassOn(out);
        });
    };
    for (const SectionShape& section : sections) {
        const bool timed = Timed(section);
        out += indent;
        out += timed ? "<gx:Track>" : "<LineString>";
        AppendAltitudeMode(out, section.withElevation > 0, !timed);
        out += timed ? "" : "<coordinates>";
        out += kEol;
        // A gx:Track holds its whens, then its coords: two passes over the section.
        if (timed) lines(section, "<when>", "</when>", [&](const PointView& p) { AppendIsoTime(out, *p.values.time); });
        lines(section, timed ? "<gx:coord>" : "", timed ? "</gx:coord>" : "",
              [&](const PointView& p) { AppendPosition(out, p, timed ? ' ' : ','); });
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
