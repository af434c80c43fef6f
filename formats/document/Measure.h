// SPDX-License-Identifier: GPL-3.0-or-later
// The figures of everything a file holds: each track, each route and the set
// of waypoints, measured as the outputs that keep everything see them.
#pragma once

#include <string>
#include <vector>

#include "core/figures.h"
#include "core/frontend.h"

struct GroupFigures {
    std::string name;  // UTF-8
    Figures figures;
};

struct FileFigures {
    std::vector<GroupFigures> tracks;
    std::vector<GroupFigures> routes;
    Figures waypoints;
    bool refused = false;     // the reader refused the file
    bool readInPart = false;  // the file ends inside a record, or was cut at a capacity
};

// Reads the file as the input format at inputPosition and measures it; the
// front end takes the reader's messages. File errors propagate.
FileFigures MeasureFile(FrontEnd& frontEnd, const std::string& file, int inputPosition);
