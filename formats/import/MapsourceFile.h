// SPDX-License-Identifier: GPL-3.0-or-later
// MapSource input of either kind, told apart by the file's own signature.
#pragma once

#include "core/convert/format_rows.h"

// Runs the .mps or the .gdb reader, whichever the file's signature names,
// whatever its extension. A file with neither is refused.
ReadResult ReadMapsourceFile(const InputSource& source, const ReadOptions& options);
