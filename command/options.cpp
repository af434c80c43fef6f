// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/options.h"

#include <getopt.h>

namespace {
enum LongOnly { kListFormats = 256, kDate, kNoClobber, kStrict, kReport, kBrief, kInfo, kJson, kManPage };

const OptionDescription kOptions[] = {
    {'i', "input-format", "FORMAT",
     "read the inputs as FORMAT; without it, the format\n"
     "of each input is told from its content (or its\n"
     "extension, for a format without a signature)"},
    {'o', "output-format", "FORMAT", "write FORMAT; without it, the format is told\nfrom the extension of OUTPUT"},
    {'O', "output", "OUTPUT",
     "the file to write, exactly as named ('-': standard\n"
     "output), or a folder for the outputs; without it,\n"
     "each output goes beside its input"},
    {'e', "each", nullptr,
     "convert each input on its own into the folder\n"
     "OUTPUT, named after the input; a folder given as\n"
     "an input stands for the files in it; without it,\n"
     "several inputs are converted together (kes-plt\n"
     "files into one holux-tlg or gpx-trk file)"},
    {'r', "recursive", nullptr,
     "with --each, the files of the folders' subfolders\ntoo, in the same subfolders of OUTPUT"},
    {'n', "dry-run", nullptr, "print what would be read as what and written\nwhere, and write nothing"},
    {'\0', "no-clobber", nullptr, "never replace an existing file: a conversion that\nwould is refused"},
    {'\0', "strict", nullptr, "exit with status 3 when something was written but\ndata was left out"},
    {'\0', "report", "FILE", "write what became of each input to FILE, as JSON"},
    {'q', "quiet", nullptr, "print only warnings and errors"},
    {'\0', "brief", nullptr, "print one line per input (the default with --each)"},
    {'v', "verbose", nullptr, "print every progress line of each conversion\n(the default without --each)"},
    {'\0', "date", "YYYY-MM-DD",
     "the date of an NMEA log whose fixes give only\n"
     "their time of day (GGA sentences without a dated\n"
     "RMC); without it, such fixes have no date"},
    {'\0', "info", nullptr,
     "print the figures of what each INPUT holds (points,\n"
     "sections, times, length, elevations, bounding box)\n"
     "and convert nothing"},
    {'\0', "json", nullptr, "with --info, print the figures as JSON"},
    {'\0', "list-formats", nullptr, "list the format names, their kinds and extensions"},
    {'h', "help", nullptr, "display this help and exit"},
    {'V', "version", nullptr, "output version information and exit"},
};

int IdOf(const OptionDescription& d)
{
    if (d.shortName != '\0') return d.shortName;
    const std::string name = d.name;
    if (name == "list-formats") return kListFormats;
    if (name == "date") return kDate;
    if (name == "no-clobber") return kNoClobber;
    if (name == "strict") return kStrict;
    if (name == "report") return kReport;
    if (name == "brief") return kBrief;
    if (name == "info") return kInfo;
    return kJson;
}

// The getopt table of the options above, and the hidden one that prints the man page.
std::vector<option> LongOptions()
{
    std::vector<option> options;
    for (const OptionDescription& d : kOptions)
        options.push_back({d.name, d.value ? required_argument : no_argument, nullptr, IdOf(d)});
    options.push_back({"man-page", no_argument, nullptr, kManPage});
    options.push_back({nullptr, 0, nullptr, 0});
    return options;
}

// The leading '-' hands over input names in place, so that options may follow
// them whatever POSIXLY_CORRECT says; ':' reports a missing value apart.
std::string ShortOptions()
{
    std::string text = "-:";
    for (const OptionDescription& d : kOptions)
        if (d.shortName != '\0') text += std::string(1, d.shortName) + (d.value ? ":" : "");
    return text;
}

// The option that lacks its value, the last of its argument: a long one as
// typed, a short one alone (it may have been bundled with others).
std::string AsTyped(const char* argument)
{
    const std::string text = argument;
    return text.rfind("--", 0) == 0 ? text : "-" + std::string(1, static_cast<char>(optopt));
}
// YYYY-MM-DD, a date of the calendar; nothing otherwise.
std::optional<std::chrono::year_month_day> DateOf(const std::string& text)
{
    const auto digits = [&](std::size_t from, std::size_t count) {
        int value = 0;
        for (std::size_t i = from; i < from + count; ++i) {
            if (text[i] < '0' || text[i] > '9') return -1;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const int year = digits(0, 4), month = digits(5, 2), day = digits(8, 2);
    if (year < 1 || month < 0 || day < 0) return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok()) return std::nullopt;
    return date;
}

// "-" is standard input among the inputs, standard output as the output.
std::string Standard(const std::string& name, const char* stream) { return name == "-" ? stream : name; }

std::string CombinationError(const ConvertOptions& o)
{
    if (o.json && o.action != ConvertOptions::Action::Info) return "option '--json' goes with '--info'";
    if (o.recursive && !o.each) return "option '--recursive' goes with '--each'";
    if (o.each && o.output == "/dev/stdout") return "with --each, -O names a folder, not standard output";
    return {};
}
}  // namespace

std::span<const OptionDescription> OptionDescriptions() { return kOptions; }

ParsedOptions ParseOptions(int argc, char** argv)
{
    ParsedOptions parsed;
    ConvertOptions& o = parsed.options;
    using Action = ConvertOptions::Action;
    using Progress = ConvertOptions::Progress;
    const std::vector<option> longOptions = LongOptions();
    const std::string shortOptions = ShortOptions();
    opterr = 0;
    optind = 0;  // a fresh scan, also when called again in one process
    for (int c; (c = getopt_long(argc, argv, shortOptions.c_str(), longOptions.data(), nullptr)) != -1;) {
        switch (c) {
        case 1: o.inputs.push_back(Standard(optarg, "/dev/stdin")); break;
        case 'i': o.inputFormat = optarg; break;
        case 'o': o.outputFormat = optarg; break;
        case 'O': o.output = Standard(optarg, "/dev/stdout"); break;
        case 'e': o.each = true; break;
        case 'r': o.recursive = true; break;
        case 'n': o.dryRun = true; break;
        case kNoClobber: o.noClobber = true; break;
        case kStrict: o.strict = true; break;
        case kReport: o.report = optarg; break;
        case 'q': o.progress = Progress::Quiet; break;
        case kBrief: o.progress = Progress::Brief; break;
        case 'v': o.progress = Progress::Verbose; break;
        case kInfo: o.action = Action::Info; break;
        case kJson: o.json = true; break;
        case 'h': o.action = Action::Help; return parsed;
        case 'V': o.action = Action::Version; return parsed;
        case kListFormats: o.action = Action::ListFormats; return parsed;
        case kManPage: o.action = Action::ManPage; return parsed;
        case kDate:
            o.logDate = DateOf(optarg);
            if (!o.logDate) {
                parsed.error = "option '--date' needs a date as YYYY-MM-DD, not '" + std::string(optarg) + "'";
                return parsed;
            }
            break;
        case ':': parsed.error = "option '" + AsTyped(argv[optind - 1]) + "' needs a value"; return parsed;
        default:
            parsed.error = optopt != 0 ? "unknown option '-" + std::string(1, static_cast<char>(optopt)) + "'"
                                       : "unknown or ambiguous option '" + std::string(argv[optind - 1]) + "'";
            return parsed;
        }
    }
    for (int i = optind; i < argc; ++i) o.inputs.push_back(Standard(argv[i], "/dev/stdin"));
    if (o.inputs.empty()) parsed.error = "no input file given";
    else parsed.error = CombinationError(o);
    return parsed;
}
