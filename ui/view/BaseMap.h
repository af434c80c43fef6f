// SPDX-License-Identifier: GPL-3.0-or-later
// The map's land and country borders offline (Natural Earth, public domain),
// shipped in a compact form at three levels of detail, chosen by zoom, and
// drawn cut to the view so that a town's scale touches only what shows.
#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QStringList>
#include <memory>
#include <vector>

#include "ui/view/BaseMapFile.h"

enum class BaseMapDetail { World = 0, Region = 1, Town = 2 };  // 1:110 m, 1:50 m, 1:10 m
inline constexpr int kBaseMapDetails = 3;

// The detail for a map whose world is so many pixels wide.
BaseMapDetail DetailForScale(double pixelsPerWorld);

// A layer in world units (Web Mercator), as the map draws it.
struct BaseMapShapes {
    struct Shape {
        QRectF box;
        std::uint32_t ringsEnd = 0;  // its rings end before this index of ringEnds
    };
    bool areas = true;
    std::vector<QPointF> points;
    std::vector<std::uint32_t> ringEnds;  // each ring's points end before this index
    std::vector<Shape> shapes;
};
BaseMapShapes ProjectBaseMapLayer(const BaseMapLayer& layer);

struct BaseMapLevel {
    std::shared_ptr<const BaseMapShapes> land, borders;  // never null; empty when not found or damaged
    QString problem;                                     // why a file could not be read, or empty
};

// The shipped level, read once by the first to ask (on any thread).
std::shared_ptr<const BaseMapLevel> ShippedBaseMap(BaseMapDetail detail);
// Where a shipped file is looked for, in order: beside the program, in the
// build tree's or the installed share folder.
QStringList BaseMapPlaces(const QString& name);
// The layer in a file; empty with the reason in problem when it cannot be read.
BaseMapLayer ReadBaseMapLayer(const QString& path, QString& problem);

// The shapes that meet the view (world units), in pixels at origin + world ×
// scale, with points closer than a pixel left out: areas as closed rings cut
// a few pixels beyond the view (the cuts do not show), lines as runs of segments.
QPainterPath BaseMapPath(const BaseMapShapes& layer, QRectF viewWorld, QPointF origin, double scale);
