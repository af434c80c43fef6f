// SPDX-License-Identifier: GPL-3.0-or-later
// What an output's format has no place for of the inputs as a whole: the
// tracks a waypoint format leaves out, and the file's own details.
#pragma once

#include <cstdint>

#include "core/format_rows.h"

// The tracks the reads for a waypoint output passed over, told once for all the inputs.
void TellTracksLeftOut(std::int64_t tracks, const OutputFormatRow& output, Findings& findings);
// One finding per kind of the file's details (its name, description, author
// ...) that the output holds none of.
void TellFileDetailsLeftOut(const Metadata& metadata, const OutputFormatRow& output, Findings& findings);
