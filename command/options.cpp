// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/options.h"

#include <algorithm>
#include <cstdlib>
#include <getopt.h>
#include <iterator>

#include "core/text/code_page.h"
#include "plan/folder_walk.h"
#include "repair/shift_text.h"

namespace {
enum LongOnly {
    kListFormats = 256,
    kDate,
    kNoClobber,
    kStrict,
    kReport,
    kBrief,
    kInfo,
    kJson,
    kExclude,
    kInclude,
    kManPage,
    kCompletion,
    kTz,
    kRollover,
    kShift,
    kRawTexts,
    kCharset,
    kWait,
    kRecover,
    kStepOption = 512  // plus the row's place in the table
};
using Value = OptionDescription::Value;

const OptionDescription kOptions[] = {
    {'i', "input-format", "FORMAT",
     "read the inputs as FORMAT; without it, the format\n"
     "of each input is told from its content (or its\n"
     "extension, for a format without a signature)",
     Value::FormatIn},
    {'o', "output-format", "FORMAT",
     "write FORMAT; without it, the format is told\n"
     "from the extension of OUTPUT; an input's own\n"
     "format is written only with a repair or a\n"
     "shaping step (--rollover, --simplify ...)",
     Value::FormatOut},
    {'O', "output", "OUTPUT",
     "the file to write, exactly as named ('-': standard\n"
     "output), or a folder for the outputs; without it,\n"
     "each output goes beside its input",
     Value::File},
    {'e', "each", nullptr,
     "convert each input on its own into the folder\n"
     "OUTPUT, named after the input; a folder given as\n"
     "an input stands for the files in it; without it,\n"
     "several inputs, of any formats, are read together\n"
     "into one output"},
    {'r', "recursive", nullptr,
     "with --each, the files of the folders' subfolders\ntoo, in the same subfolders of OUTPUT"},
    {'\0', "exclude", "GLOB",
     "leave out the files of a folder whose path below\n"
     "it matches GLOB (a shell pattern; repeatable)",
     Value::Text},
    {'\0', "include", "GLOB",
     "take only the files of a folder whose path below\n"
     "it matches GLOB (repeatable)",
     Value::Text},
    {'n', "dry-run", nullptr,
     "convert as the command would, then write nothing:\n"
     "print the files it would write, the refusals and\n"
     "the status it would give"},
    {'\0', "no-clobber", nullptr, "never replace an existing file: a conversion that\nwould is refused"},
    {'\0', "wait", "SECONDS",
     "wait at most SECONDS (0: not at all) while another\n"
     "conversion puts files into an output's folder;\n"
     "without it, as long as that takes, said after a\n"
     "second",
     Value::Text},
    {'\0', "strict", nullptr, "exit with status 3 when something was written but\ndata was left out"},
    {'\0', "report", "FILE",
     "write what became of each input to FILE, as JSON\n"
     "('-': standard output); FILE is checked as an\n"
     "output is, before anything is converted",
     Value::File},
    {'\0', "raw-texts", nullptr,
     "write the texts of a csv output as they are: without\n"
     "it, a text that a spreadsheet would take for a\n"
     "formula (starting with = + - @, TAB or CR) starts\n"
     "with an apostrophe"},
    {'q', "quiet", nullptr, "print only warnings and errors"},
    {'\0', "brief", nullptr, "print one line per input (the default with --each\nand --dry-run)"},
    {'v', "verbose", nullptr, "print every progress line of each conversion\n(the default otherwise)"},
    {'\0', "charset", "NAME",
     "the code page of the 8-bit formats' texts, read\n"
     "and written: a name iconv knows (cp1251,\n"
     "windows-1250, iso-8859-7, koi8-r; 'iconv -l' lists\n"
     "them) or auto, the default: UTF-8 when the texts\n"
     "are, else a guess from the texts, else cp1252;\n"
     "outputs are written in the code page read",
     Value::Text},
    {'\0', "date", "YYYY-MM-DD",
     "the date of inputs whose points give only their\n"
     "time of day (NMEA GGA sentences without a dated\n"
     "RMC or ZDA, Magellan track lines), and of points\n"
     "without any time that native outputs need one for\n"
     "(MapSend and Magellan waypoints, Nobletec marks);\n"
     "without it, such points have no date",
     Value::Text},
    {'\0', "tz", "ZONE",
     "the inputs hold wall-clock times of ZONE (a name\n"
     "of the time-zone database, as Europe/Berlin):\n"
     "they become UTC by the zone's rules at each date;\n"
     "with --info, times are shown in ZONE beside UTC",
     Value::Text},
    {'\0', "rollover", "N",
     "add N times 1024 weeks (1 without N) to every\n"
     "time: the repair of a receiver's week rollover;\n"
     "with --info, times are shown as it makes them",
     Value::None, true},
    {'\0', "shift", "DURATION",
     "add DURATION to every time: a sign, then amounts\n"
     "of w, d, h, m and s in that order (+3h, -1d2h30m,\n"
     "+45s); after the other repairs",
     Value::Text},
    {'\0', "split-gap", "TIME",
     "split each track where no point was logged for\n"
     "more than TIME (30m, 2h); the pieces of a track\n"
     "NAME are NAME-1, NAME-2 ... (NAME-01 ... from ten\n"
     "pieces on); the shaping steps, from here to\n"
     "--fit, apply in the order given",
     Value::Text},
    {'\0', "split-distance", "LENGTH", "split each track where two points lie more than\nLENGTH apart (500m, 2km)",
     Value::Text},
    {'\0', "split-day", "ZONE",
     "split each track at midnight UTC, or of ZONE (an\n"
     "IANA name such as Europe/Berlin)",
     Value::Text, true},
    {'\0', "split-points", "N", "split each track into pieces of at most N points", Value::Text},
    {'\0', "merge", "join",
     "merge every track into one, its points in time\n"
     "order, each track a section of it; with =join,\n"
     "one section",
     Value::None, true},
    {'\0', "simplify", "LENGTH",
     "leave out the points of tracks and routes that\n"
     "lie within LENGTH (5m) of the line of the others",
     Value::Text},
    {'\0', "simplify-to", "N", "simplify each track and route of more than N\npoints just enough to keep N",
     Value::Text},
    {'\0', "crop-time", "FROM..TO",
     "keep the track points timed from FROM to TO\n"
     "(2024-05-01T08:00Z..2024-05-01T18:00Z; either may\n"
     "be left out)",
     Value::Text},
    {'\0', "crop-box", "S,W,N,E", "keep the points inside the box, in degrees", Value::Text},
    {'\0', "dedupe", "LENGTH", "leave out a waypoint of the same name as one\nbefore it within LENGTH (25m)",
     Value::Text},
    {'\0', "drop-repeats", nullptr, "leave out track points equal to the one before"},
    {'\0', "drop-unfixed", nullptr, "leave out track points logged without a fix"},
    {'\0', "max-speed", "SPEED",
     "leave out track points reached faster than SPEED\n"
     "(300kmh, 20m/s, 60mph, 30kn) from the point before",
     Value::Text},
    {'\0', "fit", nullptr,
     "simplify each track and route over what the output\n"
     "holds just enough to fit, instead of cutting it"},
    {'\0', "info", nullptr,
     "print the figures of what each INPUT holds (points,\n"
     "sections, times, length, elevations, bounding box)\n"
     "and convert nothing"},
    {'\0', "json", nullptr, "with --info or --list-formats, print JSON"},
    {'\0', "list-formats", nullptr, "list the format names, their kinds and extensions"},
    {'\0', "man-page", nullptr, "print the manual page, in roff, and exit"},
    {'\0', "completion", "SHELL", "print the completion script of SHELL (bash, zsh\nor fish) and exit", Value::Text},
    {'\0', "recover", nullptr,
     "settle what a conversion stopped outright (killed,\n"
     "a power cut) left half put in place in each\n"
     "FOLDER given: its new files all put in place when\n"
     "they are all there, the old ones put back\n"
     "otherwise (a conversion into the folder does it\n"
     "too); convert nothing"},
    {'h', "help", nullptr, "display this help and exit"},
    {'V', "version", nullptr, "output version information and exit"},
};

int IdOf(const OptionDescription& d)
{
    if (d.shortName != '\0') return d.shortName;
    const std::string name = d.name;
    if (name == "list-formats") return kListFormats;
    if (name == "man-page") return kManPage;
    if (name == "completion") return kCompletion;
    if (name == "date") return kDate;
    if (name == "charset") return kCharset;
    if (name == "no-clobber") return kNoClobber;
    if (name == "strict") return kStrict;
    if (name == "raw-texts") return kRawTexts;
    if (name == "report") return kReport;
    if (name == "brief") return kBrief;
    if (name == "info") return kInfo;
    if (name == "exclude") return kExclude;
    if (name == "include") return kInclude;
    if (name == "tz") return kTz;
    if (name == "rollover") return kRollover;
    if (name == "shift") return kShift;
    if (name == "wait") return kWait;
    if (name == "recover") return kRecover;
    if (IsStepOption(name)) return kStepOption + static_cast<int>(&d - std::begin(kOptions));
    return kJson;
}

const OptionDescription* Described(int id)
{
    for (const OptionDescription& d : kOptions)
        if (IdOf(d) == id) return &d;
    return nullptr;
}

std::vector<option> LongOptions()
{
    std::vector<option> options;
    for (const OptionDescription& d : kOptions)
        options.push_back({d.name,
                           d.optionalValue ? optional_argument
                           : d.value       ? required_argument
                                           : no_argument,
                           nullptr, IdOf(d)});
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

// A long option getopt refused: unknown, ambiguous (its candidates named),
// or given a value it does not take.
std::string Refused(const std::string& typed)
{
    if (typed.rfind("--", 0) != 0 || (optopt > 0 && optopt < 256))
        return "unknown option '-" + std::string(1, static_cast<char>(optopt)) + "'";
    const std::string name = typed.substr(2, typed.find('=') - 2);
    std::vector<std::string> candidates;
    for (const OptionDescription& d : kOptions) {
        if (name == d.name) candidates = {d.name};
        if (name == d.name) break;
        if (std::string(d.name).rfind(name, 0) == 0) candidates.push_back(d.name);
    }
    std::sort(candidates.begin(), candidates.end());
    if (candidates.size() == 1) return "option '--" + candidates.front() + "' takes no value";
    if (candidates.empty()) return "unknown option '--" + name + "'";
    std::string text = "option '--" + name + "' is ambiguous: did you mean ";
    for (std::size_t i = 0; i < candidates.size(); ++i)
        text += (i == 0 ? "" : i + 1 == candidates.size() ? " or " : ", ") + ("--" + candidates[i]);
    return text + "?";
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

// A whole number of seconds, as typed: digits only, at most nine.
std::optional<std::chrono::seconds> SecondsOf(const std::string& text)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::chrono::seconds(std::stol(text));
}

// With --recover, only how long to wait and how much to say go.
std::string RecoverCombinationError(const std::vector<int>& given)
{
    for (const int id : given)
        if (id != 1 && id != kRecover && id != kWait && id != 'q')
            if (const OptionDescription* d = Described(id))
                return "option '--" + std::string(d->name) + "' does not go with '--recover'";
    return {};
}

// "-" is standard input among the inputs, standard output as the output.
std::string Standard(const std::string& name, const char* stream) { return name == "-" ? stream : name; }

std::string CombinationError(const ConvertOptions& o, const std::vector<int>& given)
{
    using Action = ConvertOptions::Action;
    if (o.action == Action::Recover) return RecoverCombinationError(given);
    if (o.json && o.action != Action::Info && o.action != Action::ListFormats)
        return "option '--json' goes with '--info' or '--list-formats'";
    if (o.action == Action::Info)
        for (const int id : {int('O'), int('o'), int('e'), int('r'), int('n'), int(kNoClobber), int(kReport),
                             int(kDate), int(kExclude), int(kInclude), int(kShift), int(kWait)})
            if (std::find(given.begin(), given.end(), id) != given.end())
                return "option '--" + std::string(Described(id)->name) + "' does not go with '--info'";
    if (o.action == Action::Info && !o.steps.empty())
        return "option '--" + o.steps.front().option + "' does not go with '--info'";
    if (o.recursive && !o.each) return "option '--recursive' goes with '--each'";
    for (const auto& [option, patterns] : {std::pair{"exclude", &o.excludes}, std::pair{"include", &o.includes}}) {
        for (const std::string& pattern : *patterns)
            if (const std::string problem = PatternProblem(pattern); !problem.empty())
                return "option '--" + std::string(option) + "': the pattern '" + pattern + "' is broken: " + problem;
        if (!patterns->empty() && !o.each)
            return "option '--" + std::string(option) +
                   "' goes with '--each', which walks the folders among the inputs";
    }
    // Only a walk into subfolders finds a path of a '/'.
    for (const std::string& pattern : o.includes)
        if (!o.recursive && pattern.find('/') != std::string::npos)
            return "option '--include': the pattern '" + pattern +
                   "' takes files of subfolders, and only '--recursive' (-r) walks them";
    if (o.each && o.output == "/dev/stdout") return "with --each, -O names a folder, not standard output";
    if (o.output == "/dev/stdout" && o.report == "/dev/stdout")
        return "the report and the output cannot both go to standard output";
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
    std::vector<int> given;
    opterr = 0;
    optind = 0;  // a fresh scan, also when called again in one process
    for (int c; (c = getopt_long(argc, argv, shortOptions.c_str(), longOptions.data(), nullptr)) != -1;) {
        given.push_back(c);
        // An empty value names nothing: an unset variable in a script, not a choice.
        if (optarg != nullptr && *optarg == '\0' && c != 1) {
            const OptionDescription* d = Described(c);
            parsed.error = "option '" + (d ? "--" + std::string(d->name) : std::string(argv[optind - 1])) +
                           "' is given an empty value";
            return parsed;
        }
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
        case kRawTexts: o.rawTexts = true; break;
        case kReport: o.report = Standard(optarg, "/dev/stdout"); break;
        case kExclude: o.excludes.push_back(optarg); break;
        case kInclude: o.includes.push_back(optarg); break;
        case 'q': o.progress = Progress::Quiet; break;
        case kBrief: o.progress = Progress::Brief; break;
        case 'v': o.progress = Progress::Verbose; break;
        case kInfo: o.action = Action::Info; break;
        case kRecover: o.action = Action::Recover; break;
        case kWait:
            o.wait = SecondsOf(optarg);
            if (!o.wait) {
                parsed.error = "option '--wait' takes a whole number of seconds, not '" + std::string(optarg) + "'";
                return parsed;
            }
            break;
        case kJson: o.json = true; break;
        case kListFormats: o.action = Action::ListFormats; break;
        case 'h': o.action = Action::Help; return parsed;
        case 'V': o.action = Action::Version; return parsed;
        case kManPage: o.action = Action::ManPage; return parsed;
        case kCompletion:
            o.action = Action::Completion;
            o.completionShell = optarg;
            if (o.completionShell != "bash" && o.completionShell != "zsh" && o.completionShell != "fish")
                parsed.error = "option '--completion' takes bash, zsh or fish, not '" + o.completionShell + "'";
            return parsed;
        case kDate:
            o.logDate = DateOf(optarg);
            if (!o.logDate) {
                parsed.error = "option '--date' needs a date as YYYY-MM-DD, not '" + std::string(optarg) + "'";
                return parsed;
            }
            break;
        case kCharset:
            try {
                if (optarg != kAutomaticCodePage) CodePage::Open(optarg);
                o.codePage = optarg;
            } catch (const UnknownCodePage& unknown) {
                parsed.error = "option '--charset': " + std::string(unknown.what());
                return parsed;
            }
            break;
        case kTz:
            o.zone = TimeZone::Named(optarg);
            if (!o.zone) {
                parsed.error = "option '--tz' needs a zone of the time-zone database (as Europe/Berlin), not '" +
                               std::string(optarg) + "'";
                return parsed;
            }
            break;
        case kRollover:
            o.rollovers = optarg == nullptr ? 1 : std::atoi(optarg);
            if (optarg != nullptr &&
                (std::string(optarg) != std::to_string(o.rollovers) || o.rollovers < 1 || o.rollovers > 9)) {
                parsed.error = "option '--rollover' takes a count from 1 to 9, not '" + std::string(optarg) + "'";
                return parsed;
            }
            break;
        case kShift:
            if (const auto shift = ParseShift(optarg)) {
                o.shift = *shift;
                o.shiftText = optarg;
            } else {
                parsed.error =
                    "option '--shift' needs a duration as +3h or -1d2h30m, not '" + std::string(optarg) + "'";
                return parsed;
            }
            break;
        case ':': parsed.error = "option '" + AsTyped(argv[optind - 1]) + "' needs a value"; return parsed;
        default:
            if (c >= kStepOption && c < kStepOption + static_cast<int>(std::size(kOptions))) {
                StepChoice choice{kOptions[c - kStepOption].name, optarg ? optarg : ""};
                if (const MadeStep made = MakeStep(choice); !made.step) {
                    parsed.error = made.error;
                    return parsed;
                }
                o.steps.push_back(std::move(choice));
                break;
            }
            parsed.error = Refused(argv[optind - 1]);
            return parsed;
        }
    }
    for (int i = optind; i < argc; ++i) o.inputs.push_back(Standard(argv[i], "/dev/stdin"));
    if (o.inputs.empty() && o.action == Action::Recover) parsed.error = "option '--recover' needs a folder";
    else if (o.inputs.empty() && o.action != Action::ListFormats) parsed.error = "no input file given";
    else parsed.error = CombinationError(o, given);
    return parsed;
}
