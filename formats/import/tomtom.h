// SPDX-License-Identifier: GPL-3.0-or-later
// TomTom .ov2 point files.
#pragma once

#include "core/convert/format_rows.h"

ReadResult ReadTomTomFile(const InputSource& source, const ReadOptions& options);
// The waypoints, each a simple point record: its position in whole 1e-5
// degrees and its name in the Windows code page where that holds it, else in
// UTF-8. Routes and tracks are not written.
WriteResult WriteTomTomFile(const Document& document, const WriteRequest& request);
