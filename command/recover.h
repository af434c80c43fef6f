// SPDX-License-Identifier: GPL-3.0-or-later
// Files a conversion killed outright left half put in place: settled by
// --recover, or by a conversion into their folder, and said in one line each;
// and how a conversion waits for a folder another run is putting files into.
#pragma once

#include <cstdio>
#include <string>

#include "command/options.h"
#include "core/io/output_transaction.h"

// What became of the sets of one journal, after "FOLDER: "; empty when
// none needed settling.
std::string RecoveryLine(const RecoveredJournal& journal);

// The settings of a conversion's commits: the wait --wait bounds, said after
// a second, and each set settled in a folder written into, said on `err`.
PlacingSettings PlacingSettingsFor(const ConvertOptions& options, std::FILE* err);

// --recover: settles each folder given; 0 when every one was settled (or
// held nothing to settle), 1 otherwise.
int RunRecover(const ConvertOptions& options, std::FILE* err);
