// SPDX-License-Identifier: GPL-3.0-or-later
// The formats the program knows: one row each, in the order of the drop-down
// lists, named by the enumerations below.
#pragma once

#include <string>

#include "core/convert/format_rows.h"

// Input positions. New formats are appended: settings files keep positions.
enum class Input : int {
    KesWaypoint,
    KesTrack,
    HoluxWaypoint,
    HoluxTrack,
    MapsendWaypoint,
    MapsendTrack,
    NobletecWaypoints,
    NobletecTracks,
    Nmea,
    MagellanWaypoint,
    MagellanTrack,
    MapsourceWaypoints,
    MapsourceTracks,
    TomTom,
    GpxWaypoints,
    GpxTracks,
    WintecTes,
    CompeGpsWaypoints,
    CompeGpsTracks,
    Pcx5Waypoints,
    Pcx5Tracks,
    Igc,
    FitTracks,
    FitWaypoints,
    Tcx,
    TcxCoursePoints,
    KmlWaypoints,
    KmlTracks,
    GeoJsonWaypoints,
    GeoJsonTracks,
    CsvWaypoints,
    CsvTracks,
    NmeaWaypoints,
    Count
};

// Output positions, appended likewise.
enum class Output : int {
    KesWaypoint,
    KesTrack,
    HoluxWaypoint,
    HoluxTrack,
    GpxWaypoints,
    GpxTrack,
    Gpx,
    Kml,
    GeoJson,
    Csv,
    TomTom,
    Count
};

constexpr int Position(Input format) { return static_cast<int>(format); }
constexpr int Position(Output format) { return static_cast<int>(format); }
// A position as the text kes-headless takes.
inline std::string PositionText(Input format) { return std::to_string(Position(format)); }
inline std::string PositionText(Output format) { return std::to_string(Position(format)); }

// Every row, for the catalogue each front end makes (FormatCatalogue).
const FormatRows& KnownFormats();
