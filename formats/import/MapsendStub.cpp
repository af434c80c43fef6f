// Placeholder until the MapSend reader lands.
#include "formats/import/Mapsend.h"

void ReadMapsendWaypointFile(const std::string&) {}
void ReadMapsendTrackFile(const std::string&) {}
