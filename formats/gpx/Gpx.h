// SPDX-License-Identifier: GPL-3.0-or-later
// GPX 1.0 and 1.1 files: waypoints and routes, tracks; read with a streaming
// XML parser, written as GPX 1.1.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/file_io.h"
#include "core/format_rows.h"
#include "core/store.h"
#include "core/track_destination.h"
#include "formats/document/DocumentWriter.h"

// A GPX 1.1 file of the parts of the store given (kWaypointsAndRoutes,
// kTracksOnly, kEverything), named fileName exactly.
class GpxDocument : public DocumentWriter {
public:
    GpxDocument(const std::string& fileName, StoreTimes times, unsigned parts);

protected:
    void Head(std::string& out) override;
    void Foot(std::string& out) override;
    void Waypoint(std::string& out, const PointView& point) override;
    void Route(std::string& out, const GroupView& route, const std::vector<PointView>& points) override;
    void Track(std::string& out, const GroupView& track, int number) override;
};

// Writes the store's waypoints and routes to fileName with its extension
// replaced by ".gpx".
void WriteGpxWaypointFile(const std::string& fileName, StoreTimes times = StoreTimes::Utc);

// Tracks as the trk elements of one GPX file (extension replaced by ".gpx"),
// each written out as it is added, so memory does not grow with the number
// of tracks; Commit completes the file and puts it in place. A writer left
// without Commit leaves no file, and an earlier file of that name as it was.
class GpxTrackWriter final : public GpxDocument {
public:
    // The file is made once its first piece is written (SafeFileWriter), not
    // before the input is read.
    explicit GpxTrackWriter(const std::string& fileName, StoreTimes times = StoreTimes::Utc);
    // The store's current track, as one more trk with a trkseg per section.
    void AddStoreTrack() { TakeStoreTrack(0); }
    void Commit() { Finish(); }
};

ReadResult ReadGpxFile(const InputSource& source, const ReadOptions& options);
// GPX 1.1 files of the waypoints and routes, of the tracks, or of everything.
WriteResult WriteGpxWaypointFile(const Document& document, const WriteRequest& request);
WriteResult WriteGpxTrackFile(const Document& document, const WriteRequest& request);
WriteResult WriteGpxFile(const Document& document, const WriteRequest& request);
