// SPDX-License-Identifier: GPL-3.0-or-later
// The figures of everything a document holds: each track, each route and the
// set of waypoints, of the points with a usable position.
#pragma once

#include <string>
#include <vector>

#include "core/document/document.h"
#include "core/document/figures.h"

struct GroupFigures {
    std::string name;  // UTF-8
    Figures figures;
};

struct FileFigures {
    std::vector<GroupFigures> tracks;
    std::vector<GroupFigures> routes;
    Figures waypoints;
};

FileFigures MeasureDocument(const Document& document);
