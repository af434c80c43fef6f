// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/store_entry.h"

#include <cmath>

#include "core/conversion_record.h"
#include "core/read_watch.h"

namespace {
// The index of the track point that takes over the section start of a point
// left out just before it; -1 when none waits.
int sectionStartFor = -1;

bool UsablePosition(double latitude, double longitude) { return std::isfinite(latitude) && std::isfinite(longitude); }

float RealAltitude(float altitude, double limit)
{
    return std::isfinite(altitude) && std::fabs(altitude) <= limit ? altitude : kNoAltitude;
}
}  // namespace

bool AddWaypoint(WayPoints w)
{
    NotePointStored();
    if (WaypointCount >= kMaxWaypoints) return false;
    if (!UsablePosition(w.Latitude, w.Longitude)) {
        NoteUnusablePoint();
        return true;
    }
    w.Altitude = RealAltitude(w.Altitude, kHighestAltitudeMetres * kFeetPerMetre);
    WaypointList[++WaypointCount] = std::move(w);
    return true;
}

bool StoreWaypoint(WayPoints w)
{
    if (AddWaypoint(std::move(w))) return true;
    NoteCut(Cut::Waypoints, kMaxWaypoints);
    return false;
}

bool StoreTrackPoint(const TrackPoint& p)
{
    if (AddTrackPoint(p)) return true;
    NoteCut(Cut::TrackPoints, kMaxTrackPoints);
    return false;
}

bool AddTrackPoint(TrackPoint p, int capacity)
{
    NotePointStored();
    const int i = TrackProps.PointCount;
    if (i >= capacity || i > kMaxTrackSlot) return false;
    if (!UsablePosition(p.Latitude, p.Longitude)) {
        NoteUnusablePoint();
        if (p.NewSection != 0) sectionStartFor = i;
        return true;
    }
    if (sectionStartFor == i) p.NewSection = 1;
    sectionStartFor = -1;
    p.Altitude = RealAltitude(p.Altitude, kHighestAltitudeMetres);
    TrackPointList[i] = p;
    TrackProps.PointCount = i + 1;
    return true;
}
