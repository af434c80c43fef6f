// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/texts.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "command/json_text.h"
#include "command/options.h"
#include "core/convert/catalogue.h"
#include "core/convert/format_lookup.h"
#include "core/text/text_fields.h"
#include "formats/native/KesRecords.h"

namespace {
constexpr std::size_t kHelpColumn = 30;

std::string KindInWords(FormatKind kind)
{
    switch (kind) {
    case FormatKind::Waypoints: return "waypoints";
    case FormatKind::Tracks: return "tracks";
    case FormatKind::Everything: break;
    }
    return "everything";
}

std::string ExtensionsOf(const FileType_Record& row)
{
    std::string text;
    for (const std::string& extension : FormatExtensions(row)) text += (text.empty() ? "." : " .") + extension;
    return text.empty() ? "-" : text;
}

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
        left += std::string(o.name) + (o.optionalValue ? std::string("[=") + o.value + "]"
                                       : o.value       ? std::string("=") + o.value
                                                       : "");
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
        text += "\\fB\\-\\-" + Roff(o.name) + "\\fR" +
                (o.optionalValue ? "[=\\fI" + Roff(o.value) + "\\fR]"
                 : o.value       ? "=\\fI" + Roff(o.value) + "\\fR"
                                 : "") +
                "\n";
        std::string help;
        for (const std::string& line : Lines(o.help)) help += (help.empty() ? "" : " ") + line;
        help[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(help[0])));
        text += Roff(help) + ".\n";
    }
    return text;
}

// The sections of the man page that are prose.
const char* const kFoldersSection = R"man(.SH FOLDERS
With
.BR \-\-each ,
a folder among the inputs stands for the regular files in it and the links
to them; with
.BR \-r ,
for those of its subfolders too.
Pipes, sockets and devices are skipped and named, links to folders are not
followed, and nothing is opened before its conversion.
The files and folders that memory cards and other systems keep for
themselves
.RI ( ._* ,
.IR .Spotlight\-V100 ,
.IR .Trashes ,
.IR .fseventsd ,
.IR "System Volume Information" ,
.IR $RECYCLE.BIN ,
.IR Thumbs.db ,
.IR desktop.ini )
and the temporary files of
.B kes-convert
.RI ( .kes\-*.tmp )
are skipped and counted.
The patterns of
.B \-\-exclude
and
.B \-\-include
are matched against the path below the folder given, as in
.IR logs/day1.log ;
a
.B *
matches a slash too.
A folder that cannot be read is named, and the command ends with status 1.
A temporary file that a killed run left more than a day ago is removed by the
next run that writes into its folder.
)man";

const char* const kOutputSection = R"man(.SH OUTPUT
Standard output carries only the texts of
.BR \-\-help ,
.BR \-\-version ,
.B \-\-list\-formats
and
.BR \-\-info ,
an output written to
.B \-
and a report written to
.BR \- ;
a failed write to it gives status 1.
Everything else goes to standard error, one line each, control characters
and bidirectional controls shown as
.BR \exHH .
Every loss is said there in every mode, one warning line each: points cut at
a capacity, points left out, points written without time or given the time
of conversion, texts cut.
.PP
Each output and the report are checked before anything is written: never an
input, never a name another conversion writes, never a file or pipe another
user put in a sticky folder that every user may write in, nor a link there
of theirs.
An input that gives nothing the output holds is refused, and a file of that
name is kept.
Files are put in place once complete and flushed to disk, each on its own
(a large batch, while the system has little else to write, by one flush of
its file system), with their folder locked against another run putting files
there at the same time; a run that waits for that lock says so after a
second, and with
.B \-\-wait
gives up after as many seconds as it says, the conversion refused.
.PP
While the files of a conversion that writes several are put in place, a
journal lies beside them
.RI ( .kes\- XXXXXXXX .journal ,
hidden like their temporary files
.RI .kes\- XXXXXXXX .tmp ),
so that a run stopped outright (killed, a power cut) half way through is
settled by the next run that writes into the folder, or by
.BR \-\-recover :
every new file put in place when all of them are still there, every old file
put back otherwise; a line says which.
A damaged journal is left as it is and said.
Temporary files another run left are removed once a day old, unless a journal
is beside them.
.PP
The report
.RB ( \-\-report )
is a JSON object: the entries skipped in the folders given
.RB ( skipped ),
the folders that could not be read
.RB ( unreadableFolders ),
one entry per input
.RB ( files :
.BR input ,
.BR status ,
.BR output ,
.BR written ,
or
.B wouldWrite
in a dry run, counts and
.BR warnings ),
the totals and
.BR interrupted ,
true when a signal ended the command; it is written then too.
A file name that is not UTF-8 is given read as Latin-1, and beside it, as
.IB NAME _bytes\fR,
its bytes in hexadecimal.
)man";

const char* const kEnvironmentSection = R"man(.SH ENVIRONMENT
.TP
.B TMPDIR
The folder of the files kept aside while a conversion runs (the tracks of a
large document, an output bound for standard output or a pipe);
.I /tmp
without it.
When it cannot be used, the output's own folder is; when neither can, the
conversion is refused with a message that names the temporary folder.
.TP
.B TZ
The time zone of the few local times a conversion uses, such as the date
that names a Nobletec track; every time written into a file is UTC.
.TP
.B SOURCE_DATE_EPOCH
Seconds since 1970\-01\-01 UTC: the time of conversion, which the formats
that must hold a time give to points that have none and a GPX file holds as
the time it was made, so that a conversion can be repeated byte for byte.
)man";

const char* const kStatuses = R"(0   everything was read and written
  1   a conversion was refused or failed (nothing was written for it), a
      folder could not be read, the report could not be written, or
      standard output could not be written; with --recover, a folder
      could not be settled
  2   the command line is wrong (the report names an input or an output)
  3   with --strict: everything was converted, but data was left out (a cut
      at a capacity, unusable points, points without time or given the
      time of conversion, texts cut, a damaged file read in part)
)";
}  // namespace

std::string HelpText()
{
    return std::string(R"(Usage: kes-convert [OPTION]... INPUT... [-O OUTPUT]
  or:  kes-convert --info [--json] INPUT...
  or:  kes-convert --recover [--wait=SECONDS] FOLDER...
Convert satellite-navigation files (waypoints, routes and tracks) from one
format into another. INPUT '-' is standard input.

)") + HelpOptions() +
           R"(
Waypoint formats convert only into waypoint formats, track formats only into
track formats. Progress lines go to standard error; so does each warning and
error, as one line "kes-convert: INPUT: TEXT", control characters (and
bidirectional controls) shown as \xHH. The man page tells the formats, their
limits and the environment.

Exit status:
  )" + kStatuses;
}

// Every format of the format table, for the man page.
std::string ManFormats(const FormatCatalogue& catalogue)
{
    std::string text = ".SH FORMATS\nInput formats\n.RB ( \\-i ):\n";
    const auto rows = [&](FormatTable table) {
        for (const FileType_Record& row : table)
            text += ".TP\n.B " + Roff(row.Name) + "\n" + Roff(row.DisplayName) + "; " + KindInWords(row.Kind) +
                    (FormatExtensions(row).empty() ? "" : ", " + Roff(ExtensionsOf(row))) + ".\n";
    };
    rows(catalogue.Inputs());
    text += ".PP\nOutput formats\n.RB ( \\-o ):\n";
    rows(catalogue.Outputs());
    return text;
}

// What each output holds at most; an input of more is cut, with a warning.
std::string ManLimits()
{
    const auto n = [](long long value) { return Grouped(value); };
    return ".SH LIMITS\nA conversion reads everything its inputs hold; each output format takes what it can\n"
           "hold, and what it cannot is cut.\n"
           ".TP\n.BR kes\\-wpt \", \" kes\\-plt\n" +
           n(kes::kMaxWaypoints) + " waypoints, " + n(kes::kMaxRouteIndex) + " routes of at most " +
           n(kes::kMaxRoutePoints) + " points, " + n(kes::kMaxTrackPoints) +
           " points per track; one track file per track, at most " + n(static_cast<long long>(kes::kMaxTrackFiles)) +
           " files.\n"
           ".TP\n.B holux\\-wrt\n500 waypoints, 20 routes of at most 30 points; names of 8 and descriptions of\n"
           "12 characters.\n"
           ".TP\n.B holux\\-tlg\n5 tracks of at most 2,500 points; track names of 12 and descriptions of 13\n"
           "characters; positions only, without\n"
           "times or elevations.\n"
           ".TP\n.BR gpx \", \" gpx\\-wpt \", \" gpx\\-trk \", \" kml \", \" geojson \", \" csv \", \" tomtom\\-ov2\n"
           "No limit of their own.\n"
           ".PP\nA count cut at one of these limits, or a text cut to its length, is said in a warning line, and\n"
           "with\n.B \\-\\-strict\ngives status 3.\n";
}

std::string ManPageText(const FormatCatalogue& catalogue)
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
.RB [ \-\-json ]
.br
.B kes-convert \-\-recover
.RB [ \-\-wait\fR=\fISECONDS ]
.IR FOLDER ...
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
           kFoldersSection + ManFormats(catalogue) + ManLimits() + kOutputSection + kEnvironmentSection +
           R"man(.SH EXIT STATUS
.TP
.B 0
Everything was read and written.
.TP
.B 1
A conversion was refused or failed (nothing was written for it), a folder
could not be read, the report could not be written (it is checked before
anything is converted), or standard output could not be written; with
.BR \-\-recover ,
a folder could not be settled (a damaged journal, an error).
.TP
.B 2
The command line is wrong; so is a report that names an input or an output.
.TP
.B 3
With
.BR \-\-strict :
everything was converted, but data was left out or made up: a cut at a
capacity, unusable points, points without time or given the time of
conversion, texts cut, a damaged file read in part.
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
The conversions that a power cut stopped while they put files into
.IR tracks ,
settled:
.PP
.RS
.B kes-convert \-\-recover tracks
.RE
.PP
The figures of what a file holds:
.PP
.RS
.B kes-convert \-\-info trip.gdb
.RE
.PP
The tracks of a MapSource file split at pauses of over ten minutes and
simplified to within 5 metres, into one GPX file:
.PP
.RS
.B kes-convert \-i mapsource\-trk trip.gdb \-O trip.gpx \-\-split\-gap 10m \-\-simplify 5m
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

std::string FormatListJson(const FormatCatalogue& catalogue)
{
    const auto rows = [](FormatTable table) {
        std::string text;
        for (const FileType_Record& row : table) {
            std::string extensions;
            for (const std::string& e : FormatExtensions(row))
                extensions += (extensions.empty() ? "" : ", ") + JsonString(e);
            text += std::string(text.empty() ? "\n" : ",\n") + "  {\"name\": " + JsonString(row.Name) +
                    ", \"kind\": " + JsonString(KindInWords(row.Kind)) + ", \"extensions\": [" + extensions +
                    "], \"caption\": " + JsonString(row.DisplayName) + "}";
        }
        return text;
    };
    return "{\"input\": [" + rows(catalogue.Inputs()) + "\n ],\n \"output\": [" + rows(catalogue.Outputs()) + "\n ]}\n";
}

std::string FormatListText(const FormatCatalogue& catalogue)
{
    return Section("Input formats (-i):", catalogue.Inputs()) + "\n" +
           Section("Output formats (-o):", catalogue.Outputs());
}
