// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/gpx/GpxElements.h"

#include <cmath>
#include <iterator>

#include "core/point_entry.h"
#include "core/utc_time.h"
#include "formats/gpx/GpxText.h"

namespace gpx {
namespace {
struct Named {
    std::string_view local;
    Field field;
};

// The text elements of a point, of a route or track, and of the metadata.
constexpr Named kPointFields[] = {
    {"ele", Field::Ele},   {"time", Field::Time}, {"name", Field::Name},       {"cmt", Field::Cmt},
    {"desc", Field::Desc}, {"src", Field::Src},   {"sym", Field::Sym},         {"type", Field::Type},
    {"fix", Field::Fix},   {"sat", Field::Sat},   {"hdop", Field::Hdop},       {"vdop", Field::Vdop},
    {"pdop", Field::Pdop}, {"url", Field::Url},   {"urlname", Field::UrlName},
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
    {"url", Field::Url},   {"urlname", Field::UrlName}, {"keywords", Field::Keywords},
};
constexpr Named kExtensionFields[] = {{"atemp", Field::Celsius}, {"hr", Field::HeartRate}, {"cad", Field::Cadence}};

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

float Real(std::string_view text)
{
    const auto value = ParseDecimal(text);
    return value && std::fabs(*value) < 3e38 ? static_cast<float>(*value) : NAN;
}

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

void TakePointText(Field field, std::string_view text, PointRead& p)
{
    PointTexts& t = p.texts;
    PointValues& v = p.values;
    switch (field) {
    case Field::Name: t.name = text; break;
    case Field::Cmt: t.comment = text; break;
    case Field::Desc: t.description = text; break;
    case Field::Src: t.source = text; break;
    case Field::Sym:
        t.symbol = text;
        p.hasSym = true;
        break;
    case Field::Type: t.type = text; break;
    case Field::Url: t.link = text; break;
    case Field::UrlName:
    case Field::LinkText: t.linkText = text; break;
    case Field::LinkType: t.linkType = text; break;
    case Field::Ele: {
        const auto metres = ParseDecimal(text);
        v.metres = metres && std::fabs(*metres) < kHighestElevationMetres ? *metres : NAN;
        break;
    }
    case Field::Time:
        v.time = ParseIsoTime(text);
        p.dayCount = ParseTime(text);
        break;
    case Field::Fix: v.fix = FixOf(text); break;
    case Field::Sat: v.satellites = Count(text); break;
    case Field::Hdop: v.hdop = Real(text); break;
    case Field::Vdop: v.vdop = Real(text); break;
    case Field::Pdop: v.pdop = Real(text); break;
    case Field::Celsius: v.celsius = Real(text); break;
    case Field::HeartRate: v.heartRate = Count(text); break;
    case Field::Cadence: v.cadence = Count(text); break;
    case Field::Number:
    case Field::Keywords:
    case Field::Author: break;
    }
}

void TakeGroupText(Field field, std::string_view text, GroupDetail& g)
{
    switch (field) {
    case Field::Name: g.name = text; break;
    case Field::Cmt: g.comment = text; break;
    case Field::Desc: g.description = text; break;
    case Field::Src: g.source = text; break;
    case Field::Type: g.type = text; break;
    case Field::Url: g.link = text; break;
    case Field::UrlName:
    case Field::LinkText: g.linkText = text; break;
    case Field::LinkType: g.linkType = text; break;
    case Field::Number: {
        const auto number = WholeNumber(text, INT32_MAX);
        g.number = number ? static_cast<std::int32_t>(*number) : -1;
        break;
    }
    default: break;
    }
}

void TakeDocumentText(Field field, std::string_view text, DocumentDetail& d)
{
    switch (field) {
    case Field::Name: d.name = text; break;
    case Field::Desc: d.description = text; break;
    case Field::Author: d.author = text; break;
    case Field::Keywords: d.keywords = text; break;
    case Field::Time: d.time = ParseIsoTime(text); break;
    case Field::Url: d.link = text; break;
    case Field::UrlName:
    case Field::LinkText: d.linkText = text; break;
    case Field::LinkType: d.linkType = text; break;
    default: break;
    }
}
}  // namespace

bool IsPoint(Node node) { return node == Node::Wpt || node == Node::Rtept || node == Node::Trkpt; }
bool IsGroup(Node node) { return node == Node::Rte || node == Node::Trk; }

std::optional<Node> ChildOf(Node parent, std::string_view local, bool ofDocument, std::string_view uri, ReadMode mode,
                            Field& field)
{
    // Only a point's extensions are read into, and only the common track point extension there.
    if (parent == Node::Extensions)
        return IsPointExtensionNamespace(uri) && local == "TrackPointExtension" ? std::optional(Node::PointExtension)
                                                                                : std::nullopt;
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
        return TextOf(kRootFields, local, field);
    case Node::Metadata:
        if (local == "author") return Node::Author;
        if (local == "link") return Node::Link;
        return TextOf(kMetadataFields, local, field);
    case Node::Author: field = Field::Author; return local == "name" ? std::optional(Node::Text) : std::nullopt;
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
        return TextOf(kGroupFields, local, field);
    case Node::Trkseg: return local == "trkpt" ? std::optional(Node::Trkpt) : std::nullopt;
    case Node::Wpt:
    case Node::Rtept:
    case Node::Trkpt:
        if (local == "link") return Node::Link;
        if (local == "extensions") return Node::Extensions;
        return TextOf(kPointFields, local, field);
    default: return std::nullopt;
    }
}

void TakeText(Field field, std::string_view text, Node owner, PointRead& point, GroupDetail& group,
              DocumentDetail& document)
{
    if (IsPoint(owner) || owner == Node::PointExtension) TakePointText(field, text, point);
    else if (IsGroup(owner)) TakeGroupText(field, text, group);
    else TakeDocumentText(field, text, document);
}

void TakeLink(std::string_view href, Node owner, PointRead& point, GroupDetail& group, DocumentDetail& document)
{
    // Only the first link of an element is kept.
    std::string& link = IsPoint(owner) ? point.texts.link : IsGroup(owner) ? group.link : document.link;
    if (link.empty()) link = href;
}

}  // namespace gpx
