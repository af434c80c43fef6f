// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/WindowCommandLine.h"

std::string WindowHelpText()
{
    return R"(Usage: kesTranscribe [FILE]...
Open the converter's window, with the FILEs (waypoints, routes or tracks) as
the input choice; the input format follows their content.

  -h, --help     display this help and exit
  -V, --version  output version information and exit

Use -- before a FILE whose name starts with a dash. For conversions without a
window, see kes-convert --help.
)";
}

std::string WindowVersionText()
{
    return "kesTranscribe " KES_VERSION "\n"
           "Copyright (C) 2026 the Kestrelmaps developers.\n"
           "License GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.\n";
}

std::optional<int> AnswerCommandLine(const std::vector<std::string>& arguments, std::FILE* out)
{
    for (const std::string& argument : arguments) {
        if (argument == "--") break;
        const bool help = argument == "--help" || argument == "-h";
        if (!help && argument != "--version" && argument != "-V") continue;
        const std::string text = help ? WindowHelpText() : WindowVersionText();
        std::fputs(text.c_str(), out);
        return std::fflush(out) == 0 && !std::ferror(out) ? 0 : 1;
    }
    return std::nullopt;
}
