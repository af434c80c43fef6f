// SPDX-License-Identifier: GPL-3.0-or-later
// Writing GPX 1.1 from the store: waypoints and routes, or tracks. The text is
// handed to the safe writer in pieces as it is made.
#include <algorithm>
#include <cmath>
#include <optional>

#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/file_io.h"
#include "core/file_names.h"
#include "core/frontend.h"
#include "core/number_format.h"
#include "core/store.h"
#include "core/text_fields.h"
#include "formats/gpx/Gpx.h"
#include "formats/gpx/GpxText.h"
#include "formats/native/Kes.h"

namespace {
using namespace gpx;

constexpr const char* kEol = "\r\n";
constexpr std::size_t kPieceSize = 1 << 16;

// What one wpt, rtept or trkpt carries; empty texts and absent values are not written.
struct PointOut {
    double latitude = 0;
    double longitude = 0;
    std::optional<float> metres;
    std::optional<double> utc;
    std::string_view name;
    std::string_view description;
    std::int16_t symbol = 0;
};

bool ValidPosition(double latitude, double longitude)
{
    return std::isfinite(latitude) && std::isfinite(longitude) && latitude >= -90 && latitude <= 90 &&
           longitude >= -180 && longitude <= 180;
}

void AppendElement(std::string& out, const char* tag, std::string_view legacy)
{
    if (legacy.empty()) return;
    out += '<';
    out += tag;
    out += '>';
    AppendEscaped(out, legacy);
    out += "</";
    out += tag;
    out += '>';
}

// One point on one line; the caller has checked its position.
void AppendPoint(std::string& out, const char* indent, const char* tag, const PointOut& p)
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
    if (p.metres) {
        out += "<ele>";
        AppendDecimal(out, *p.metres, kElevationDecimals);
        out += "</ele>";
    }
    if (p.utc) {
        const std::size_t before = out.size();
        out += "<time>";
        if (AppendUtcTime(out, *p.utc)) out += "</time>";
        else out.resize(before);
    }
    AppendElement(out, "name", p.name);
    AppendElement(out, "desc", p.description);
    AppendElement(out, "sym", SymbolName(p.symbol));
    out += "</";
    out += tag;
    out += '>';
    out += kEol;
}

std::optional<double> TimeOf(double dayCount, StoreTimes times)
{
    if (times == StoreTimes::TimeOfReading || IsTimeOfReading(dayCount)) return std::nullopt;
    return dayCount;
}

std::optional<float> Elevation(float metres)
{
    if (!(std::fabs(metres) < kFarthestElevation)) return std::nullopt;
    return metres;
}

std::optional<float> WaypointMetres(float feet)
{
    if (feet == kNoAltitude) return std::nullopt;
    return Elevation(static_cast<float>(feet / kFeetPerMetre));
}

// A track altitude that the native track writer shows as -777 feet has none.
std::optional<float> TrackMetres(float metres)
{
    if (TrackFeet(metres) == -777) return std::nullopt;
    return Elevation(metres);
}

void AppendHead(std::string& out)
{
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    out += kEol;
    out += "<gpx version=\"1.1\" creator=\"kesTranscribe\" xmlns=\"http://www.topografix.com/GPX/1/1\""
           " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
           " xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">";
    out += kEol;
    out += "  <metadata><time>";
    AppendUtcTime(out, NowUtc());
    out += "</time></metadata>";
    out += kEol;
}

// Hands what is pending to the output once it makes a piece.
void PassOn(SafeFileWriter& output, std::string& pending)
{
    if (pending.size() < kPieceSize) return;
    output.Append(pending);
    pending.clear();
}

void Finish(SafeFileWriter& output, std::string& pending)
{
    pending += "</gpx>";
    pending += kEol;
    output.Append(pending);
    pending.clear();
    output.Commit();
}

// Points outside the range GPX allows are left out, and the file says so once.
void AnnounceLeftOut(bool leftOut)
{
    if (leftOut)
        Front().ShowLimitMessage("Only points with a latitude from -90 to 90 and a longitude from -180 to 180 are "
                                 "saved - this is a limitation of the gpx format.");
}

void AppendRoute(std::string& out, const RouteRecord& route, bool& leftOut)
{
    out += "  <rte>";
    AppendElement(out, "name", route.Name);
    AppendElement(out, "desc", route.Description);
    out += kEol;
    const int count = std::min(route.PointCount, kMaxRoutePoints);
    for (int j = 1; j <= count; ++j) {
        const RouteWpRecord& p = route.Points[j];
        if (p.Number == 0) continue;  // no point, as in the native route file
        if (!ValidPosition(p.Latitude, p.Longitude)) {
            leftOut = true;
            continue;
        }
        // A route point's time is either a copy or the time the routes were reset: not written.
        AppendPoint(out, "    ", "rtept",
                    {p.Latitude, p.Longitude, std::nullopt, std::nullopt, p.Name, p.Description, p.Symbol});
    }
    out += "  </rte>";
    out += kEol;
}
}  // namespace

void WriteGpxWaypointFile(const std::string& fileName, StoreTimes times)
{
    SafeFileWriter output(ChangeFileExt(fileName, ".gpx"));
    std::string pending;
    AppendHead(pending);
    bool leftOut = false;
    WrittenCounts written;
    const int count = std::clamp(WaypointCount, 0, kMaxWaypoints);
    for (int i = 1; i <= count; ++i) {
        const WayPoints& w = WaypointList[i];
        if (!ValidPosition(w.Latitude, w.Longitude)) {
            leftOut = true;
            continue;
        }
        const std::optional<double> utc = w.DateTime == kUndatedWaypoint ? std::nullopt : TimeOf(w.DateTime, times);
        AppendPoint(pending, "  ", "wpt",
                    {w.Latitude, w.Longitude, WaypointMetres(w.Altitude), utc, w.Name, w.Description, w.Symbol});
        ++written.waypoints;
        PassOn(output, pending);
    }
    if (RouteCount > 0)
        for (int r = 0; r <= kMaxRouteIndex; ++r)
            if (RouteList[r].PointCount > 0) {
                AppendRoute(pending, RouteList[r], leftOut);
                ++written.routes;
                PassOn(output, pending);
            }
    Finish(output, pending);
    NoteWritten(written);
    AnnounceLeftOut(leftOut);
}

GpxTrackWriter::GpxTrackWriter(const std::string& fileName, StoreTimes times)
    : output_(ChangeFileExt(fileName, ".gpx")), times_(times)
{
    AppendHead(pending_);
}

void GpxTrackWriter::AddStoreTrack()
{
    std::string& out = pending_;
    ++tracks_;
    out += "  <trk>";
    // The native track file keeps the name where its reader finds the description.
    AppendElement(out, "name", TrackProps.Name.empty() ? TrackProps.Description : TrackProps.Name);
    if (!TrackProps.Name.empty()) AppendElement(out, "desc", TrackProps.Description);
    out += kEol;
    const int count = std::clamp(TrackProps.PointCount, 0, kMaxTrackSlot + 1);
    bool segmentOpen = false;
    bool newSection = false;  // also when the point that starts it is left out
    for (int i = 0; i < count; ++i) {
        const TrackPoint& p = TrackPointList[i];
        if (p.Latitude == kNoPosition || p.Longitude == kNoPosition) break;  // the end, as in the native file
        newSection = newSection || p.NewSection == 1;
        if (!ValidPosition(p.Latitude, p.Longitude)) {
            leftOut_ = true;
            continue;
        }
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
        newSection = false;
        AppendPoint(out, "      ", "trkpt",
                    {p.Latitude, p.Longitude, TrackMetres(p.Altitude), TimeOf(p.DateTime, times_), {}, {}, 0});
        ++points_;
        PassOn(output_, out);
    }
    if (segmentOpen) {
        out += "    </trkseg>";
        out += kEol;
    }
    out += "  </trk>";
    out += kEol;
}

void GpxTrackWriter::Commit()
{
    Finish(output_, pending_);
    NoteWritten({.trackPoints = points_});
    AnnounceLeftOut(leftOut_);
}
