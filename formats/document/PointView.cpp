// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/document/PointView.h"

#include <algorithm>
#include <cmath>

#include "core/conversion_record.h"
#include "core/number_format.h"
#include "core/text_encoding.h"
#include "formats/document/Symbols.h"
#include "formats/native/Kes.h"

namespace {
double Elevation(double metres) { return std::fabs(metres) < kFarthestElevation ? metres : NAN; }

// A day count the native files hold, as a time: none where it is only the
// time of reading. Day counts keep milliseconds.
std::optional<UtcTime> TimeOf(double dayCount, StoreTimes times)
{
    if (times == StoreTimes::TimeOfReading || IsTimeOfReading(dayCount)) return std::nullopt;
    return UtcTimeOfDayCount(dayCount, 3);
}

// A time the outputs can write: in the years 1 to 9999.
bool Writable(UtcTime time)
{
    static const UtcTime first = *UtcTimeOf(1, 1, 1, 0, 0, 0);
    static const UtcTime last = *UtcTimeOf(9999, 12, 31, 23, 59, 59, 999999999);
    return time >= first && time <= last && time.nanoseconds >= 0 && time.nanoseconds < 1000000000;
}

// A known detail keeps what it has; a value out of range is none.
PointValues Checked(PointValues values)
{
    values.metres = Elevation(values.metres);
    if (values.time && !Writable(*values.time)) values.time.reset();
    return values;
}
}  // namespace

PointView ViewOfWaypoint(const WayPoints& w, StoreTimes times)
{
    PointView view{w.Latitude, w.Longitude, {}, {}};
    if (w.Detail.known) {
        view.texts = w.Detail.texts;
        view.values = Checked(w.Detail.values);
        return view;
    }
    view.texts.name = LegacyToUtf8(w.Name);
    view.texts.description = LegacyToUtf8(w.Description);
    view.texts.symbol = SymbolName(w.Symbol);
    if (w.Altitude != kNoAltitude)
        view.values.metres = Elevation(DecimalOfFloat(static_cast<float>(w.Altitude / kFeetPerMetre)));
    if (w.DateTime != kUndatedWaypoint) view.values.time = TimeOf(w.DateTime, times);
    return view;
}

PointView ViewOfRoutePoint(const RouteWpRecord& p, StoreTimes)
{
    PointView view{p.Latitude, p.Longitude, {}, {}};
    if (p.Detail.known) {
        view.texts = p.Detail.texts;
        view.values = Checked(p.Detail.values);
        return view;
    }
    // A route point's time is a copy or the time the routes were reset, and
    // its altitude is kept by one reader only: neither is the point's own.
    view.texts.name = LegacyToUtf8(p.Name);
    view.texts.description = LegacyToUtf8(p.Description);
    view.texts.symbol = SymbolName(p.Symbol);
    return view;
}

namespace {
// Fills `view` with a track point; the strings keep their memory from point
// to point, as a long track is walked several times per output.
void FillTrackPointView(PointView& view, const TrackPoint& p, StoreTimes times)
{
    view.latitude = p.Latitude;
    view.longitude = p.Longitude;
    const PointTexts* texts = p.Known ? TextsOf(p) : nullptr;
    if (texts) view.texts = *texts;
    else if (!view.texts.Empty()) view.texts = {};
    if (p.Known) {
        view.values = Checked(p.Values);
        return;
    }
    view.values = {};
    // An altitude the native track file shows as -777 feet is none.
    if (TrackFeet(p.Altitude) != -777) view.values.metres = Elevation(DecimalOfFloat(p.Altitude));
    view.values.time = TimeOf(p.DateTime, times);
}
}  // namespace

PointView ViewOfTrackPoint(const TrackPoint& p, StoreTimes times)
{
    PointView view;
    FillTrackPointView(view, p, times);
    return view;
}

GroupView ViewOfRoute(const RouteRecord& route)
{
    const GroupDetail& d = route.Detail;
    if (d.known)
        return {d.name, d.comment, d.description, d.source, d.type, d.link, d.linkText, d.linkType, d.number, {}};
    GroupView view;
    view.name = LegacyToUtf8(route.Name);
    view.description = LegacyToUtf8(route.Description);
    return view;
}

GroupView ViewOfTrack()
{
    const GroupDetail& d = TrackProps.Detail;
    if (d.known)
        return {d.name, d.comment, d.description, d.source, d.type, d.link, d.linkText, d.linkType, d.number, {}};
    // The native track file keeps the name where its reader finds the description.
    GroupView view;
    const bool named = !TrackProps.Name.empty();
    view.name = LegacyToUtf8(named ? TrackProps.Name : TrackProps.Description);
    if (named) view.description = LegacyToUtf8(TrackProps.Description);
    return view;
}

void VisitStoreTrack(StoreTimes times, int from, int to, const TrackSlotVisit& visit)
{
    const int count = std::clamp(TrackProps.PointCount, 0, kMaxTrackSlot + 1);
    bool newSection = true;
    PointView view;
    for (int i = std::max(from, 0); i < std::min(to, count); ++i) {
        const TrackPoint& p = TrackPointList[i];
        if (p.Latitude == kNoPosition || p.Longitude == kNoPosition) break;  // the end, as in the native file
        newSection = newSection || p.NewSection == 1;
        if (!ValidPosition(p.Latitude, p.Longitude)) continue;
        FillTrackPointView(view, p, times);
        visit(i, view, newSection);
        newSection = false;
    }
}

void VisitStoreWaypoints(StoreTimes times, const std::function<void(const PointView&)>& visit, bool* leftOut)
{
    const int count = std::clamp(WaypointCount, 0, kMaxWaypoints);
    for (int i = 1; i <= count; ++i) {
        const WayPoints& w = WaypointList[i];
        if (ValidPosition(w.Latitude, w.Longitude)) visit(ViewOfWaypoint(w, times));
        else if (leftOut) *leftOut = true;
    }
}

void VisitStoreRoutes(StoreTimes times, const RouteVisit& visit, bool* leftOut)
{
    for (int r = 0; r <= kMaxRouteIndex && RouteCount > 0; ++r) {
        const RouteRecord& route = RouteList[r];
        if (route.PointCount <= 0) continue;
        std::vector<PointView> points;
        for (int j = 1; j <= std::min(route.PointCount, kMaxRoutePoints); ++j) {
            const RouteWpRecord& p = route.Points[j];
            if (p.Number == 0) continue;
            if (ValidPosition(p.Latitude, p.Longitude)) points.push_back(ViewOfRoutePoint(p, times));
            else if (leftOut) *leftOut = true;
        }
        visit(r, route, points);
    }
}
