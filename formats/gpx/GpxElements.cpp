// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/gpx/GpxElements.h"

#include <cmath>
#include <iterator>

#include "core/time/utc_time.h"
#include "formats/document/DocumentText.h"
#include "formats/document/Symbols.h"

namespace gpx {
using namespace doctext;
namespace {
struct Named {
    std::string_view local;
    Field field;
};

// The text elements of a point, of a route or track, and of the metadata.
constexpr Named kPointFields[] = {
    {"ele", Field::Ele},
    {"time", Field::Time},
    {"name", Field::Name},
    {"cmt", Field::Cmt},
    {"desc", Field::Desc},
    {"src", Field::Src},
    {"sym", Field::Sym},
    {"type", Field::Type},
    {"fix", Field::Fix},
    {"sat", Field::Sat},
    {"hdop", Field::Hdop},
    {"vdop", Field::Vdop},
    {"pdop", Field::Pdop},
    {"url", Field::Url},
    {"urlname", Field::UrlName},
    {"magvar", Field::MagVar},
    {"geoidheight", Field::GeoidHeight},
    {"ageofdgpsdata", Field::AgeOfDgps},
    {"dgpsid", Field::DgpsId},
    {"speed", Field::Speed},
    {"course", Field::Course},  // the last two GPX 1.0's
};
constexpr Named kGroupFields[] = {
    {"name", Field::Name},     {"cmt", Field::Cmt},   {"desc", Field::Desc}, {"src", Field::Src},
    {"number", Field::Number}, {"type", Field::Type}, {"url", Field::Url},   {"urlname", Field::UrlName},
};
constexpr Named kMetadataFields[] = {
    {"name", Field::Name},
    {"desc", Field::Desc},
    {"time", Field::Time},
    {"keywords", Field::Keywords},
};
// GPX 1.0 keeps them on the root.
constexpr Named kRootFields[] = {
    {"name", Field::Name}, {"desc", Field::Desc},       {"author", Field::Author},     {"time", Field::Time},
    {"url", Field::Url},   {"urlname", Field::UrlName}, {"keywords", Field::Keywords}, {"email", Field::Email},
};
constexpr Named kExtensionFields[] = {
    {"atemp", Field::Celsius}, {"wtemp", Field::WaterCelsius}, {"depth", Field::Depth},   {"hr", Field::HeartRate},
    {"cad", Field::Cadence},   {"speed", Field::Speed},        {"course", Field::Course},
};

template <std::size_t N>
std::optional<Node> TextOf(const Named (&fields)[N], std::string_view local, Field& field)
{
    for (const Named& named : fields)
        if (named.local == local) {
            field = named.field;
            return Node::Text;
        }
    return std::nullopt;
}

bool IsPointExtensionNamespace(std::string_view uri) { return uri.find("/TrackPointExtension/v") != std::string::npos; }

std::optional<std::int64_t> WholeNumber(std::string_view text, std::int64_t most)
{
    const auto value = ParseDecimal(text);
    if (!value || *value < 0 || *value > static_cast<double>(most) || *value != std::floor(*value)) return std::nullopt;
    return static_cast<std::int64_t>(*value);
}

double Real(std::string_view text) { return ParseDecimal(text).value_or(kNoValue); }

std::int16_t Count(std::string_view text)
{
    const auto value = WholeNumber(text, 32767);
    return value ? static_cast<std::int16_t>(*value) : -1;
}

std::uint8_t FixOf(std::string_view text)
{
    for (std::size_t i = 1; i < std::size(kFixNames); ++i)
        if (text == kFixNames[i]) return static_cast<std::uint8_t>(i);
    return 0;
}

// GPX 1.0 gives an element one link as its url and urlname.
Link& OldLink(std::vector<Link>& links)
{
    if (links.empty()) links.emplace_back();
    return links.front();
}

// The text and type of a GPX 1.1 link belong to the last link opened.
void TakeLinkText(Field field, std::string_view text, std::vector<Link>& links)
{
    if (field == Field::Url) OldLink(links).href = text;
    else if (field == Field::UrlName) OldLink(links).text = text;
    else if (!links.empty() && field == Field::LinkText) links.back().text = text;
    else if (!links.empty() && field == Field::LinkType) links.back().type = text;
}

void TakePointText(Field field, std::string_view text, Point& p)
{
    switch (field) {
    case Field::Name: p.name = text; break;
    case Field::Cmt: p.comment = text; break;
    case Field::Desc: p.description = text; break;
    case Field::Src: p.source = text; break;
    case Field::Sym:
        p.symbol = text;
        // The native files took a symbol element without a name for a symbol they do not name.
        if (text.empty()) p.native.symbol = SymbolFromName(text);
        break;
    case Field::Type: p.type = text; break;
    case Field::Ele: p.elevation = Real(text); break;
    case Field::Time: p.time = ParseIsoTime(text); break;
    case Field::Fix: p.fix = FixOf(text); break;
    case Field::Sat: p.satellites = Count(text); break;
    case Field::Hdop: p.hdop = Real(text); break;
    case Field::Vdop: p.vdop = Real(text); break;
    case Field::Pdop: p.pdop = Real(text); break;
    case Field::Celsius: p.celsius = Real(text); break;
    case Field::HeartRate: p.heartRate = Count(text); break;
    case Field::Cadence: p.cadence = Count(text); break;
    case Field::WaterCelsius: p.waterCelsius = Real(text); break;
    case Field::Depth: p.depth = Real(text); break;
    case Field::Speed: p.speed = Real(text); break;
    case Field::Course: p.course = Real(text); break;
    case Field::MagVar: p.magneticVariation = Real(text); break;
    case Field::GeoidHeight: p.geoidHeight = Real(text); break;
    case Field::AgeOfDgps: p.ageOfDgps = Real(text); break;
    case Field::DgpsId: {
        const auto station = WholeNumber(text, 1023);
        p.dgpsStation = station ? static_cast<std::int32_t>(*station) : -1;
        break;
    }
    default: TakeLinkText(field, text, p.links); break;
    }
}

void TakeGroupText(Field field, std::string_view text, GroupInfo& g)
{
    switch (field) {
    case Field::Name: g.name = text; break;
    case Field::Cmt: g.comment = text; break;
    case Field::Desc: g.description = text; break;
    case Field::Src: g.source = text; break;
    case Field::Type: g.type = text; break;
    case Field::Number: {
        const auto number = WholeNumber(text, INT32_MAX);
        g.number = number ? static_cast<std::int32_t>(*number) : -1;
        break;
    }
    default: TakeLinkText(field, text, g.links); break;
    }
}

void TakeDocumentText(Field field, std::string_view text, Metadata& m)
{
    switch (field) {
    case Field::Name: m.name = text; break;
    case Field::Desc: m.description = text; break;
    case Field::Author: m.author.name = text; break;
    case Field::Keywords: m.keywords = text; break;
    case Field::Email: m.author.email = text; break;
    case Field::CopyrightYear: m.copyrightYear = text; break;
    case Field::CopyrightLicense: m.copyrightLicense = text; break;
    case Field::Time: m.time = ParseIsoTime(text); break;
    default: TakeLinkText(field, text, m.links); break;
    }
}
}  // namespace

bool IsPoint(Node node) { return node == Node::Wpt || node == Node::Rtept || node == Node::Trkpt; }
bool IsGroup(Node node) { return node == Node::Rte || node == Node::Trk; }

std::optional<Node> ChildOf(Node parent, std::string_view local, bool ofDocument, std::string_view uri, ReadMode mode,
                            Field& field)
{
    // The common track point extension is read into fields; every other
    // extension is kept as it is, by the reader.
    if (parent == Node::Extensions)
        return IsPointExtensionNamespace(uri) && local == "TrackPointExtension" ? std::optional(Node::PointExtension)
                                                                                : std::nullopt;
    if (parent == Node::OtherExtensions) return std::nullopt;
    const bool extensions = ofDocument && local == "extensions";
    if (parent == Node::PointExtension)
        return IsPointExtensionNamespace(uri) ? TextOf(kExtensionFields, local, field) : std::nullopt;
    // Elements of other namespaces are extensions: skipped whatever their names.
    if (!ofDocument) return std::nullopt;
    const bool waypoints = mode != ReadMode::Tracks;
    const bool tracks = mode != ReadMode::Waypoints;
    switch (parent) {
    case Node::Gpx:
        if (local == "wpt") return waypoints ? std::optional(Node::Wpt) : std::nullopt;
        if (local == "rte") return waypoints ? std::optional(Node::Rte) : std::nullopt;
        if (local == "trk") return tracks ? std::optional(Node::Trk) : std::nullopt;
        if (local == "metadata") return Node::Metadata;
        if (extensions) return Node::OtherExtensions;
        if (local == "bounds") return Node::Bounds;
        return TextOf(kRootFields, local, field);
    case Node::Metadata:
        if (local == "author") return Node::Author;
        if (local == "link") return Node::Link;
        if (local == "copyright") return Node::Copyright;
        if (local == "bounds") return Node::Bounds;
        if (extensions) return Node::OtherExtensions;
        return TextOf(kMetadataFields, local, field);
    case Node::Author:
        if (local == "link") return Node::Link;
        if (local == "email") return Node::Email;
        field = Field::Author;
        return local == "name" ? std::optional(Node::Text) : std::nullopt;
    case Node::Copyright:
        if (local == "year") field = Field::CopyrightYear;
        else if (local == "license") field = Field::CopyrightLicense;
        else return std::nullopt;
        return Node::Text;
    case Node::Link:
        if (local == "text") field = Field::LinkText;
        else if (local == "type") field = Field::LinkType;
        else return std::nullopt;
        return Node::Text;
    case Node::Rte:
    case Node::Trk:
        if (parent == Node::Rte && local == "rtept") return Node::Rtept;
        if (parent == Node::Trk && local == "trkseg") return Node::Trkseg;
        if (local == "link") return Node::Link;
        if (extensions) return Node::OtherExtensions;
        return TextOf(kGroupFields, local, field);
    case Node::Trkseg:
        if (extensions) return Node::OtherExtensions;
        return local == "trkpt" ? std::optional(Node::Trkpt) : std::nullopt;
    case Node::Wpt:
    case Node::Rtept:
    case Node::Trkpt:
        if (local == "link") return Node::Link;
        if (local == "extensions") return Node::Extensions;
        return TextOf(kPointFields, local, field);
    default: return std::nullopt;
    }
}

void TakeText(Field field, std::string_view text, Node owner, const Owners& owners)
{
    if (IsPoint(owner) || owner == Node::PointExtension) TakePointText(field, text, owners.point);
    else if (IsGroup(owner)) TakeGroupText(field, text, owners.group);
    else if (owner == Node::Author && field != Field::Author) TakeLinkText(field, text, owners.metadata.author.links);
    else TakeDocumentText(field, text, owners.metadata);
}

void TakeLink(std::string_view href, Node owner, const Owners& owners)
{
    std::vector<Link>& links = IsPoint(owner)          ? owners.point.links
                               : IsGroup(owner)        ? owners.group.links
                               : owner == Node::Author ? owners.metadata.author.links
                                                       : owners.metadata.links;
    links.push_back({std::string(href), {}, {}});
}

}  // namespace gpx
