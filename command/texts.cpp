// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/texts.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "command/options.h"
#include "core/catalogue.h"
#include "core/format_lookup.h"
#include "core/text_fields.h"

namespace {
constexpr std::size_t kHelpColumn = 30;

std::vector<std::string> Lines(const char* text)
{
    std::vector<std::string> lines;
    std::string line;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '\n') lines.push_back(std::move(line)), line.clear();
        else line += *c;
    }
    lines.push_back(line);
    return lines;
}

std::string HelpOptions()
{
    std::string text;
    for (const OptionDescription& o : OptionDescriptions()) {
        std::string left = o.shortName != '\0' ? std::string("  -") + o.shortName + ", --" : "      --";
        left += std::string(o.name) + (o.value ? std::string("=") + o.value : "");
        const std::vector<std::string> lines = Lines(o.help);
        text += left.size() + 1 < kHelpColumn ? left + std::string(kHelpColumn - left.size(), ' ')
                                              : left + "\n" + std::string(kHelpColumn, ' ');
        for (std::size_t i = 0; i < lines.size(); ++i)
            text += (i == 0 ? "" : std::string(kHelpColumn + 2, ' ')) + lines[i] + "\n";
    }
    return text;
}

// Text for the man page: dashes as minus signs, backslashes doubled.
std::string Roff(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '-') out += "\\-";
        else if (c == '\\') out += "\\e";
        else out += c;
    }
    return out;
}

std::string ManOptions()
{
    std::string text;
    for (const OptionDescription& o : OptionDescriptions()) {
        text += ".TP\n";
        if (o.shortName != '\0') text += std::string("\\fB\\-") + o.shortName + "\\fR, ";
        text += "\\fB\\-\\-" + Roff(o.name) + "\\fR" + (o.value ? "=\\fI" + Roff(o.value) + "\\fR" : "") + "\n";
        std::string help;
        for (const std::string& line : Lines(o.help)) help += (help.empty() ? "" : " ") + line;
        help[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(help[0])));
        text += Roff(help) + ".\n";
    }
    return text;
}

const char* const kStatuses = R"(0   everything was read and written
  1   a conversion was refused or failed (nothing was written for it)
  2   the command line is wrong
  3   with --strict: everything was converted, but data was left out (a cut
      at a capacity, unusable points, a damaged file read in part)
)";
}  // namespace

std::string HelpText()
{
    return std::string(R"(Usage: kes-convert [OPTION]... INPUT... [-O OUTPUT]
  or:  kes-convert --info [--json] INPUT...
Convert satellite-navigation files (waypoints, routes and tracks) from one
format into another. INPUT '-' is standard input.

)") + HelpOptions() +
           R"(
Waypoint formats convert only into waypoint formats, track formats only into
track formats. Progress lines go to standard error; so does each warning and
error, as one line "kes-convert: INPUT: TEXT".

Exit status:
  )" + kStatuses;
}

std::string ManPageText()
{
    return std::string(R"man(.\" Made by 'kes-convert --man-page' from the option table of the command.
.TH KES-CONVERT 1 "2026" "kesTranscribe" "User Commands"
.SH NAME
kes-convert \- convert GPS waypoint, track and route files from the command line
.SH SYNOPSIS
.B kes-convert
.RI [ OPTION ]...
.IR INPUT ...
.RB [ \-O
.IR OUTPUT ]
.br
.B kes-convert \-\-info
.RB [ \-\-json ]
.IR INPUT ...
.br
.B kes-convert \-\-list\-formats
.SH DESCRIPTION
.B kes-convert
converts the files of satellite-navigation devices and programs (waypoints,
routes and tracks) from one format into another, the way the window of
.BR kesTranscribe (1)
does, for scripts, batches and other programs.
.PP
Waypoint formats convert only into waypoint formats, track formats only into
track formats.
The file written is exactly
.IR OUTPUT ;
where a conversion writes several files (one Kestrelmaps track file per
track), a single track is
.I OUTPUT
itself and several are
.IR BASE _1. EXT ,
.IR BASE _2. EXT ,
\&...; every file written is listed.
.B \-
is standard input as an input and standard output as
.IR OUTPUT ;
a format that writes several files refuses it.
.PP
The outputs
.BR gpx ,
.BR kml ,
.B \%geojson
and
.B csv
take everything the input holds (waypoints, routes and tracks together) into
one file: GPX 1.1, KML 2.2 for virtual globes, GeoJSON for web maps and GIS,
and CSV, one row per point, for spreadsheets.
.PP
Formats are named by the names that
.B \-\-list\-formats
prints.
When
.B \-i
is left out, the format of each input is told from its content; by its
extension only for a format without a signature, and never a text file taken
for a format it does not parse.
Where that leaves two formats of one file type (a
.I .gpx
or
.I .gdb
file holds waypoints and tracks), the kind of the output format settles it.
.PP
With
.BR \-\-each ,
the names every conversion may write (the output, its numbered track files,
a route file beside it) are checked against the inputs and each other before
anything is written; a conversion whose names clash is refused.
Each input gets one line,
.I "INPUT \-> FILES (counts)"
or
.IR "kes-convert: INPUT: not converted: reason" ,
and a closing line sums them up.
.SH OPTIONS
)man") + ManOptions() +
           R"man(.SH OUTPUT
Standard output carries only the texts of
.BR \-\-help ,
.BR \-\-version ,
.B \-\-list\-formats
and
.BR \-\-info ,
and an output written to
.BR \- .
Everything else goes to standard error.
.SH EXIT STATUS
.TP
.B 0
Everything was read and written.
.TP
.B 1
A conversion was refused or failed; nothing was written for it.
.TP
.B 2
The command line is wrong.
.TP
.B 3
With
.BR \-\-strict :
everything was converted, but data was left out (a cut at a capacity,
unusable points, a damaged file read in part).
.SH EXAMPLES
Every track of a MapSource file, as Kestrelmaps track files
.IR trip_1.plt ,
.IR trip_2.plt ,
\&...:
.PP
.RS
.B kes-convert trip.gdb \-O trip.plt
.RE
.PP
Every track of a MapSource file into one GPX file:
.PP
.RS
.B kes-convert \-i mapsource\-trk trip.gdb \-O trip.gpx
.RE
.PP
Everything a GPX file holds, for a web map:
.PP
.RS
.B kes-convert ride.gpx \-O ride.geojson
.RE
.PP
Each file of a memory card, subfolders included, into GPX files in the same
folders under
.IR tracks ,
with a report for programs:
.PP
.RS
.B kes-convert \-\-each \-r \-o gpx \-O tracks \-\-report report.json card
.RE
.PP
An NMEA log from a pipe to GPX on standard output:
.PP
.RS
.B cat ride.nmea | kes-convert \-o gpx\-trk \- \-O \- > ride.gpx
.RE
.PP
The figures of what a file holds:
.PP
.RS
.B kes-convert \-\-info trip.gdb
.RE
.SH SEE ALSO
.BR kesTranscribe (1)
.SH COPYRIGHT
Copyright \(co 2026 the Kestrelmaps developers.
License GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.
This is free software: you are free to change and redistribute it.
There is NO WARRANTY, to the extent permitted by law.
)man";
}

std::string VersionText()
{
    return std::string(kCommandName) + " (kesTranscribe) " KES_VERSION "\n" +
           "Copyright (C) 2026 the Kestrelmaps developers.\n"
           "License GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.\n";
}

namespace {
std::string KindInWords(const std::string& kind)
{
    if (kind == "wp") return "waypoints";
    if (kind == "trk") return "tracks";
    if (kind == kEverythingKind) return "everything";
    return kind;
}

std::string ExtensionsOf(const FileType_Record& row)
{
    std::string text;
    for (const std::string& extension : FormatExtensions(row)) text += (text.empty() ? "." : " .") + extension;
    return text.empty() ? "-" : text;
}

// Every column is as wide as its longest entry and two blanks.
std::string Padded(const std::string& text, std::size_t width) { return PadRightSpaces(text, static_cast<int>(width)); }

std::string Section(const char* title, FormatTable table)
{
    std::size_t nameWidth = 0, kindWidth = 0, extensionWidth = 0;
    for (const FileType_Record& row : table) {
        nameWidth = std::max(nameWidth, row.Name.size());
        kindWidth = std::max(kindWidth, KindInWords(row.Kind).size());
        extensionWidth = std::max(extensionWidth, ExtensionsOf(row).size());
    }
    std::string text = std::string(title) + "\n";
    for (const FileType_Record& row : table)
        text += "  " + Padded(row.Name, nameWidth + 2) + Padded(KindInWords(row.Kind), kindWidth + 2) +
                Padded(ExtensionsOf(row), extensionWidth + 2) + row.DisplayName + "\n";
    return text;
}
}  // namespace

std::string FormatListText()
{
    return Section("Input formats (-i):", InputFormats) + "\n" + Section("Output formats (-o):", OutputFormats);
}
