// The Holux memory images: the .wrt waypoint and route file and the .tlg track file.
#pragma once

#include <string>
#include <vector>

void ReadHoluxWaypointFile(const std::string& fileName);
void WriteHoluxWaypointFile(const std::string& fileName);

// Writes one native track file per slot that holds points, named after
// outputName with "_", the slot number plus one and ".plt".
void ReadHoluxTrackFile(const std::string& fileName, const std::string& outputName);
// Merges the named native track files (at most five are stored) into one image.
void WriteHoluxTrackFile(const std::vector<std::string>& inputFiles, const std::string& outputName);
// Writes the track held in the store as the image's only track (slot 0), for
// track inputs whose reader fills the store.
void WriteHoluxTrackFileFromStore(const std::string& outputName);
