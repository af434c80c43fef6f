// SPDX-License-Identifier: GPL-3.0-or-later
// Catalogue positions as the end-to-end tests hand them to kes-headless.
#pragma once

// Rows 0 to 3 are the same format in both tables.
inline constexpr const char* kKesWaypoint = "0";
inline constexpr const char* kKesTrack = "1";
inline constexpr const char* kHoluxWaypoint = "2";
inline constexpr const char* kHoluxTrack = "3";

// Inputs only.
inline constexpr const char* kMapsendWaypoint = "4";
inline constexpr const char* kMapsendTrack = "5";
inline constexpr const char* kNmea = "8";
inline constexpr const char* kMapsourceWaypoints = "11";
inline constexpr const char* kMapsourceTracks = "12";
inline constexpr const char* kTomTom = "13";
inline constexpr const char* kGpxWaypointsIn = "14";
inline constexpr const char* kGpxTracksIn = "15";

// Outputs only.
inline constexpr const char* kGpxWaypointsOut = "4";
inline constexpr const char* kGpxTrackOut = "5";
