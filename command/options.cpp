// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/options.h"

#include <getopt.h>

namespace {
enum LongOnly { kListFormats = 256, kDate };

const option kLongOptions[] = {
    {"input-format", required_argument, nullptr, 'i'},
    {"output-format", required_argument, nullptr, 'o'},
    {"output", required_argument, nullptr, 'O'},
    {"each", no_argument, nullptr, 'e'},
    {"quiet", no_argument, nullptr, 'q'},
    {"list-formats", no_argument, nullptr, kListFormats},
    {"date", required_argument, nullptr, kDate},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

// The leading '-' hands over input names in place, so that options may follow
// them whatever POSIXLY_CORRECT says; ':' reports a missing value apart.
constexpr const char* kShortOptions = "-:i:o:O:eqhV";

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
}  // namespace

ParsedOptions ParseOptions(int argc, char** argv)
{
    ParsedOptions parsed;
    ConvertOptions& o = parsed.options;
    opterr = 0;
    optind = 0;  // a fresh scan, also when called again in one process
    for (int c; (c = getopt_long(argc, argv, kShortOptions, kLongOptions, nullptr)) != -1;) {
        switch (c) {
        case 1: o.inputs.emplace_back(optarg); break;
        case 'i': o.inputFormat = optarg; break;
        case 'o': o.outputFormat = optarg; break;
        case 'O': o.output = optarg; break;
        case 'e': o.each = true; break;
        case 'q': o.quiet = true; break;
        case 'h': o.action = ConvertOptions::Action::Help; return parsed;
        case 'V': o.action = ConvertOptions::Action::Version; return parsed;
        case kListFormats: o.action = ConvertOptions::Action::ListFormats; return parsed;
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
    for (int i = optind; i < argc; ++i) o.inputs.emplace_back(argv[i]);
    if (o.inputs.empty()) parsed.error = "no input file given";
    return parsed;
}
