// Placeholder until the Nobletec reader lands.
#include "formats/import/Nobletec.h"

void ReadNobletecWaypoints(const std::string&) {}
void ReadNobletecTracks(const std::string&) {}
