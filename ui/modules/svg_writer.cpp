// SPDX-License-Identifier: GPL-3.0-or-later
// The module kes_svg: a picture written as an SVG file.
#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

#include "ui/view/SvgWriter.h"

extern "C" Q_DECL_EXPORT bool KesWriteSvg(QByteArray& out, QSize size, const QString& title, const DrawFunction& draw,
                                          QString& error)
{
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
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
    if (out.isEmpty()) {
        error = "The picture could not be made";
        return false;
    }
    return true;
}
