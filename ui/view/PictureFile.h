// SPDX-License-Identifier: GPL-3.0-or-later
// A picture drawn into a PNG or an SVG file (by the name's extension), put in
// place by the safe writer: the map and the profile are saved alike.
#pragma once

#include <QSize>
#include <QString>

#include "ui/view/SvgWriter.h"

// False with the reason when it cannot be written.
bool SavePicture(const QString& file, QSize picture, qreal pixelRatio, const QString& title, const DrawFunction& draw,
                 QString& error);
