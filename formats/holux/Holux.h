// SPDX-License-Identifier: GPL-3.0-or-later
// The Holux memory images: the .wrt waypoint and route file and the .tlg track file.
#pragma once

#include "core/format_rows.h"

#include <string>
#include <vector>

#include "core/track_destination.h"

void ReadHoluxWaypointFile(const std::string& fileName);
void WriteHoluxWaypointFile(const std::string& fileName);

// Hands over each slot that holds points as track slot + 1 (HandOverTrack):
// by default one native track file per slot, named after outputName with "_",
// the slot number plus one and ".plt".
void ReadHoluxTrackFile(const std::string& fileName, const std::string& outputName);
// Merges the named native track files (at most five are stored) into one image.
void WriteHoluxTrackFile(const std::vector<std::string>& inputFiles, const std::string& outputName);
// Writes the track held in the store as the image's only track (slot 0), for
// track inputs whose reader fills the store.
void WriteHoluxTrackFileFromStore(const std::string& outputName);

// A track image being made: each track handed over takes the next of the five
// slots, its first 2500 points. Save writes the image and then names the
// limits that left tracks or points out.
class HoluxTrackImage final : public TrackDestination {
public:
    HoluxTrackImage();
    void TakeStoreTrack(int number) override;
    // tracksLeftOut: tracks beyond the fifth that were never handed over.
    void Save(const std::string& outputName, bool tracksLeftOut = false) const;

private:
    std::string image_;
    int offered_ = 0;
    int points_ = 0;
    bool pointsDropped_ = false;
};

ReadResult ReadHoluxWaypointFile(const InputSource& source, const ReadOptions& options);
WriteResult WriteHoluxWaypointFile(const Document& document, const WriteRequest& request);
ReadResult ReadHoluxTrackFile(const InputSource& source, const ReadOptions& options);
WriteResult WriteHoluxTrackFile(const Document& document, const WriteRequest& request);
