// SPDX-License-Identifier: GPL-3.0-or-later
// TomTom .ov2 point files.
#pragma once

#include "core/convert/format_rows.h"

ReadResult ReadTomTomFile(const InputSource& source, const ReadOptions& options);
