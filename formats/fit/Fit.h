// SPDX-License-Identifier: GPL-3.0-or-later
// FIT files of fitness devices: activities and courses (a track of their
// records, laps and sessions as its sections) and locations and course
// points (waypoints).
#pragma once

#include "core/convert/format_rows.h"

// Refuses a file without the FIT header; a wrong checksum, a damaged or cut
// record is a finding, and the whole records before it are kept.
ReadResult ReadFitFile(const InputSource& source, const ReadOptions& options);
