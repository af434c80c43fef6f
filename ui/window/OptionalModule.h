// SPDX-License-Identifier: GPL-3.0-or-later
// The window's optional parts (map tiles, SVG saving) are modules of their own,
// loaded on first use, so that the window starts without the libraries they need.
#pragma once

#include <QString>
#include <QtGlobal>

// The entry point named function of module (kes_tiles, kes_svg), found beside
// the installed program or in the build tree; null with the reason in error
// when the module or its entry point cannot be loaded. A module, once loaded,
// stays loaded.
QFunctionPointer ModuleFunction(const QString& module, const char* function, QString& error);
