// SPDX-License-Identifier: GPL-3.0-or-later
// What kes-convert prints for --help, --version and --list-formats, and its man page.
#pragma once

#include <string>

// --help and the man page (printed by --man-page, which
// man/kes-convert.1 is made from) both list the options of the option table.
std::string HelpText();
std::string ManPageText();
std::string VersionText();
// Both format tables: name, kind, extensions and caption of every row, in
// columns as wide as their longest entry. Needs the catalogue built.
std::string FormatListText();
// The same as JSON: {"input": [...], "output": [...]}, each row with its
// name, kind, extensions and caption.
std::string FormatListJson();
