// SPDX-License-Identifier: GPL-3.0-or-later
// kes-convert --info: the figures of what each input holds, as text or JSON
// (--json), without converting anything.
#pragma once

#include <cstdio>

#include "command/options.h"
#include "command/terminal_text.h"

class FormatCatalogue;

// Returns the exit status: 0 when every file was read whole, 1 when one could
// not be read or its format told (3 with --strict when one was read in part).
int RunInfo(const FormatCatalogue& catalogue, const ConvertOptions& options, CommandOutput& out, std::FILE* err);
