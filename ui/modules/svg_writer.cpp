// SPDX-License-Identifier: GPL-3.0-or-later
// The module kes_svg: a picture written as an SVG file.
#include <QFileInfo>
#include <QPainter>
#include <QSvgGenerator>

#include "ui/SvgWriter.h"

extern "C" Q_DECL_EXPORT bool KesWriteSvg(const QString& file, QSize size, const QString& title,
                                          const DrawFunction& draw, QString& error)
{
    QSvgGenerator svg;
    svg.setFileName(file);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(), size));
    svg.setTitle(title);
    QPainter painter;
    if (!painter.begin(&svg)) {
        error = "The file could not be written";
        return false;
    }
    draw(painter, size);
    painter.end();
    if (!QFileInfo(file).isFile() || QFileInfo(file).size() == 0) {
        error = "The file could not be written";
        return false;
    }
    return true;
}
