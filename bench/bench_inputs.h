// SPDX-License-Identifier: GPL-3.0-or-later
// Large inputs of every kind the benchmarks read, built in memory: the
// Google Benchmark programs and the whole-process generator share them.
#pragma once

#include <cstdint>
#include <string>

namespace bench {

// Fixes one second apart, each a "$GPGGA" then a "$GPRMC" sentence with its
// checksum; with `otherSentence` a "$GPVTG" follows each fix. Lines end with
// `lineEnd`. The first fix is `firstFix` seconds into the log's first day.
std::string NmeaLog(int fixes, bool otherSentence = false, const std::string& lineEnd = "\r\n", int firstFix = 0);
// "$PMGNTRK" lines, one second apart, dated.
std::string MagellanTrack(int points, const std::string& lineEnd = "\r\n");
// "$PMGNWPL" lines.
std::string MagellanWaypoints(int count, const std::string& lineEnd = "\r\n");
// A native track file and a native waypoint file, as the writers make them.
std::string KesTrack(int points, const std::string& name, const std::string& lineEnd = "\r\n");
std::string KesWaypoints(int count, const std::string& lineEnd = "\r\n");
// A Nobletec export holding `count` marks and one track of `count` points.
std::string NobletecExport(int count, const std::string& lineEnd = "\r\n");

// A GPX track file, a new trk after every `pointsPerTrack` points: as a GPS
// receiver writes it (positions to 6 decimals, elevation and time on the
// point's line), or as a fitness site does (positions to 15 decimals, an
// element a line, and an extension of another namespace on every point).
// `waypoints` come first, each with an elevation, a time, a name and a symbol.
enum class GpxStyle { Receiver, FitnessSite };
std::string GpxTrack(int points, GpxStyle style, int pointsPerTrack = 100000, int waypoints = 0);

// With `extended`, every other point is of the extended type: a further
// text after its name.
std::string TomTomOv2(int points, bool extended = false);
// A version "4" track file: whole metres as a 32-bit integer.
std::string MapsendTrack(int points);
// Version 109 holds a list of texts where 108 has one, pads each waypoint with
// six bytes, writes UTF-8, and comes with a 1000-point route first.
std::string GdbWaypoints(int count, std::uint16_t version = 108);
std::string GdbTrack(int points);

// A FIT activity of `points` records a second apart (position, altitude,
// heart rate, cadence, distance, speed, temperature), a lap after every
// 3600, written to the path piece by piece: a file of 200 MB is written in
// little memory.
void SaveFitActivity(const std::string& path, std::int64_t points);
// A Training Center activity as a sports watch writes it: an element a
// line, a new lap every `pointsPerLap` points, each point with a position,
// altitude, distance, heart rate, cadence and the speed and power extension.
std::string TcxActivity(int points, int pointsPerLap = 1000);
// A KML file of `placemarks` point placemarks, then a track of `points`
// as a gx:Track and the same points as a LineString.
std::string KmlFile(int placemarks, int points);

// Writes the content to the path, replacing any file there.
void SaveInput(const std::string& path, const std::string& content);

}  // namespace bench
