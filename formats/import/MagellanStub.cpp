// Placeholder until the Magellan reader lands.
#include "formats/import/Magellan.h"

void ReadMagellanWaypointFile(const std::string&) {}
void ReadMagellanTrackFile(const std::string&) {}
