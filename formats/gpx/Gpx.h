// GPX 1.0 and 1.1 files: waypoints and routes, tracks; read with a streaming
// XML parser, written as GPX 1.1.
#pragma once

#include <functional>
#include <string>

// Resets the waypoints and routes, then stores every wpt as a waypoint and
// every rte in the next route slot from 1.
void ReadGpxWaypointFile(const std::string& fileName);

// Resets the track and loads each trk into the store's one track in turn;
// once a track is complete, onTrack (when given) is called with its number
// (1, 2, ...) while the store holds it. Afterwards the store holds the last
// track. Returns the number of tracks.
int ReadGpxTrackFile(const std::string& fileName, const std::function<void(int track)>& onTrack = {});

// What the store's day counts are: UTC, as most readers store them, or the
// host's local time (the readers that stamp points with the time of reading),
// which the writers turn into UTC.
enum class StoreTimes { Utc, Local };

// Writes the store's waypoints and routes to fileName with its extension
// replaced by ".gpx".
void WriteGpxWaypointFile(const std::string& fileName, StoreTimes times = StoreTimes::Utc);

// Collects tracks, each taken from the store when it is added, and writes
// them as the trk elements of one file.
class GpxTrackWriter {
public:
    explicit GpxTrackWriter(StoreTimes times = StoreTimes::Utc);
    // The store's current track, as one more trk with a trkseg per section.
    void AddStoreTrack();
    int TrackCount() const { return tracks_; }
    // Writes the file (extension replaced by ".gpx") with every track added.
    void Write(const std::string& fileName) const;

private:
    StoreTimes times_;
    std::string tracksXml_;
    int tracks_ = 0;
    int leftOut_ = 0;  // points without a valid position
};
