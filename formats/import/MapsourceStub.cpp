// Placeholder until the MapSource readers land.
#include "formats/import/Mapsource.h"
#include "formats/import/MapsourceGDB.h"

void ReadMapsourceMpsFile(const std::string&, const std::string&) {}
void ReadMapsourceGdbFile(const std::string&, const std::string&) {}
