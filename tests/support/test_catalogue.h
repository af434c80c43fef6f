// SPDX-License-Identifier: GPL-3.0-or-later
// The catalogue of every format the program knows, made once for the tests
// that need it, as each front end makes its own.
#pragma once

#include "core/convert/catalogue.h"
#include "formats/format_table.h"

inline const FormatCatalogue& TestCatalogue()
{
    static const FormatCatalogue catalogue(KnownFormats());
    return catalogue;
}
