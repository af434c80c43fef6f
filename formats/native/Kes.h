// The Kestrelmaps native text files: waypoints (.wpt), one track (.plt) and
// routes (.rte, written only).
#pragma once

#include <string>

void ReadWaypointFile(const std::string& fileName);
void WriteWaypointFile(const std::string& fileName);

void ReadTrackFile(const std::string& fileName);
void WriteTrackFile(const std::string& fileName);

void WriteRouteFile(const std::string& fileName);
