// SPDX-License-Identifier: GPL-3.0-or-later
// Writing GPX 1.1: every field the store keeps, in the schema's order, one
// point to a line. Texts are UTF-8, escaped; numbers the shortest decimals
// that read back as the values held; times as exact as they were read.
#include <cmath>

#include "core/clock.h"
#include "core/file_names.h"
#include "core/store.h"
#include "core/utc_time.h"
#include "formats/gpx/Gpx.h"
#include "formats/gpx/GpxText.h"

namespace {
using namespace gpx;

constexpr const char* kEol = "\r\n";
constexpr const char* kTrackPointExtension = "http://www.garmin.com/xmlschemas/TrackPointExtension/v1";

void AppendText(std::string& out, const char* tag, std::string_view utf8)
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

void AppendLink(std::string& out, std::string_view href, std::string_view text, std::string_view type)
{
    if (href.empty()) return;
    out += "<link href=\"";
    AppendEscapedUtf8(out, href);
    out += "\">";
    AppendText(out, "text", text);
    AppendText(out, "type", type);
    out += "</link>";
}

template <typename Number>
void AppendNumber(std::string& out, const char* tag, Number value, int maxDecimals)
{
    if (!std::isfinite(value)) return;
    out += '<';
    out += tag;
    out += '>';
    AppendDecimal(out, value, maxDecimals);
    out += "</";
    out += tag;
    out += '>';
}

void AppendCount(std::string& out, const char* tag, int value)
{
    if (value < 0) return;
    out += '<';
    out += tag;
    out += '>';
    out += std::to_string(value);
    out += "</";
    out += tag;
    out += '>';
}

void AppendTime(std::string& out, const std::optional<UtcTime>& time)
{
    if (!time) return;
    const std::size_t before = out.size();
    out += "<time>";
    if (AppendIsoTime(out, *time)) out += "</time>";
    else out.resize(before);
}

void AppendExtensions(std::string& out, const PointValues& v)
{
    const bool any = std::isfinite(v.celsius) || v.heartRate >= 0 || v.cadence >= 0;
    if (!any) return;
    out += "<extensions><gpxtpx:TrackPointExtension>";
    AppendNumber(out, "gpxtpx:atemp", v.celsius, kElevationDecimals);
    AppendCount(out, "gpxtpx:hr", v.heartRate);
    AppendCount(out, "gpxtpx:cad", v.cadence);
    out += "</gpxtpx:TrackPointExtension></extensions>";
}

// One wpt, rtept or trkpt on one line, its elements in the schema's order.
void AppendPoint(std::string& out, const char* indent, const char* tag, const PointView& p)
{
    out += indent;
    out += '<';
    out += tag;
    out += " lat=\"";
    AppendDecimal(out, p.latitude, kPositionDecimals);
    out += "\" lon=\"";
    // The schema's longitudes stop short of 180, which is the meridian of -180.
    AppendDecimal(out, p.longitude == 180 ? -180.0 : p.longitude, kPositionDecimals);
    out += "\">";
    const PointTexts& t = p.texts;
    const PointValues& v = p.values;
    AppendNumber(out, "ele", v.metres, kElevationDecimals);
    AppendTime(out, v.time);
    AppendText(out, "name", t.name);
    AppendText(out, "cmt", t.comment);
    AppendText(out, "desc", t.description);
    AppendText(out, "src", t.source);
    AppendLink(out, t.link, t.linkText, t.linkType);
    AppendText(out, "sym", t.symbol);
    AppendText(out, "type", t.type);
    if (v.fix > 0 && v.fix < std::size(kFixNames)) AppendText(out, "fix", kFixNames[v.fix]);
    AppendCount(out, "sat", v.satellites);
    AppendNumber(out, "hdop", v.hdop, kElevationDecimals);
    AppendNumber(out, "vdop", v.vdop, kElevationDecimals);
    AppendNumber(out, "pdop", v.pdop, kElevationDecimals);
    AppendExtensions(out, v);
    out += "</";
    out += tag;
    out += '>';
    out += kEol;
}

// The elements a rte and a trk share, before their points.
void AppendGroup(std::string& out, const GroupView& g)
{
    AppendText(out, "name", g.name);
    AppendText(out, "cmt", g.comment);
    AppendText(out, "desc", g.description);
    AppendText(out, "src", g.source);
    AppendLink(out, g.link, g.linkText, g.linkType);
    AppendCount(out, "number", g.number);
    AppendText(out, "type", g.type);
}
}  // namespace

GpxDocument::GpxDocument(const std::string& fileName, StoreTimes times, unsigned parts)
    : DocumentWriter(fileName, times, parts, "gpx")
{}

void GpxDocument::Head(std::string& out)
{
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    out += kEol;
    out += "<gpx version=\"1.1\" creator=\"kesTranscribe\" xmlns=\"http://www.topografix.com/GPX/1/1\""
           " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:gpxtpx=\"";
    out += kTrackPointExtension;
    out += "\" xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">";
    out += kEol;
    const DocumentDetail& d = DocumentInfo;
    out += "  <metadata>";
    AppendText(out, "name", d.name);
    AppendText(out, "desc", d.description);
    if (!d.author.empty()) {
        out += "<author>";
        AppendText(out, "name", d.author);
        out += "</author>";
    }
    AppendLink(out, d.link, d.linkText, d.linkType);
    // When the input says when it was made, that is kept; otherwise it is now.
    const std::optional<UtcTime> made = d.time ? d.time : UtcTimeOfDayCount(NowUtc(), 3);
    AppendTime(out, made);
    AppendText(out, "keywords", d.keywords);
    out += "</metadata>";
    out += kEol;
}

void GpxDocument::Foot(std::string& out)
{
    out += "</gpx>";
    out += kEol;
}

void GpxDocument::Waypoint(std::string& out, const PointView& point) { AppendPoint(out, "  ", "wpt", point); }

void GpxDocument::Route(std::string& out, const GroupView& route, const std::vector<PointView>& points)
{
    out += "  <rte>";
    AppendGroup(out, route);
    out += kEol;
    for (const PointView& p : points) AppendPoint(out, "    ", "rtept", p);
    out += "  </rte>";
    out += kEol;
}

void GpxDocument::Track(std::string& out, const GroupView& track, int)
{
    out += "  <trk>";
    AppendGroup(out, track);
    out += kEol;
    bool segmentOpen = false;
    ForEachTrackPoint([&](const PointView& p, bool newSection) {
        if (segmentOpen && newSection) {
            out += "    </trkseg>";
            out += kEol;
            segmentOpen = false;
        }
        if (!segmentOpen) {
            out += "    <trkseg>";
            out += kEol;
            segmentOpen = true;
        }
        AppendPoint(out, "      ", "trkpt", p);
        PassOn(out);
    });
    if (segmentOpen) {
        out += "    </trkseg>";
        out += kEol;
    }
    out += "  </trk>";
    out += kEol;
}

void WriteGpxWaypointFile(const std::string& fileName, StoreTimes times)
{
    GpxDocument(WriterFileName(fileName, ".gpx"), times, kWaypointsAndRoutes).Finish();
}

GpxTrackWriter::GpxTrackWriter(const std::string& fileName, StoreTimes times)
    : GpxDocument(WriterFileName(fileName, ".gpx"), times, kTracksOnly)
{}
