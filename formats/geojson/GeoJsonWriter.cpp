// SPDX-License-Identifier: GPL-3.0-or-later
// Writing GeoJSON from the document frame: one feature to a line; positions
// to 7 decimals (a centimetre), elevations in metres, times in ISO 8601 UTC.
#include <cmath>

#include "core/text/text_encoding.h"
#include "core/time/utc_time.h"
#include "formats/document/DocumentText.h"
#include "formats/document/DocumentWriter.h"
#include "formats/geojson/GeoJson.h"

namespace {
using doctext::AppendDecimal;

constexpr const char* kEol = "\r\n";
constexpr int kDegreeDecimals = 7;
constexpr char kHex[] = "0123456789abcdef";

// How the positions of a route or track nest: a line per section of two
// points or more, a point for a section of one.
enum class Shape { None, Point, Line, MultiLine, Collection };

struct Outline {
    Shape shape = Shape::None;
    bool times = false, names = false;  // some point has one
    // Every point has an elevation: a line has one dimension throughout,
    // so that a reader never takes a missing height for sea level.
    bool heights = true;
};

Outline OutlineOf(const PointList& list, bool sections)
{
    Outline outline;
    int count = 0;
    bool lines = true;
    for (PointWalk walk(list, sections); walk.Next();) {
        if (walk.StartsSection()) {
            ++count;
            lines = lines && walk.SectionGoesOn();
        }
        outline.times = outline.times || walk->time;
        outline.names = outline.names || !walk->name.empty();
        outline.heights = outline.heights && walk->HasElevation();
    }
    if (count > 0)
        outline.shape =
            count == 1 ? (lines ? Shape::Line : Shape::Point) : (lines ? Shape::MultiLine : Shape::Collection);
    return outline;
}

void AppendKey(std::string& out, const char* key)
{
    out += ",\"";
    out += key;
    out += "\":";
}

void AppendProperty(std::string& out, const char* key, std::string_view utf8)
{
    if (utf8.empty()) return;
    AppendKey(out, key);
    AppendJsonString(out, utf8);
}

void AppendTime(std::string& out, const std::optional<UtcTime>& time)
{
    if (!time) {
        out += "null";
        return;
    }
    out += '"';
    AppendIsoTime(out, *time);
    out += '"';
}

void AppendPosition(std::string& out, const Point& p, bool height = true)
{
    out += '[';
    AppendDecimal(out, p.longitude, kDegreeDecimals);
    out += ',';
    AppendDecimal(out, p.latitude, kDegreeDecimals);
    if (height && p.HasElevation()) {
        out += ',';
        AppendDecimal(out, p.elevation, doctext::kElevationDecimals);
    }
    out += ']';
}

void OpenFeature(std::string& out, const char* type)
{
    out += "{\"type\":\"Feature\",\"properties\":{\"type\":\"";
    out += type;
    out += '"';
}

void AppendGroupProperties(std::string& out, const GroupInfo& g)
{
    AppendProperty(out, "name", g.name);
    AppendProperty(out, "desc", g.description);
    AppendProperty(out, "cmt", g.comment);
}

class GeoJsonDocument final : public DocumentWriter {
public:
    GeoJsonDocument() : DocumentWriter(kEverything, "geojson") {}

protected:
    void Head(std::string& out, const Metadata&) override { out += "{\"type\":\"FeatureCollection\",\"features\":["; }
    void Foot(std::string& out) override;
    void Waypoint(std::string& out, const Point& point) override;
    void Route(std::string& out, const ::Route& route, int number, PointWalk& points) override;
    void Track(std::string& out, const GroupInfo& track, int number, const PointList& list, PointWalk& points) override;

private:
    // Before each feature: a comma after the one before it.
    void Separate(std::string& out);
    // The properties and geometry of a route or a track, and the end of its feature.
    void AppendLines(std::string& out, const PointList& list, bool sections, PointWalk& points);
    // The item of each point of a walk, in arrays nested as the shape nests
    // positions; in a collection (`members`), each section as a geometry of its own.
    template <typename Item>
    void AppendNested(std::string& out, Shape shape, bool members, PointWalk& walk, Item item);
    bool featureWritten_ = false;
};
}  // namespace

void AppendJsonString(std::string& out, std::string_view utf8)
{
    out += '"';
    WalkUtf8(utf8, [&out](char32_t c, std::string_view bytes) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out += kHex[c >> 4];
                out += kHex[c & 0xF];
            } else {
                out += bytes;
            }
        }
    });
    out += '"';
}

void GeoJsonDocument::Foot(std::string& out)
{
    out += kEol;
    out += "]}";
    out += kEol;
}

void GeoJsonDocument::Separate(std::string& out)
{
    if (featureWritten_) out += ',';
    featureWritten_ = true;
    out += kEol;
}

void GeoJsonDocument::Waypoint(std::string& out, const Point& point)
{
    Separate(out);
    OpenFeature(out, "waypoint");
    AppendProperty(out, "name", point.name);
    AppendProperty(out, "desc", point.description);
    AppendProperty(out, "cmt", point.comment);
    AppendProperty(out, "sym", point.symbol);
    if (point.time) {
        AppendKey(out, "time");
        AppendTime(out, point.time);
    }
    out += "},\"geometry\":{\"type\":\"Point\",\"coordinates\":";
    AppendPosition(out, point);
    out += "}}";
}

// The line of a route that follows a road is drawn along it: its link
// points have neither names nor times.
void GeoJsonDocument::Route(std::string& out, const ::Route& route, int, PointWalk& points)
{
    Separate(out);
    OpenFeature(out, "route");
    AppendGroupProperties(out, route.info);
    if (route.links.empty()) {
        AppendLines(out, route.points, false, points);
        return;
    }
    const PointList line = RouteLine(route);
    PointWalk drawn(line, false);
    AppendLines(out, line, false, drawn);
}

void GeoJsonDocument::Track(std::string& out, const GroupInfo& track, int, const PointList& list, PointWalk& points)
{
    Separate(out);
    OpenFeature(out, "track");
    AppendGroupProperties(out, track);
    AppendLines(out, list, true, points);
}

template <typename Item>
void GeoJsonDocument::AppendNested(std::string& out, Shape shape, bool members, PointWalk& walk, Item item)
{
    const bool outer = shape == Shape::MultiLine || shape == Shape::Collection;
    if (outer) out += '[';
    bool first = true, line = false;
    const auto close = [&] {
        if (line) out += ']';
        if (members) out += '}';
    };
    while (walk.Next()) {
        if (walk.StartsSection()) {
            if (!first) {
                close();
                out += ',';
            }
            first = false;
            line = walk.SectionGoesOn();
            if (members)
                out += line ? "{\"type\":\"LineString\",\"coordinates\":" : "{\"type\":\"Point\",\"coordinates\":";
            if (line) out += '[';
        } else {
            out += ',';
        }
        item(*walk);
        PassOn(out);
    }
    if (!first) close();
    if (outer) out += ']';
}

void GeoJsonDocument::AppendLines(std::string& out, const PointList& list, bool sections, PointWalk& points)
{
    const Outline outline = OutlineOf(list, sections);
    if (outline.times || outline.names) {
        AppendKey(out, "coordinateProperties");
        out += '{';
        if (outline.times) {
            out += "\"times\":";
            PointWalk times(list, sections);
            AppendNested(out, outline.shape, false, times, [&](const Point& p) { AppendTime(out, p.time); });
        }
        if (outline.names) {
            out += outline.times ? ",\"names\":" : "\"names\":";
            PointWalk names(list, sections);
            AppendNested(out, outline.shape, false, names, [&](const Point& p) {
                if (p.name.empty()) out += "null";
                else AppendJsonString(out, p.name);
            });
        }
        out += '}';
    }
    out += "},\"geometry\":";
    if (outline.shape == Shape::None) {
        out += "null}";
        return;
    }
    constexpr const char* kTypes[] = {"", "Point", "LineString", "MultiLineString", "GeometryCollection"};
    out += "{\"type\":\"";
    out += kTypes[static_cast<int>(outline.shape)];
    out += outline.shape == Shape::Collection ? "\",\"geometries\":" : "\",\"coordinates\":";
    AppendNested(out, outline.shape, outline.shape == Shape::Collection, points,
                 [&](const Point& p) { AppendPosition(out, p, outline.heights); });
    out += "}}";
}

WriteResult WriteGeoJsonFile(const Document& document, const WriteRequest& request)
{
    return GeoJsonDocument().Write(document, DocumentFileName(request, ".geojson"), request.transaction);
}
