// Placeholder until the NMEA reader lands.
#include "formats/import/nmea.h"

void ReadNmeaLogFile(const std::string&) {}
