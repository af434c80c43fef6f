// Placeholder until the Holux images land.
#include "formats/holux/Holux.h"

void ReadHoluxWaypointFile(const std::string&) {}
void WriteHoluxWaypointFile(const std::string&) {}
void ReadHoluxTrackFile(const std::string&, const std::string&) {}
void WriteHoluxTrackFile(const std::vector<std::string>&, const std::string&) {}
void WriteHoluxTrackFileFromStore(const std::string&) {}
