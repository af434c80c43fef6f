// SPDX-License-Identifier: GPL-3.0-or-later
// Writing GPX 1.1: the fields of the document's points in the schema's
// order, one point to a line. Texts are UTF-8, escaped; numbers the shortest
// decimals that read back as the values held; times as exact as they were read.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "core/time/clock.h"
#include "core/time/utc_time.h"
#include "formats/document/DocumentText.h"
#include "formats/document/DocumentWriter.h"
#include "formats/gpx/Gpx.h"

namespace {
using namespace doctext;

constexpr const char* kEol = "\r\n";
constexpr const char* kTrackPointExtension = "http://www.garmin.com/xmlschemas/TrackPointExtension/v2";
constexpr const char* kDeviceExtension = "http://www.garmin.com/xmlschemas/GpxExtensions/v3";

void AppendText(std::string& out, std::string_view tag, std::string_view utf8)
{
    if (utf8.empty()) return;
    out += '<';
    out += tag;
    out += '>';
    AppendEscapedUtf8(out, utf8);
    out += "</";
    out += tag;
    out += '>';
}

void AppendLinks(std::string& out, const std::vector<Link>& links)
{
    for (const Link& link : links) {
        if (link.href.empty()) continue;
        out += "<link href=\"";
        AppendEscapedUtf8(out, link.href);
        out += "\">";
        AppendText(out, "text", link.text);
        AppendText(out, "type", link.type);
        out += "</link>";
    }
}

// "<tag>" or "</tag>" put at `at`.
char* PutTag(char* at, std::string_view tag, bool closing)
{
    *at++ = '<';
    if (closing) *at++ = '/';
    at = std::copy(tag.begin(), tag.end(), at);
    *at++ = '>';
    return at;
}

// A number in its element, made whole and appended once: a point writes several.
constexpr std::size_t kLongestTag = 32;

template <std::size_t N>
void AppendNumber(std::string& out, const char (&tag)[N], double value, int maxDecimals)
{
    static_assert(N <= kLongestTag);
    if (!std::isfinite(value)) return;
    char text[kDecimalRoom + 2 * kLongestTag + 3];
    char* at = PutTag(text, tag, false);
    at = PutTag(PutDecimal(at, value, maxDecimals), tag, true);
    out.append(text, static_cast<std::size_t>(at - text));
}

template <std::size_t N>
void AppendCount(std::string& out, const char (&tag)[N], int value)
{
    static_assert(N <= kLongestTag);
    if (value < 0) return;
    char text[16 + 2 * kLongestTag + 3];
    char* at = PutTag(text, tag, false);
    at = PutTag(std::to_chars(at, at + 16, value).ptr, tag, true);
    out.append(text, static_cast<std::size_t>(at - text));
}

void AppendTime(std::string& out, const std::optional<UtcTime>& time)
{
    if (!time) return;
    char text[kIsoTimeRoom + 2 * kLongestTag + 3];
    char* at = PutIsoTime(PutTag(text, "time", false), *time);
    if (at != nullptr) out.append(text, static_cast<std::size_t>(PutTag(at, "time", true) - text));
}

// A device's waypoint details as the common GPX extension of device
// waypoints (its version 3), unless the extensions kept as read hold one.
void AppendDeviceDetails(std::string& out, const Point& p)
{
    const DeviceDetails& d = p.device;
    if (d.Empty() || p.extensions.find("WaypointExtension") != std::string::npos) return;
    out += "<gpxx:WaypointExtension xmlns:gpxx=\"";
    out += kDeviceExtension;
    out += "\">";
    AppendNumber(out, "gpxx:Proximity", d.proximity, kElevationDecimals);
    AppendNumber(out, "gpxx:Temperature", d.celsius, kElevationDecimals);
    AppendNumber(out, "gpxx:Depth", d.depth, kElevationDecimals);
    AppendText(out, "gpxx:DisplayMode", d.displayMode);
    if (!d.categories.empty()) {
        out += "<gpxx:Categories>";
        for (const std::string& category : d.categories) AppendText(out, "gpxx:Category", category);
        out += "</gpxx:Categories>";
    }
    if (!d.street.empty() || !d.city.empty() || !d.state.empty() || !d.country.empty() || !d.postalCode.empty()) {
        out += "<gpxx:Address>";
        AppendText(out, "gpxx:StreetAddress", d.street);
        AppendText(out, "gpxx:City", d.city);
        AppendText(out, "gpxx:State", d.state);
        AppendText(out, "gpxx:Country", d.country);
        AppendText(out, "gpxx:PostalCode", d.postalCode);
        out += "</gpxx:Address>";
    }
    AppendText(out, "gpxx:PhoneNumber", d.phone);
    out += "</gpxx:WaypointExtension>";
}

// The extensions kept as read, where there are any.
void AppendKept(std::string& out, const std::string& extensions)
{
    if (extensions.empty()) return;
    out += "<extensions>";
    out += extensions;
    out += "</extensions>";
}

// Device details go with any point: route points hold what their waypoints
// hold. `road`: the route point extension of the road from a route point.
void AppendExtensions(std::string& out, const Point& v, std::string_view road = {})
{
    const bool any = std::isfinite(v.celsius) || std::isfinite(v.waterCelsius) || std::isfinite(v.depth) ||
                     v.heartRate >= 0 || v.cadence >= 0 || std::isfinite(v.speed) || std::isfinite(v.course);
    const std::size_t before = out.size();
    out += "<extensions>";
    if (any) {
        out += "<gpxtpx:TrackPointExtension>";
        AppendNumber(out, "gpxtpx:atemp", v.celsius, kElevationDecimals);
        AppendNumber(out, "gpxtpx:wtemp", v.waterCelsius, kElevationDecimals);
        AppendNumber(out, "gpxtpx:depth", v.depth, kElevationDecimals);
        AppendCount(out, "gpxtpx:hr", v.heartRate);
        AppendCount(out, "gpxtpx:cad", v.cadence);
        AppendNumber(out, "gpxtpx:speed", v.speed, kElevationDecimals);
        AppendNumber(out, "gpxtpx:course", v.course, kElevationDecimals);
        out += "</gpxtpx:TrackPointExtension>";
    }
    AppendDeviceDetails(out, v);
    out += road;
    out += v.extensions;
    if (out.size() == before + std::strlen("<extensions>")) out.resize(before);  // none at all
    else out += "</extensions>";
}

// One wpt, rtept or trkpt on one line, its elements in the schema's order.
void AppendPoint(std::string& out, std::string_view indent, std::string_view tag, const Point& p,
                 std::string_view road = {})
{
    // The start tag made whole and appended once: a long track writes one a point.
    char start[2 * kDecimalRoom + 2 * kLongestTag + 16];
    char* at = std::copy(indent.begin(), indent.end(), start);
    *at++ = '<';
    at = std::copy(tag.begin(), tag.end(), at);
    at = std::copy_n(" lat=\"", 6, at);
    at = PutDecimal(at, p.latitude, kPositionDecimals);
    at = std::copy_n("\" lon=\"", 7, at);
    // The schema's longitudes stop short of 180, which is the meridian of -180.
    at = PutDecimal(at, p.longitude == 180 ? -180.0 : p.longitude, kPositionDecimals);
    at = std::copy_n("\">", 2, at);
    out.append(start, static_cast<std::size_t>(at - start));
    AppendNumber(out, "ele", p.elevation, kElevationDecimals);
    AppendTime(out, p.time);
    AppendNumber(out, "magvar", p.magneticVariation, kElevationDecimals);
    AppendNumber(out, "geoidheight", p.geoidHeight, kElevationDecimals);
    AppendText(out, "name", p.name);
    AppendText(out, "cmt", p.comment);
    AppendText(out, "desc", p.description);
    AppendText(out, "src", p.source);
    AppendLinks(out, p.links);
    AppendText(out, "sym", p.symbol);
    AppendText(out, "type", p.type);
    if (p.fix > 0 && p.fix < std::size(kFixNames)) AppendText(out, "fix", kFixNames[p.fix]);
    AppendCount(out, "sat", p.satellites);
    AppendNumber(out, "hdop", p.hdop, kElevationDecimals);
    AppendNumber(out, "vdop", p.vdop, kElevationDecimals);
    AppendNumber(out, "pdop", p.pdop, kElevationDecimals);
    AppendNumber(out, "ageofdgpsdata", p.ageOfDgps, kElevationDecimals);
    AppendCount(out, "dgpsid", p.dgpsStation);
    AppendExtensions(out, p, road);
    out += "</";
    out += tag;
    out += '>';
    out += kEol;
}

// The elements a rte and a trk share, before their points.
void AppendGroup(std::string& out, const GroupInfo& g)
{
    AppendText(out, "name", g.name);
    AppendText(out, "cmt", g.comment);
    AppendText(out, "desc", g.description);
    AppendText(out, "src", g.source);
    AppendLinks(out, g.links);
    AppendCount(out, "number", g.number);
    AppendText(out, "type", g.type);
    AppendKept(out, g.extensions);
}

void AppendAuthor(std::string& out, const Person& author)
{
    if (author == Person{}) return;
    out += "<author>";
    AppendText(out, "name", author.name);
    if (!author.email.empty()) {
        const std::size_t at = author.email.rfind('@');
        out += "<email id=\"";
        AppendEscapedUtf8(out, author.email.substr(0, at));
        out += "\" domain=\"";
        if (at != std::string::npos) AppendEscapedUtf8(out, author.email.substr(at + 1));
        out += "\"/>";
    }
    AppendLinks(out, author.links);
    out += "</author>";
}

void AppendCopyright(std::string& out, const Metadata& d)
{
    if (d.copyrightAuthor.empty() && d.copyrightYear.empty() && d.copyrightLicense.empty()) return;
    out += "<copyright author=\"";
    AppendEscapedUtf8(out, d.copyrightAuthor);
    out += "\">";
    AppendText(out, "year", d.copyrightYear);
    AppendText(out, "license", d.copyrightLicense);
    out += "</copyright>";
}

struct Bounds {
    double south = 90, west = 180, north = -90, east = -180;
    void Take(const Point& p)
    {
        south = std::min(south, p.latitude);
        north = std::max(north, p.latitude);
        west = std::min(west, p.longitude);
        east = std::max(east, p.longitude);
    }
    bool Any() const { return south <= north; }
};

// The bounds of the parts written.
Bounds BoundsOf(const Document& document, unsigned parts)
{
    Bounds b;
    const auto take = [&b](const Point& p) { b.Take(p); };
    if (parts & kWaypointsAndRoutes) {
        document.waypoints.ForEach(take);
        for (const Route& route : document.routes) route.points.ForEach(take);
    }
    if (parts & kTracksOnly)
        for (const Track& track : document.tracks) track.points.ForEach(take);
    return b;
}

void AppendBounds(std::string& out, const Bounds& b)
{
    if (!b.Any()) return;
    out += "<bounds minlat=\"";
    AppendDecimal(out, b.south, kPositionDecimals);
    out += "\" minlon=\"";
    AppendDecimal(out, b.west, kPositionDecimals);
    out += "\" maxlat=\"";
    AppendDecimal(out, b.north, kPositionDecimals);
    out += "\" maxlon=\"";
    AppendDecimal(out, b.east, kPositionDecimals);
    out += "\"/>";
}

// A GPX 1.1 file of the parts given (kWaypointsAndRoutes, kTracksOnly, kEverything).
class GpxDocument final : public DocumentWriter {
public:
    GpxDocument(unsigned parts, std::optional<Bounds> bounds, const Document& document, const Clock& clock)
        : DocumentWriter(parts, "gpx"), bounds_(bounds), document_(document), clock_(clock)
    {}

protected:
    void Head(std::string& out, const Metadata& metadata) override;
    void Foot(std::string& out) override;
    void Waypoint(std::string& out, const Point& point) override { AppendPoint(out, "  ", "wpt", point); }
    void Route(std::string& out, const ::Route& route, int number, PointWalk& points) override;
    void Track(std::string& out, const GroupInfo& track, int number, const PointList& list, PointWalk& points) override;
    void TrackPointText(std::string& out, const Point& point) const override
    {
        AppendPoint(out, "      ", "trkpt", point);
    }

private:
    // The kept extensions of the sections of the track of this number (from 1).
    const std::vector<std::string>* SectionExtensionsOf(int number) const
    {
        const auto index = static_cast<std::size_t>(number - 1);
        return index < document_.tracks.size() ? &document_.tracks[index].sectionExtensions : nullptr;
    }
    std::optional<Bounds> bounds_;
    const Document& document_;
    Clock clock_;
    std::string fileExtensions_;
};

void GpxDocument::Head(std::string& out, const Metadata& d)
{
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    out += kEol;
    out += "<gpx version=\"1.1\" creator=\"kesTranscribe\" xmlns=\"http://www.topografix.com/GPX/1/1\""
           " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:gpxtpx=\"";
    out += kTrackPointExtension;
    out += "\" xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">";
    out += kEol;
    out += "  <metadata>";
    AppendText(out, "name", d.name);
    AppendText(out, "desc", d.description);
    AppendAuthor(out, d.author);
    AppendCopyright(out, d);
    AppendLinks(out, d.links);
    // When the input says when it was made, that is kept; otherwise it is now.
    const std::optional<UtcTime> made = d.time ? d.time : UtcTimeOfDayCount(clock_.Utc(), 3);
    AppendTime(out, made);
    AppendText(out, "keywords", d.keywords);
    if (bounds_) AppendBounds(out, *bounds_);
    AppendKept(out, d.extensions);
    out += "</metadata>";
    out += kEol;
    fileExtensions_ = d.fileExtensions;
}

void GpxDocument::Foot(std::string& out)
{
    if (!fileExtensions_.empty()) {
        out += "  ";
        AppendKept(out, fileExtensions_);
        out += kEol;
    }
    out += "</gpx>";
    out += kEol;
}

// The link points of the road from a route point to the next, as the common
// GPX extension of device routes (its version 3) holds them: positions only.
void AppendRoad(std::string& out, RoadWalk& road, const Point& p, std::size_t position)
{
    const std::size_t start = out.size();
    road.After(position, [&out](const Point& link) {
        out += "<gpxx:rpt lat=\"";
        AppendDecimal(out, link.latitude, kPositionDecimals);
        out += "\" lon=\"";
        AppendDecimal(out, link.longitude == 180 ? -180.0 : link.longitude, kPositionDecimals);
        out += "\"/>";
    });
    // Where the extensions kept as read hold one already, it is theirs.
    if (out.size() == start || p.extensions.find("RoutePointExtension") != std::string::npos) {
        out.resize(start);
        return;
    }
    out.insert(start, std::string("<gpxx:RoutePointExtension xmlns:gpxx=\"") + kDeviceExtension + "\">");
    out += "</gpxx:RoutePointExtension>";
}

void GpxDocument::Route(std::string& out, const ::Route& route, int, PointWalk& points)
{
    out += "  <rte>";
    AppendGroup(out, route.info);
    out += kEol;
    RoadWalk road(route);
    std::string links;
    while (points.Next()) {
        links.clear();
        if (!route.linksAfter.empty()) AppendRoad(links, road, *points, points.Position());
        AppendPoint(out, "    ", "rtept", *points, links);
        PassOn(out);
    }
    out += "  </rte>";
    out += kEol;
}

void GpxDocument::Track(std::string& out, const GroupInfo& track, int number, const PointList&, PointWalk& points)
{
    out += "  <trk>";
    AppendGroup(out, track);
    out += kEol;
    const std::vector<std::string>* kept = SectionExtensionsOf(number);
    std::size_t section = 0;
    const auto closeSection = [&] {
        if (kept && section < kept->size() && !(*kept)[section].empty()) {
            out += "    ";
            AppendKept(out, (*kept)[section]);
            out += kEol;
        }
        ++section;
        out += "    </trkseg>";
        out += kEol;
    };
    bool segmentOpen = false;
    while (points.Next()) {
        if (points.StartsSection()) {
            if (segmentOpen) closeSection();
            out += "    <trkseg>";
            out += kEol;
            segmentOpen = true;
        }
        AppendTrackPoint(out, points);
        PassOn(out);
    }
    if (segmentOpen) closeSection();
    out += "  </trk>";
    out += kEol;
}

WriteResult WriteGpx(const Document& document, const WriteRequest& request, unsigned parts)
{
    // Bounds cost a pass over the points: given where the input gave them.
    const std::optional<Bounds> bounds =
        document.metadata.bounds ? std::optional(BoundsOf(document, parts)) : std::nullopt;
    return GpxDocument(parts, bounds, document, request.clock)
        .Write(document, DocumentFileName(request, ".gpx"), request.transaction);
}
}  // namespace

WriteResult WriteGpxWaypointFile(const Document& document, const WriteRequest& request)
{
    return WriteGpx(document, request, kWaypointsAndRoutes);
}

WriteResult WriteGpxTrackFile(const Document& document, const WriteRequest& request)
{
    return WriteGpx(document, request, kTracksOnly);
}

WriteResult WriteGpxFile(const Document& document, const WriteRequest& request)
{
    return WriteGpx(document, request, kEverything);
}
