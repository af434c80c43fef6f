// SPDX-License-Identifier: GPL-3.0-or-later
// MapSource input of either kind, told apart by the file's own signature.
#pragma once

#include <string>

#include "core/format_rows.h"

// Runs the .mps or the .gdb reader, whichever the file's signature names,
// whatever its extension, in the mode given. A file with neither is refused:
// a message box, a line in the progress pane and ReadFailed.
void ReadMapsourceFile(const std::string& fileName, const std::string& outputName, ReadMode mode);

// A .mps or .gdb file, by its extension, everything it holds.
ReadResult ReadMapsourceFile(const InputSource& source, const ReadOptions& options);
