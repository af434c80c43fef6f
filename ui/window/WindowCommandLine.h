// SPDX-License-Identifier: GPL-3.0-or-later
// The window program's own options, answered before any window or display is
// opened: --help and --version. Everything else is a file to open (or an
// option of the toolkit's).
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

std::string WindowHelpText();
std::string WindowVersionText();

// The exit status when the arguments (without the program's name) ask only
// for an answer, printed to out; none when the window is to open. An option
// of ours after "--" is a file name.
std::optional<int> AnswerCommandLine(const std::vector<std::string>& arguments, std::FILE* out);
