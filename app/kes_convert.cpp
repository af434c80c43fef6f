// SPDX-License-Identifier: GPL-3.0-or-later
// kes-convert: converts satellite-navigation files from the command line.
#include <cstdio>

#include "command/run.h"

int main(int argc, char** argv) { return RunConvertCommand(argc, argv, stdout, stderr); }
