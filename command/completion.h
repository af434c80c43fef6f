// SPDX-License-Identifier: GPL-3.0-or-later
// The shell completions of kes-convert, made from its option table and its
// format table (format names after -i and -o), for the package to install.
#pragma once

#include <string>

class FormatCatalogue;

// The completion script for "bash", "zsh" or "fish".
std::string CompletionScript(const FormatCatalogue& catalogue, const std::string& shell);
