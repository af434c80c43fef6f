// SPDX-License-Identifier: GPL-3.0-or-later
// What kes-convert prints for --help, --version and --list-formats, and its man page.
#pragma once

#include <string>

class FormatCatalogue;

// --help and the man page (printed by --man-page, which
// man/kes-convert.1 is made from) both list the options of the option table.
std::string HelpText();
std::string ManPageText(const FormatCatalogue& catalogue);
std::string VersionText();
// Both format tables: name, kind, extensions and caption of every row, in
// columns as wide as their longest entry.
std::string FormatListText(const FormatCatalogue& catalogue);
// The same as JSON: {"input": [...], "output": [...]}, each row with its
// name, kind, extensions and caption.
std::string FormatListJson(const FormatCatalogue& catalogue);
