// SPDX-License-Identifier: GPL-3.0-or-later
// Writing GeoJSON from the document frame: one feature to a line; positions
// to 7 decimals (a centimetre), elevations in metres, times in ISO 8601 UTC.
#include <algorithm>
#include <cmath>
#include <functional>

#include "core/text_encoding.h"
#include "core/utc_time.h"
#include "formats/geojson/GeoJson.h"
#include "formats/gpx/GpxText.h"

namespace {
using gpx::AppendDecimal;

constexpr const char* kEol = "\r\n";
constexpr int kDegreeDecimals = 7;

using Visit = std::function<void(const PointView&, bool newSection)>;
using Walk = std::function<void(const Visit&)>;
using Item = std::function<void(std::string&, const PointView&)>;

// How the positions of a route or track nest: a line per section of two
// points or more, a point for a section of one.
enum class Shape { None, Point, Line, MultiLine, Collection };

Shape ShapeOf(const std::vector<SectionShape>& sections)
{
    if (sections.empty()) return Shape::None;
    const bool lines =
        std::all_of(sections.begin(), sections.end(), [](const SectionShape& s) { return s.points > 1; });
    if (sections.size() == 1) return lines ? Shape::Line : Shape::Point;
    return lines ? Shape::MultiLine : Shape::Collection;
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

void AppendPosition(std::string& out, const PointView& p)
{
    out += '[';
    AppendDecimal(out, p.longitude, kDegreeDecimals);
    out += ',';
    AppendDecimal(out, p.latitude, kDegreeDecimals);
    if (!std::isnan(p.values.metres)) {
        out += ',';
        AppendDecimal(out, p.values.metres, gpx::kElevationDecimals);
    }
    out += ']';
}

// The item of each point, in arrays nested as the shape nests positions; in
// a collection with `members`, each section as a geometry of its own.
void AppendNested(std::string& out, Shape shape, const std::vector<SectionShape>& sections, bool members,
                  const Walk& walk, const Item& item)
{
    const bool outer = shape == Shape::MultiLine || shape == Shape::Collection;
    if (outer) out += '[';
    std::size_t section = 0;
    bool line = false;
    const auto close = [&] {
        if (line) out += ']';
        if (members) out += '}';
    };
    walk([&](const PointView& p, bool newSection) {
        if (newSection) {
            if (section > 0) {
                close();
                out += ',';
            }
            line = sections[section++].points > 1;
            if (members)
                out += line ? "{\"type\":\"LineString\",\"coordinates\":" : "{\"type\":\"Point\",\"coordinates\":";
            if (line) out += '[';
        } else {
            out += ',';
        }
        item(out, p);
    });
    if (section > 0) close();
    if (outer) out += ']';
}

// The properties and geometry of a route or a track, and the end of its feature.
void AppendLines(std::string& out, const std::vector<SectionShape>& sections, const Walk& walk, const Item& passOn)
{
    const Shape shape = ShapeOf(sections);
    const auto count = [&](int SectionShape::*field) {
        int n = 0;
        for (const SectionShape& s : sections) n += s.*field;
        return n;
    };
    const bool times = count(&SectionShape::timed) > 0, names = count(&SectionShape::named) > 0;
    if (times || names) {
        AppendKey(out, "coordinateProperties");
        out += '{';
        if (times) {
            out += "\"times\":";
            AppendNested(out, shape, sections, false, walk, [&](std::string& o, const PointView& p) {
                AppendTime(o, p.values.time);
                passOn(o, p);
            });
        }
        if (names) {
            out += times ? ",\"names\":" : "\"names\":";
            AppendNested(out, shape, sections, false, walk, [&](std::string& o, const PointView& p) {
                if (p.texts.name.empty()) o += "null";
                else AppendJsonString(o, p.texts.name);
                passOn(o, p);
            });
        }
        out += '}';
    }
    out += "},\"geometry\":";
    constexpr const char* kTypes[] = {"", "Point", "LineString", "MultiLineString", "GeometryCollection"};
    if (shape == Shape::None) {
        out += "null}";
        return;
    }
    out += "{\"type\":\"";
    out += kTypes[static_cast<int>(shape)];
    out += shape == Shape::Collection ? "\",\"geometries\":" : "\",\"coordinates\":";
    AppendNested(out, shape, sections, shape == Shape::Collection, walk, [&](std::string& o, const PointView& p) {
        AppendPosition(o, p);
        passOn(o, p);
    });
    out += "}}";
}

void OpenFeature(std::string& out, const char* type)
{
    out += "{\"type\":\"Feature\",\"properties\":{\"type\":\"";
    out += type;
    out += '"';
}

void AppendGroupProperties(std::string& out, const GroupView& g)
{
    AppendProperty(out, "name", g.name);
    AppendProperty(out, "desc", g.description);
    AppendProperty(out, "cmt", g.comment);
}
}  // namespace

void AppendJsonString(std::string& out, std::string_view utf8)
{
    constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (std::size_t at = 0; at < utf8.size();) {
        char32_t c = 0;
        const std::size_t length = DecodeUtf8At(utf8, at, c);
        if (length == 0) {
            AppendUtf8(out, 0xFFFD);
            ++at;
            continue;
        }
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
                out.append(utf8.substr(at, length));
            }
        }
        at += length;
    }
    out += '"';
}

GeoJsonDocument::GeoJsonDocument(const std::string& fileName, StoreTimes times)
    : DocumentWriter(fileName, times, kEverything, "geojson")
{}

void GeoJsonDocument::Head(std::string& out) { out += "{\"type\":\"FeatureCollection\",\"features\":["; }

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

// The tracks were made before the features that now come first: the comma
// between the two goes here.
void GeoJsonDocument::OpenPart(std::string& out, DocumentPart part)
{
    if (part == DocumentPart::Tracks && featureWritten_) out += ',';
}

void GeoJsonDocument::Waypoint(std::string& out, const PointView& point)
{
    Separate(out);
    OpenFeature(out, "waypoint");
    AppendProperty(out, "name", point.texts.name);
    AppendProperty(out, "desc", point.texts.description);
    AppendProperty(out, "cmt", point.texts.comment);
    AppendProperty(out, "sym", point.texts.symbol);
    if (point.values.time) {
        AppendKey(out, "time");
        AppendTime(out, point.values.time);
    }
    out += "},\"geometry\":{\"type\":\"Point\",\"coordinates\":";
    AppendPosition(out, point);
    out += "}}";
}

void GeoJsonDocument::Route(std::string& out, const GroupView& route, const std::vector<PointView>& points)
{
    Separate(out);
    OpenFeature(out, "route");
    AppendGroupProperties(out, route);
    std::vector<SectionShape> sections;
    if (!points.empty()) {
        SectionShape& s = sections.emplace_back();
        for (const PointView& p : points) {
            ++s.points;
            s.timed += p.values.time ? 1 : 0;
            s.named += p.texts.name.empty() ? 0 : 1;
        }
    }
    const Walk walk = [&](const Visit& visit) {
        for (const PointView& p : points) visit(p, &p == &points.front());
    };
    AppendLines(out, sections, walk, [](std::string&, const PointView&) {});
}

void GeoJsonDocument::Track(std::string& out, const GroupView& track, int number)
{
    if (number > 1) out += ',';
    out += kEol;
    OpenFeature(out, "track");
    AppendGroupProperties(out, track);
    const Walk walk = [this](const Visit& visit) { ForEachTrackPoint(visit); };
    AppendLines(out, TrackSections(), walk, [this](std::string& o, const PointView&) { PassOn(o); });
}
