// SPDX-License-Identifier: GPL-3.0-or-later
// Catalogue positions as the end-to-end tests hand them to kes-headless.
#pragma once

#include <string>

#include "formats/format_table.h"

// Rows 0 to 3 are the same format in both tables.
inline const std::string kKesWaypoint = PositionText(Input::KesWaypoint);
inline const std::string kKesTrack = PositionText(Input::KesTrack);
inline const std::string kHoluxWaypoint = PositionText(Input::HoluxWaypoint);
inline const std::string kHoluxTrack = PositionText(Input::HoluxTrack);

// Inputs only.
inline const std::string kMapsendWaypoint = PositionText(Input::MapsendWaypoint);
inline const std::string kMapsendTrack = PositionText(Input::MapsendTrack);
inline const std::string kNobletecWaypoints = PositionText(Input::NobletecWaypoints);
inline const std::string kNobletecTracks = PositionText(Input::NobletecTracks);
inline const std::string kNmea = PositionText(Input::Nmea);
inline const std::string kMagellanWaypoint = PositionText(Input::MagellanWaypoint);
inline const std::string kMagellanTrack = PositionText(Input::MagellanTrack);
inline const std::string kMapsourceWaypoints = PositionText(Input::MapsourceWaypoints);
inline const std::string kMapsourceTracks = PositionText(Input::MapsourceTracks);
inline const std::string kTomTom = PositionText(Input::TomTom);
inline const std::string kGpxWaypointsIn = PositionText(Input::GpxWaypoints);
inline const std::string kGpxTracksIn = PositionText(Input::GpxTracks);
inline const std::string kFitTracks = PositionText(Input::FitTracks);
inline const std::string kFitWaypoints = PositionText(Input::FitWaypoints);

// Outputs only.
inline const std::string kGpxWaypointsOut = PositionText(Output::GpxWaypoints);
inline const std::string kGpxTrackOut = PositionText(Output::GpxTrack);
inline const std::string kTomTomOut = PositionText(Output::TomTom);
