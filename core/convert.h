// The Convert action: checks the user's choices, runs one reader into the
// point store and one writer out of it, and reports progress lines.
#pragma once

#include <string>
#include <vector>

#include "core/frontend.h"

// Set by a reader that rejects its file; the action then writes no native output.
extern bool ReadFailed;
// The native track files a reader wrote itself during this conversion, in order.
extern std::vector<std::string> TrackFilesWritten;

// True when the conversion reads every input file chosen together, not only
// the first one.
bool ReadsEveryChosenFile(int inputPosition, int outputPosition);

// Runs the action against the front end. Errors of readers and writers
// propagate to the caller after the cursor is restored.
void Convert(FrontEnd& frontEnd);
