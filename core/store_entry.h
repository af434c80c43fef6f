// SPDX-License-Identifier: GPL-3.0-or-later
// Where readers put points into the store. Every point enters through these,
// so that the capacity of each table and the rule for unusable values hold
// for every reader alike.
//
// The rule: a point whose latitude or longitude is not a finite number has no
// usable position and is left out (and counted for the progress pane); an
// altitude that is not a finite number or lies beyond 1000 km above or below
// sea level is no real altitude and is stored as none (-777).
#pragma once

#include "core/store.h"

inline constexpr double kHighestAltitudeMetres = 1.0e6;

// Stores w as the next waypoint unless its position is unusable. False when
// the table is full: nothing is stored, and the reader reports the cut.
bool AddWaypoint(WayPoints w);

// Stores p as the next point of the track held, unless its position is
// unusable; a point that started a section hands that start to the next point
// stored. False when the track already holds `capacity` points.
bool AddTrackPoint(TrackPoint p, int capacity = kMaxTrackPoints);

// The same for a reader that stops at the first point a full table cannot
// hold: the cut is noted for the progress pane before false comes back.
bool StoreWaypoint(WayPoints w);
bool StoreTrackPoint(const TrackPoint& p);
