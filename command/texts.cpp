// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/texts.h"

#include <algorithm>

#include "command/options.h"
#include "core/catalogue.h"
#include "core/format_lookup.h"
#include "core/text_fields.h"

std::string HelpText()
{
    return R"(Usage: kes-convert [OPTION]... INPUT... [-O OUTPUT]
Convert satellite-navigation files (waypoints, routes and tracks) from one
format into another.

  -i, --input-format=FORMAT   read the inputs as FORMAT; without it, the format
                                of each input is told from its content or its
                                extension, and the choice is printed
  -o, --output-format=FORMAT  write FORMAT; without it, the format is told from
                                the extension of OUTPUT
  -O, --output=OUTPUT         the output file, or a folder for the outputs;
                                without it, each output goes beside its input
  -e, --each                  convert each input on its own into the folder
                                OUTPUT, named after the input; without it,
                                several inputs are converted together
                                (kes-plt files into one holux-tlg or
                                gpx-trk file)
  -q, --quiet                 print no progress lines, only messages
      --date=YYYY-MM-DD       the date of an NMEA log whose fixes give only
                                their time of day (GGA sentences without a
                                dated RMC); without it, such fixes have no date
      --list-formats          list the format names, their kinds and extensions
  -h, --help                  display this help and exit
  -V, --version               output version information and exit

Waypoint formats convert only into waypoint formats, track formats only into
track formats. Progress lines go to standard error, and so does each message
of a conversion, as "kes-convert: TEXT".

Exit status: 0 when every conversion is done, 1 when one was refused or
failed, 2 when the command line is wrong.
)";
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
