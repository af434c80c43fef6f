// SPDX-License-Identifier: GPL-3.0-or-later
// TomTom .ov2 point files.
#pragma once

#include "core/format_rows.h"

#include <string>

// Fills the waypoint table and writes it as a native waypoint file under
// outputName; an empty outputName leaves the writing to the caller.
void ReadTomTomFile(const std::string& fileName, const std::string& outputName);

ReadResult ReadTomTomFile(const InputSource& source, const ReadOptions& options);
