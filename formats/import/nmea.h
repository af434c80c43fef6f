// SPDX-License-Identifier: GPL-3.0-or-later
// NMEA 0183 logs of "$GPRMC" and "$GPGGA" sentences, read as one track.
#pragma once

#include <string>

void ReadNmeaLogFile(const std::string& fileName);
