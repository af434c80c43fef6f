// SPDX-License-Identifier: GPL-3.0-or-later
// The one survey of what a conversion loses: it compares what a document
// holds with what the output's row declares it holds, and gives one finding
// per kind of loss ("names of 14 waypoints cut to 8 characters", "links of
// 3 waypoints dropped: a .kml holds none"), for every output alike.
#pragma once

#include <cstdint>

#include "core/convert/output_holds.h"
#include "core/document/document.h"
#include "core/document/findings.h"

// The parts of the inputs that the reads passed over, the output holding none of them.
struct PartsPassedOver {
    std::int64_t waypoints = 0, routes = 0, tracks = 0;
};

// Adds a finding per kind of data of the document (and of the parts passed
// over) that the output does not hold, or holds only in part.
void SurveyLosses(const Document& document, const PartsPassedOver& passedOver, const OutputHolds& holds,
                  Findings& findings);
