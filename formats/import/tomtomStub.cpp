// Placeholder until the TomTom reader lands.
#include "formats/import/tomtom.h"

void ReadTomTomFile(const std::string&, const std::string&) {}
