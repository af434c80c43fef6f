// SPDX-License-Identifier: GPL-3.0-or-later
// kes-convert: conversions from the command line, each through the Convert
// action with a front end of its own, and the figures of files (--info).
#pragma once

#include <cstdio>

// Runs the command line; returns the exit status: 0 when every conversion is
// done, 1 when one was refused or failed, 2 for a usage error, 3 (with
// --strict) when everything was converted but data was left out.
int RunConvertCommand(int argc, char** argv, std::FILE* out, std::FILE* err);
