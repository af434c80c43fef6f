// SPDX-License-Identifier: GPL-3.0-or-later
// A picture written as SVG by the module kes_svg, the only part of the window
// that links the SVG library.
#pragma once

#include <QSize>
#include <QString>
#include <functional>

class QPainter;

using DrawFunction = std::function<void(QPainter& painter, QSize size)>;
// The module's entry point: false with the reason in error when the file cannot be written.
using WriteSvgFunction = bool (*)(const QString& file, QSize size, const QString& title, const DrawFunction& draw,
                                  QString& error);
inline constexpr char kWriteSvg[] = "KesWriteSvg";

// Loads kes_svg and writes the picture draw makes, of the given size, to file.
bool WriteSvg(const QString& file, QSize size, const QString& title, const DrawFunction& draw, QString& error);
