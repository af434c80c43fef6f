// SPDX-License-Identifier: GPL-3.0-or-later
// What a file's content says of its input format, for the window: wherever a
// file comes from, it is read as what it is, never as a format left selected
// from an earlier file.
#pragma once

#include <optional>
#include <string>
#include <vector>

class FormatCatalogue;

// The input format to read the file as, for the output format chosen (-1:
// none): the selected one where the content may be it and the output takes
// its kind; else the one its signature names (of the output's kind; the first
// where the output takes everything or none is chosen), else one its
// extension names among formats without a signature; the selected one when
// nothing is known or the file cannot be read.
int InputFormatFor(const FormatCatalogue& catalogue, const std::string& file, int selected, int outputPosition);

// True when the content names formats and the one at position is not among
// them: the file is not read as it then.
bool ContentIsNot(const FormatCatalogue& catalogue, const std::string& file, int position);

// "walk.gpx holds GPX Waypoints/Routes (.gpx), not Kestrelmaps Waypoint (.wpt)."
std::string WhatTheFileIs(const FormatCatalogue& catalogue, const std::string& file, int found, int chosen);

// A file whose content names no format: what it looks like ("looks like
// text: \"just some words\"") and the formats it may be, those its extension
// names first, then the others of its look.
struct FormatNotTold {
    std::string looks;
    std::vector<int> mayBe;
};
// None when the content names a format, or the file is no regular file or cannot be read.
std::optional<FormatNotTold> FormatNotToldOf(const FormatCatalogue& catalogue, const std::string& file);
// "notes.dat: no format found in it; it looks like text: \"just some words\""
std::string NotToldLine(const std::string& file, const FormatNotTold& notTold);

// The open dialog's filters in the catalogue's "description|pattern" form:
// "All supported files" (every extension a format names), each format's own,
// then "All files".
std::string OpenDialogFilter(const FormatCatalogue& catalogue);
