// SPDX-License-Identifier: GPL-3.0-or-later
// Wintec TES track logs: a stream of 16-byte records, one per logged fix,
// some marked as the start of a log or as a waypoint the button marked.
#pragma once

#include "core/convert/format_rows.h"

// The logs as tracks (a new one at each start mark) and the marked fixes as
// waypoints besides, as the mode asks; what it passes over is counted.
ReadResult ReadWintecTesFile(const InputSource& source, const ReadOptions& options);
