// SPDX-License-Identifier: GPL-3.0-or-later
// The land of the world at 1:110 million (Natural Earth, public domain),
// shipped with the program, so that the map gives the data a place offline.
#pragma once

#include <QList>
#include <QPolygonF>
#include <QString>

// Polygons of longitude (x) and latitude (y) in degrees; each polygon is
// its rings, the first the outline and the others its holes.
using LandPolygons = QList<QList<QPolygonF>>;

// Decodes the TopoJSON text of a land outline; empty when it is not one.
// Every arc index is checked, so a damaged file gives nothing, never a crash.
LandPolygons ParseLandOutline(const QByteArray& topoJson);

// The shipped outline, read once on first use: beside the program, in the
// build tree's share folder, or in the installed share folder.
const LandPolygons& LandOutline();
// Where the shipped outline is looked for, in order.
QStringList LandOutlinePlaces();
