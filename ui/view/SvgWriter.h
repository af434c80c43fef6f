// SPDX-License-Identifier: GPL-3.0-or-later
// A picture written as SVG by the module kes_svg, the only part of the window
// that links the SVG library.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <functional>

class QPainter;

using DrawFunction = std::function<void(QPainter& painter, QSize size)>;
// The module's entry point: the SVG document of the picture into out; false
// with the reason in error when it cannot be made.
using WriteSvgFunction = bool (*)(QByteArray& out, QSize size, const QString& title, const DrawFunction& draw,
                                  QString& error);
inline constexpr char kWriteSvg[] = "KesWriteSvg";

// Loads kes_svg and makes the SVG document of the picture draw makes, of the given size.
bool WriteSvg(QByteArray& out, QSize size, const QString& title, const DrawFunction& draw, QString& error);
