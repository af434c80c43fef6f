// SPDX-License-Identifier: GPL-3.0-or-later
// What kes-convert prints for --help, --version and --list-formats.
#pragma once

#include <string>

std::string HelpText();
std::string VersionText();
// Both format tables: name, kind, extensions and caption of every row, in
// columns as wide as their longest entry. Needs the catalogue built.
std::string FormatListText();
