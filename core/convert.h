// SPDX-License-Identifier: GPL-3.0-or-later
// The Convert action: checks the user's choices, runs one reader into the
// point store and one writer out of it, and reports progress lines.
#pragma once

#include <string>
#include <vector>

#include "core/conversion_record.h"
#include "core/format_rows.h"
#include "core/frontend.h"
#include "core/track_destination.h"

// True when the conversion's reader hands its tracks over as it reads them,
// rather than leaving one track in the store.
bool HandsOverTracks(const Conversion& c);

// True when the conversion reads every input file chosen together, not only
// the first one: native track files into one Holux image or one GPX file.
bool ReadsEveryChosenFile(int inputPosition, int outputPosition);

// Runs the action against the front end. Errors of readers and writers
// propagate to the caller after the cursor is restored.
void Convert(FrontEnd& frontEnd);
