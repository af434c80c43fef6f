// SPDX-License-Identifier: GPL-3.0-or-later
// The Kestrelmaps native text files: waypoints (.wpt), one track (.plt) and
// routes (.rte, written only).
#pragma once

#include "core/format_rows.h"

#include <cstdint>
#include <string>
#include <utility>

#include "core/track_destination.h"

void ReadWaypointFile(const std::string& fileName);
void WriteWaypointFile(const std::string& fileName);

void ReadTrackFile(const std::string& fileName);
void WriteTrackFile(const std::string& fileName);

void WriteRouteFile(const std::string& fileName);

// A track point's altitude in whole feet, as the track file shows it; -777
// when it has none.
std::int64_t TrackFeet(float metres);

// One native track file per track handed over that has points, named after
// the output name (TrackFileName) and counted in TrackFilesWritten; past
// kMaxTrackFiles files it raises ConversionError.
class KesTrackFiles final : public TrackDestination {
public:
    explicit KesTrackFiles(std::string outputName) : outputName_(std::move(outputName)) {}
    void TakeStoreTrack(int number) override;

private:
    std::string outputName_;
};

// Hands the store's track, number `number` of an input of several tracks, to
// the destination the conversion chose; without one it becomes native track
// file `number` of outputName.
void HandOverTrack(const std::string& outputName, int number);

ReadResult ReadWaypointFile(const InputSource& source, const ReadOptions& options);
ReadResult ReadTrackFile(const InputSource& source, const ReadOptions& options);
// The waypoints, and the routes in a route file beside them (WriteRouteFile).
WriteResult WriteWaypointFile(const Document& document, const WriteRequest& request);
// A native track file per track: the output itself, or BASE_N.plt when the
// request numbers track files.
WriteResult WriteTrackFile(const Document& document, const WriteRequest& request);
