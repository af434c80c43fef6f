// SPDX-License-Identifier: GPL-3.0-or-later
// The shell completions of kes-convert, made from its option table and its
// format table (format names after -i and -o), for the package to install.
#pragma once

#include <string>

// The completion script for "bash", "zsh" or "fish". Needs the catalogue built.
std::string CompletionScript(const std::string& shell);
