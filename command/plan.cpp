// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/plan.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

#include "core/catalogue.h"
#include "core/clock.h"
#include "core/convert.h"
#include "core/file_io.h"
#include "core/file_names.h"
#include "core/format_lookup.h"
#include "core/format_rows.h"
#include "core/output_target.h"

namespace fs = std::filesystem;

namespace {
const std::string kListHint = "see '" + std::string(kCommandName) + " --list-formats'";
const std::string kHelpHint = "try '" + std::string(kCommandName) + " --help'";

std::string Names(FormatTable table, const std::vector<int>& rows)
{
    std::string text;
    for (std::size_t i = 0; i < rows.size(); ++i)
        text += (i == 0 ? "" : i + 1 == rows.size() ? " or " : ", ") + table[rows[i]].Name;
    return text;
}

std::string Described(const FileType_Record& row) { return row.Name + " (" + row.DisplayName + ")"; }

const char* InWords(FormatEvidence evidence)
{
    switch (evidence) {
    case FormatEvidence::Signature: return "by its content";
    case FormatEvidence::SignatureAndExtension: return "by its content and extension";
    default: return "by its extension";
    }
}

// An input of the command: a file named, or one found in a folder named, with
// the subfolder it was found in (for the mirrored tree under -O).
struct Input {
    std::string path;
    std::string subfolder;  // relative to the folder named; empty for a file named
};

// The input's name with the output format's extension (".mylog" is a name:
// ".mylog.plt"), in the folder (and subfolder), or beside the input when no
// folder is given.
std::string NameInFolder(const std::string& folder, const Input& input, const FileType_Record& format)
{
    const std::vector<std::string> extensions = FormatExtensions(format);
    const fs::path name =
        fs::path(input.path).filename().replace_extension(extensions.empty() ? "" : "." + extensions.front());
    if (folder.empty()) return (fs::path(input.path).parent_path() / name).string();
    return (fs::path(folder) / input.subfolder / name).lexically_normal().string();
}

// Input formats that are one file format read in two modes (waypoints or
// tracks) read the same when everything is wanted.
bool ReadTheSameForEverything(const std::vector<int>& rows)
{
    for (int row : rows)
        if (InputRow(row).read != InputRow(rows.front()).read) return false;
    return true;
}

struct Request {
    const ConvertOptions& options;
    int inputPosition;   // -1: told from the file
    int outputPosition;  // -1: told from the output name
    bool outputIsFolder;
};

// The format of one input, told from its content unless -i names it; -1
// with the job's refusal set when it cannot be told.
int InputFormatOf(const Request& r, const std::string& input, ConversionJob& job)
{
    if (r.inputPosition >= 0) return r.inputPosition;
    std::vector<std::string> kinds;
    std::vector<int> outputs = r.outputPosition >= 0 ? std::vector<int>{r.outputPosition}
                                                     : FormatsWithExtension(OutputFormats, r.options.output);
    // An output name that a format of everything takes gets everything.
    for (int row : outputs)
        if (OutputFormats[row].Kind == kEverythingKind) outputs = {row};
    for (int row : outputs) kinds.push_back(OutputFormats[row].Kind);
    FormatGuess guess = GuessFormat(InputFormats, input, kinds, true);
    if (guess.candidates.size() > 1 && kinds == std::vector<std::string>{kEverythingKind} &&
        ReadTheSameForEverything(guess.candidates))
        guess.candidates.resize(1);
    const std::string whose = job.inputs.size() > 1 ? input + ": " : "";
    if (guess.candidates.empty()) {
        job.refusal = whose + "cannot tell its format from its content; name it with -i FORMAT (" + kListHint + ")";
        return -1;
    }
    if (guess.candidates.size() > 1) {
        job.refusal = whose + "cannot tell its format: it may be " + Names(InputFormats, guess.candidates) +
                      "; name it with -i FORMAT";
        return -1;
    }
    job.choices.push_back("reading " + input + " as " + Described(InputFormats[guess.candidates.front()]) + ", " +
                          InWords(guess.evidence));
    return guess.candidates.front();
}

// The input formats first, kept to the kinds the output name allows; then the
// output format, kept to the first input's kind. Returns a usage error when the
// output format cannot be told from the output name.
std::string ChooseFormats(const Request& r, const Input& in, ConversionJob& job)
{
    for (const std::string& input : job.inputs) {
        const int position = InputFormatOf(r, input, job);
        if (position < 0) return {};
        job.inputPositions.push_back(position);
    }
    job.inputPosition = job.inputPositions.front();

    job.outputPosition = r.outputPosition;
    if (job.outputPosition < 0) {
        const std::string& kind = InputFormats[job.inputPosition].Kind;
        // Without -i, a name that a format of everything takes gets everything.
        const std::vector<std::string> kinds =
            r.inputPosition < 0 ? std::vector<std::string>{kEverythingKind, kind} : std::vector<std::string>{kind};
        FormatGuess guess = GuessFormat(OutputFormats, r.options.output, kinds, false);
        if (guess.candidates.size() > 1)
            for (int row : guess.candidates)
                if (OutputFormats[row].Kind == kEverythingKind) guess.candidates = {row};
        if (guess.candidates.size() != 1) {
            if (guess.candidates.empty())
                for (const FileType_Record& row : OutputFormats)
                    if (row.Kind == kind) guess.candidates.push_back(row.Position);
            return "cannot tell the output format from the name " + r.options.output + ": it may be " +
                   Names(OutputFormats, guess.candidates) + "; name it with -o FORMAT";
        }
        job.outputPosition = guess.candidates.front();
        job.choices.push_back("writing " + r.options.output + " as " + Described(OutputFormats[job.outputPosition]) +
                              ", " + InWords(guess.evidence));
    }
    job.output =
        r.outputIsFolder ? NameInFolder(r.options.output, in, OutputFormats[job.outputPosition]) : r.options.output;
    return {};
}

std::vector<Input> InputsOf(const ConvertOptions& options, ConversionPlan& plan)
{
    std::vector<Input> inputs;
    const WalkRules rules{options.recursive, options.excludes, options.includes, options.output};
    for (const std::string& name : options.inputs) {
        std::error_code error;
        if (!options.each || !fs::is_directory(name, error)) {
            inputs.push_back({name, {}});
            continue;
        }
        FolderContents contents;
        WalkFolder(name, rules, contents);
        for (WalkedFile& file : contents.files) inputs.push_back({std::move(file.path), std::move(file.subfolder)});
        plan.skipped.insert(plan.skipped.end(), contents.skipped.begin(), contents.skipped.end());
        plan.unreadable.insert(plan.unreadable.end(), contents.unreadable.begin(), contents.unreadable.end());
    }
    return inputs;
}

// A folder among the inputs, read as a file without --each; empty when none is.
std::string FolderWithoutEach(const ConvertOptions& options)
{
    std::error_code ignored;
    if (!options.each)
        for (const std::string& name : options.inputs)
            if (fs::is_directory(name, ignored)) return name;
    return {};
}

// Patterns pick files of the folders among the inputs: given without a
// folder, they would pick nothing and leave nothing out.
std::string PatternsWithoutAFolder(const ConvertOptions& options)
{
    if (options.excludes.empty() && options.includes.empty()) return {};
    std::error_code ignored;
    for (const std::string& name : options.inputs)
        if (fs::is_directory(name, ignored)) return {};
    return "option '--" + std::string(options.excludes.empty() ? "include" : "exclude") +
           "' picks files in the folders given as inputs, and no input is a folder";
}

// A name splits into its folder's identity and its name there, so that the
// names a pattern stands for can be found among others.
struct NameKey {
    std::string folder, name;
    std::string Text() const { return folder + "\n" + name; }
};

class NameKeys {
public:
    NameKey Key(const std::string& path)
    {
        const fs::path p(path);
        const std::string folder = p.parent_path().empty() ? "." : p.parent_path().string();
        auto [it, added] = folders_.try_emplace(folder);
        if (added) it->second = FileIdentity(folder);
        return {it->second, p.filename().string()};
    }

private:
    std::unordered_map<std::string, std::string> folders_;
};

// The key of the pattern "BASE_N.EXT" that a name "BASE_123.EXT" fits; empty when it fits none.
std::string PatternKeyOf(const NameKey& key)
{
    const fs::path name(key.name);
    const std::string stem = name.stem().string();
    std::size_t digits = stem.size();
    while (digits > 0 && stem[digits - 1] >= '0' && stem[digits - 1] <= '9') --digits;
    if (digits == stem.size() || digits == 0 || stem[digits - 1] != '_') return {};
    return NameKey{key.folder, stem.substr(0, digits) + "N" + name.extension().string()}.Text();
}

// Converted one by one, no output (the output named, the track files
// "BASE_N.EXT" and the route file beside it) may replace an input of the
// command or a file an earlier conversion may write.
void RefuseClashes(std::vector<ConversionJob>& jobs, const std::vector<std::string>& inputs)
{
    NameKeys keys;
    // Whose each name is, in words: names taken, the patterns of track files,
    // and the patterns that names taken fit.
    std::unordered_map<std::string, std::string> taken, patterns, fitted;
    std::unordered_map<std::string, std::string> inputFiles;  // by file identity
    const auto take = [&](const NameKey& key, const std::string& owner) {
        taken.emplace(key.Text(), owner);
        if (const std::string pattern = PatternKeyOf(key); !pattern.empty()) fitted.emplace(pattern, owner);
    };
    const auto ownerOf = [&](const NameKey& name, bool isPattern) -> const std::string* {
        const std::string key = name.Text();
        const auto find = [](const auto& map, const std::string& k) {
            auto it = map.find(k);
            return it == map.end() ? nullptr : &it->second;
        };
        if (isPattern) {
            const std::string* owner = find(patterns, key);
            return owner ? owner : find(fitted, key);
        }
        const std::string* owner = find(taken, key);
        return owner ? owner : find(patterns, PatternKeyOf(name));
    };
    for (const std::string& input : inputs) {
        inputFiles.emplace(FileIdentity(input), input);
        take(keys.Key(input), "the input " + input);
    }
    for (ConversionJob& job : jobs) {
        if (!job.refusal.empty()) continue;
        const std::string& input = job.inputs.front();
        // An output that is the job's own input is refused by the Convert action itself.
        const auto same = inputFiles.find(FileIdentity(job.output));
        if (same != inputFiles.end() && same->second != input) {
            job.refusal = "its output " + job.output + " would replace the input " + same->second;
            continue;
        }
        std::vector<DerivedName> names = {{job.output, false}};
        for (const DerivedName& derived : DerivedNames(job.output, job.outputPosition)) names.push_back(derived);
        for (const DerivedName& name : names) {
            const std::string* owner = ownerOf(keys.Key(name.name), name.numbered);
            if (owner == nullptr || *owner == "the input " + input) continue;
            job.refusal = "its output " + name.name + " clashes with " + *owner;
            break;
        }
        if (!job.refusal.empty()) continue;
        for (const DerivedName& name : names) {
            const std::string owner = name.name + ", written for " + input;
            if (name.numbered) patterns.emplace(keys.Key(name.name).Text(), owner);
            else take(keys.Key(name.name), owner);
        }
    }
}

// A device, a pipe or /dev/stdout is written into, and has no place for files beside it.
bool IsWrittenInto(const std::string& path)
{
    try {
        return ResolveOutput(path).kind != OutputTarget::Kind::File;
    } catch (const FileError&) {
        return false;  // the conversion says why
    }
}
}  // namespace

std::vector<DerivedName> DerivedNames(const std::string& output, int outputPosition)
{
    std::vector<DerivedName> names;
    if (outputPosition < 0) return names;
    if (OutputRow(outputPosition).filePerTrack)
        names.push_back({ChangeFileExt(output, "") + "_N" + ExtractFileExt(output), true});
    if (const char* beside = OutputRow(outputPosition).besideExtension)
        names.push_back({ChangeFileExt(output, beside), false});
    return names;
}

std::string ClaimOf(const ConversionPlan& plan, const std::string& name)
{
    NameKeys keys;
    const NameKey key = keys.Key(name);
    const std::string identity = FileIdentity(name), pattern = PatternKeyOf(key);
    for (const ConversionJob& job : plan.jobs) {
        for (const std::string& input : job.inputs)
            if (FileIdentity(input) == identity) return "the input " + input;
        if (!job.refusal.empty() || job.output.empty()) continue;
        if (keys.Key(job.output).Text() == key.Text() || FileIdentity(job.output) == identity)
            return "the output " + job.output;
        for (const DerivedName& derived : DerivedNames(job.output, job.outputPosition))
            if (keys.Key(derived.name).Text() == (derived.numbered ? pattern : key.Text()))
                return "the output " + derived.name + " of " + job.inputs.front();
    }
    return {};
}

namespace {
// Where writing to a name ends: the process's descriptor it names, and the
// node it reaches (a new name: its folder's node and the name there).
struct Destination {
    int descriptor = -1;
    std::string node;
    mode_t mode = 0;  // of the node, when it exists
};

std::string NodeOf(const struct stat& info) { return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino); }

Destination DestinationOf(const std::string& name)
{
    Destination to;
    struct stat info {};
    to.descriptor = DescriptorNamed(name);
    if (to.descriptor >= 0) {
        if (::fstat(to.descriptor, &info) == 0) to = {to.descriptor, NodeOf(info), info.st_mode};
        return to;
    }
    try {
        const OutputTarget target = ResolveOutput(name);
        if (target.existing) to = {-1, NodeOf(*target.existing), target.existing->st_mode};
        else if (::fstat(target.folder.Get(), &info) == 0) to.node = NodeOf(info) + "/" + target.name;
    } catch (const FileError&) {
        // The conversion or the report says why it cannot be written.
    }
    return to;
}

// Both go to one place where the two would be mixed or one would replace the
// other: a file, a pipe, or the same descriptor. A terminal or /dev/null
// shows or takes both.
bool OnePlace(const Destination& a, const Destination& b)
{
    if (a.descriptor >= 0 && a.descriptor == b.descriptor) return true;
    return !a.node.empty() && a.node == b.node && !S_ISCHR(a.mode);
}
}  // namespace

std::string ReportClash(const ConversionPlan& plan, const std::string& report)
{
    const Destination to = DestinationOf(report);
    for (const ConversionJob& job : plan.jobs) {
        if (!job.refusal.empty() || job.output.empty()) continue;
        const Destination output = DestinationOf(job.output);
        if (!OnePlace(to, output)) continue;
        if (to.descriptor == STDOUT_FILENO && output.descriptor == STDOUT_FILENO)
            return "the report and the output cannot both go to standard output";
        if (to.descriptor >= 0 && to.descriptor == output.descriptor)
            return "the report and the output cannot both go to descriptor " + std::to_string(to.descriptor);
        if (to.descriptor < 0 && (to.mode == 0 || S_ISREG(to.mode)))
            return "the report " + report + " would replace the output " + job.output;
        return "the report " + report + " and the output " + job.output + " go to the same " +
               (S_ISREG(to.mode)    ? "file"
                : S_ISFIFO(to.mode) ? "pipe"
                                    : "place");
    }
    // A descriptor is written into: it replaces no file of the plan's.
    if (DescriptorNamed(report) >= 0) return {};
    const std::string owner = ClaimOf(plan, report);
    return owner.empty() ? "" : "the report " + report + " would replace " + owner;
}

ConversionPlan PlanConversions(const ConvertOptions& options)
{
    ConversionPlan plan;
    // The time given to points without one: a value that is not a time is
    // refused rather than taken for the clock.
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); ReadSourceDateEpoch(epoch).malformed) {
        plan.usageError = "SOURCE_DATE_EPOCH must be a whole number of seconds since 1970, not '" + std::string(epoch) +
                          "'; " + kHelpHint;
        return plan;
    }
    Request request{options, -1, -1, false};
    if (!options.inputFormat.empty()) {
        request.inputPosition = FormatNamed(InputFormats, options.inputFormat);
        if (request.inputPosition < 0) {
            plan.usageError = "unknown input format '" + options.inputFormat + "'; " + kListHint;
            return plan;
        }
    }
    if (!options.outputFormat.empty()) {
        request.outputPosition = FormatNamed(OutputFormats, options.outputFormat);
        if (request.outputPosition < 0) {
            plan.usageError = (FormatNamed(InputFormats, options.outputFormat) >= 0
                                   ? options.outputFormat + " is read but never written"
                                   : "unknown output format '" + options.outputFormat + "'") +
                              "; " + kListHint;
            return plan;
        }
    }

    std::error_code ignored;
    const bool folderExists = !options.output.empty() && fs::is_directory(options.output, ignored);
    if (options.each && !options.output.empty() && !folderExists && fs::exists(options.output, ignored)) {
        plan.usageError = "with --each, -O names a folder, and " + options.output + " is not one; " + kHelpHint;
        return plan;
    }
    request.outputIsFolder = options.each || options.output.empty() || folderExists;
    if (request.outputIsFolder && request.outputPosition < 0) {
        plan.usageError = "no output format: name one with -o FORMAT; " + kListHint;
        return plan;
    }

    if (const std::string folder = FolderWithoutEach(options); !folder.empty()) {
        plan.usageError = folder +
                          " is a folder: --each (-e) converts the files in it one by one (-r: those of its "
                          "subfolders too); " +
                          kHelpHint;
        return plan;
    }
    if (const std::string idle = PatternsWithoutAFolder(options); !idle.empty()) {
        plan.usageError = idle + "; " + kHelpHint;
        return plan;
    }
    std::vector<std::vector<Input>> groups;
    const std::vector<Input> inputs = InputsOf(options, plan);

    if (options.each) {
        for (const Input& input : inputs) groups.push_back({input});
    } else {
        if (!inputs.empty()) groups.push_back(inputs);
    }
    std::vector<std::string> inputNames;
    for (const Input& input : inputs) inputNames.push_back(input.path);
    for (std::vector<Input>& group : groups) {
        ConversionJob& job = plan.jobs.emplace_back();
        for (const Input& input : group) job.inputs.push_back(input.path);
        try {
            const std::string untold = ChooseFormats(request, group.front(), job);
            if (!untold.empty()) {
                plan.usageError = untold;
                return plan;
            }
        } catch (const FileError& error) {
            job.refusal = error.Path() == job.inputs.front() ? error.SystemMessage() : error.what();
        }
    }

    if (plan.jobs.empty()) return plan;
    const ConversionJob& first = plan.jobs.front();
    if (!options.each)
        for (std::size_t i = 0; i < first.inputs.size(); ++i)
            for (std::size_t j = 0; j < i; ++j)
                if (first.inputs[i] != "-" && FileIdentity(first.inputs[i]) == FileIdentity(first.inputs[j])) {
                    plan.usageError = first.inputs[i] + " is given twice; " + kHelpHint;
                    return plan;
                }
    if (!options.each && first.refusal.empty() && OutputRow(first.outputPosition).filePerTrack &&
        IsWrittenInto(first.output)) {
        plan.usageError = OutputFormats[first.outputPosition].Name + " writes a file per track and cannot write into " +
                          first.output + "; name a file";
        return plan;
    }
    if (options.each) RefuseClashes(plan.jobs, inputNames);
    if (options.noClobber)
        for (ConversionJob& job : plan.jobs)
            if (job.refusal.empty() && !IsWrittenInto(job.output) && fs::exists(job.output, ignored))
                job.refusal = "its output " + job.output + " exists already and is kept (--no-clobber)";
    return plan;
}
