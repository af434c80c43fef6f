// SPDX-License-Identifier: GPL-3.0-or-later
#include "plan/conversion_plan.h"

#include <algorithm>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>

#include "core/convert/catalogue.h"
#include "core/convert/convert.h"
#include "core/convert/format_lookup.h"
#include "core/convert/format_rows.h"
#include "core/io/file_io.h"
#include "core/io/file_names.h"
#include "core/io/output_target.h"
#include "core/io/unpacked_input.h"

namespace fs = std::filesystem;

namespace {
JobRefusal Said(std::string text)
{
    JobRefusal refusal;
    refusal.kind = JobRefusal::Kind::Said;
    refusal.text = std::move(text);
    return refusal;
}

PlanProblem Problem(PlanProblem::Kind kind, std::string name, std::vector<int> candidates = {}, int position = -1)
{
    return {kind, std::move(name), std::move(candidates), position};
}

// Input formats that are one file format read in two modes (waypoints or
// tracks) read the same when everything is wanted.
bool ReadTheSameForEverything(const FormatCatalogue& catalogue, const std::vector<int>& rows)
{
    for (int row : rows)
        if (catalogue.InputRow(row).read != catalogue.InputRow(rows.front()).read) return false;
    return true;
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

// An input of a plan: a file named, or one found in a folder named, with
// the subfolder it was found in (for the mirrored tree of the output folder).
struct Input {
    std::string path;
    std::string subfolder;  // relative to the folder named; empty for a file named
};

// The format of one input, told from its content unless the request names
// it; -1 with the job's refusal set when it cannot be told.
int InputFormatOf(const FormatCatalogue& catalogue, const PlanRequest& r, const std::string& input, ConversionJob& job)
{
    if (r.inputPosition >= 0) return r.inputPosition;
    if (r.firstInputPosition >= 0 && job.inputPositions.empty()) return r.firstInputPosition;
    std::vector<FormatKind> kinds;
    std::vector<int> outputs = r.outputPosition >= 0 ? std::vector<int>{r.outputPosition}
                                                     : FormatsWithExtension(catalogue.Outputs(), r.output);
    // An output name that a format of everything takes gets everything.
    for (int row : outputs)
        if (catalogue.Outputs()[row].Kind == FormatKind::Everything) outputs = {row};
    for (int row : outputs) kinds.push_back(catalogue.Outputs()[row].Kind);
    FormatGuess guess = GuessFormat(catalogue.Inputs(), input, kinds, true);
    if (guess.candidates.size() > 1 && kinds == std::vector<FormatKind>{FormatKind::Everything} &&
        ReadTheSameForEverything(catalogue, guess.candidates))
        guess.candidates.resize(1);
    if (guess.candidates.size() != 1) {
        job.refusal.kind =
            guess.candidates.empty() ? JobRefusal::Kind::FormatUntold : JobRefusal::Kind::FormatUncertain;
        job.refusal.input = job.inputs.size() > 1 ? input : "";
        job.refusal.candidates = guess.candidates;
        return -1;
    }
    job.choices.push_back("reading " + input + " as " + Described(catalogue.Inputs()[guess.candidates.front()]) + ", " +
                          InWords(guess.evidence));
    return guess.candidates.front();
}

// The input formats first, kept to the kinds the output name allows; then the
// output format, kept to the first input's kind. Sets the plan's problem when
// the output format cannot be told from the output name.
void ChooseFormats(const FormatCatalogue& catalogue, const PlanRequest& r, bool outputIsFolder, const Input& in,
                   ConversionJob& job, PlanProblem& problem)
{
    for (const std::string& input : job.inputs) {
        const int position = InputFormatOf(catalogue, r, input, job);
        if (position < 0) return;
        job.inputPositions.push_back(position);
    }
    job.inputPosition = job.inputPositions.front();

    job.outputPosition = r.outputPosition;
    if (job.outputPosition < 0) {
        const FormatKind kind = catalogue.Inputs()[job.inputPosition].Kind;
        // Without an input format named, a name that a format of everything takes gets everything.
        const std::vector<FormatKind> kinds =
            r.inputPosition < 0 ? std::vector<FormatKind>{FormatKind::Everything, kind} : std::vector<FormatKind>{kind};
        FormatGuess guess = GuessFormat(catalogue.Outputs(), r.output, kinds, false);
        if (guess.candidates.size() > 1)
            for (int row : guess.candidates)
                if (catalogue.Outputs()[row].Kind == FormatKind::Everything) guess.candidates = {row};
        if (guess.candidates.size() != 1) {
            if (guess.candidates.empty())
                for (const FileType_Record& row : catalogue.Outputs())
                    if (row.Kind == kind) guess.candidates.push_back(row.Position);
            problem = Problem(PlanProblem::Kind::OutputFormatUntold, r.output, guess.candidates);
            return;
        }
        job.outputPosition = guess.candidates.front();
        job.choices.push_back("writing " + r.output + " as " + Described(catalogue.Outputs()[job.outputPosition]) +
                              ", " + InWords(guess.evidence));
    }
    job.output =
        outputIsFolder ? OutputNameFor(catalogue, in.path, r.output, job.outputPosition, in.subfolder) : r.output;
}

// A member of an archive that its maker's system kept for itself ("__MACOSX/._day.gpx").
bool IsSystemMember(const std::string& member)
{
    for (const auto& part : fs::path(member))
        if (IsSystemName(part.string()) || part == "__MACOSX") return true;
    return false;
}

// A zip archive stands for its members, each an input named "ARCHIVE/MEMBER";
// one that cannot be listed stays as it is, for its conversion to say why.
void AddInput(std::vector<Input>& inputs, std::string path, std::string subfolder)
{
    if (PackingOfFile(path) != Packing::Zip) {
        inputs.push_back({std::move(path), std::move(subfolder)});
        return;
    }
    try {
        for (const std::string& member : ArchiveMembers(path))
            if (!IsSystemMember(member)) inputs.push_back({path + "/" + member, subfolder});
    } catch (const FileError&) {
        inputs.push_back({std::move(path), std::move(subfolder)});
    }
}

std::vector<Input> InputsOf(const PlanRequest& request, ConversionPlan& plan)
{
    std::vector<Input> inputs;
    const WalkRules rules{request.recursive, request.excludes, request.includes, request.output};
    for (const std::string& name : request.inputs) {
        std::error_code error;
        if (!request.each || !fs::is_directory(name, error)) {
            AddInput(inputs, name, {});
            continue;
        }
        FolderContents contents;
        WalkFolder(name, rules, contents);
        for (WalkedFile& file : contents.files) AddInput(inputs, std::move(file.path), std::move(file.subfolder));
        plan.skipped.insert(plan.skipped.end(), contents.skipped.begin(), contents.skipped.end());
        plan.unreadable.insert(plan.unreadable.end(), contents.unreadable.begin(), contents.unreadable.end());
    }
    return inputs;
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
// plan or a file an earlier conversion may write.
void RefuseClashes(const FormatCatalogue& catalogue, std::vector<ConversionJob>& jobs,
                   const std::vector<std::string>& inputs)
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
        if (job.refusal.Refused()) continue;
        const std::string& input = job.inputs.front();
        // An output that is the job's own input is refused by the Convert action itself.
        const auto same = inputFiles.find(FileIdentity(job.output));
        if (same != inputFiles.end() && same->second != input) {
            job.refusal = Said("its output " + job.output + " would replace the input " + same->second);
            continue;
        }
        std::vector<DerivedName> names = {{job.output, false}};
        for (const DerivedName& derived : DerivedNames(catalogue, job.output, job.outputPosition))
            names.push_back(derived);
        for (const DerivedName& name : names) {
            const std::string* owner = ownerOf(keys.Key(name.name), name.numbered);
            if (owner == nullptr || *owner == "the input " + input) continue;
            job.refusal = Said("its output " + name.name + " clashes with " + *owner);
            break;
        }
        if (job.refusal.Refused()) continue;
        for (const DerivedName& name : names) {
            const std::string owner = name.name + ", written for " + input;
            if (name.numbered) patterns.emplace(keys.Key(name.name).Text(), owner);
            else take(keys.Key(name.name), owner);
        }
    }
}

// The first input that names the same file as one before it (standard input
// apart), or nullptr: each file is looked at once, so that a merge of
// thousands of inputs is not checked pair by pair.
const std::string* GivenTwice(const std::vector<std::string>& inputs)
{
    std::unordered_set<std::string> seen;
    for (const std::string& input : inputs)
        if (!seen.insert(FileIdentity(input)).second && input != "-") return &input;
    return nullptr;
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

std::vector<DerivedName> DerivedNames(const FormatCatalogue& catalogue, const std::string& output, int outputPosition)
{
    std::vector<DerivedName> names;
    if (outputPosition < 0) return names;
    if (catalogue.OutputRow(outputPosition).filePerTrack)
        names.push_back({ChangeFileExt(output, "") + "_N" + ExtractFileExt(output), true});
    if (const char* beside = catalogue.OutputRow(outputPosition).besideExtension)
        names.push_back({ChangeFileExt(output, beside), false});
    return names;
}

std::string ClaimOf(const FormatCatalogue& catalogue, const ConversionPlan& plan, const std::string& name)
{
    NameKeys keys;
    const NameKey key = keys.Key(name);
    const std::string identity = FileIdentity(name), pattern = PatternKeyOf(key);
    for (const ConversionJob& job : plan.jobs) {
        for (const std::string& input : job.inputs)
            if (FileIdentity(input) == identity) return "the input " + input;
        if (job.refusal.Refused() || job.output.empty()) continue;
        if (keys.Key(job.output).Text() == key.Text() || FileIdentity(job.output) == identity)
            return "the output " + job.output;
        for (const DerivedName& derived : DerivedNames(catalogue, job.output, job.outputPosition))
            if (keys.Key(derived.name).Text() == (derived.numbered ? pattern : key.Text()))
                return "the output " + derived.name + " of " + job.inputs.front();
    }
    return {};
}

std::string OutputNameFor(const FormatCatalogue& catalogue, const std::string& input, const std::string& folder,
                          int outputPosition, const std::string& subfolder)
{
    const std::vector<std::string> extensions = FormatExtensions(catalogue.Outputs()[outputPosition]);
    // Named after the file inside its packing; beside the archive a member is in.
    const fs::path name = fs::path(NameWithoutPacking(input))
                              .filename()
                              .replace_extension(extensions.empty() ? "" : "." + extensions.front());
    const auto member = SplitMemberPath(input);
    const fs::path beside = fs::path(member ? member->archive : input).parent_path();
    if (folder.empty()) return (beside / name).string();
    return (fs::path(folder) / subfolder / name).lexically_normal().string();
}

ConversionPlan PlanConversions(const FormatCatalogue& catalogue, const PlanRequest& request)
{
    ConversionPlan plan;
    std::error_code ignored;
    const bool folderExists = !request.output.empty() && fs::is_directory(request.output, ignored);
    if (request.each && !request.output.empty() && !folderExists && fs::exists(request.output, ignored)) {
        plan.problem = Problem(PlanProblem::Kind::OutputNotAFolder, request.output);
        return plan;
    }
    const bool outputIsFolder = request.each || request.output.empty() || folderExists;
    if (outputIsFolder && request.outputPosition < 0) {
        plan.problem.kind = PlanProblem::Kind::NoOutputFormat;
        return plan;
    }

    std::vector<std::vector<Input>> groups;
    const std::vector<Input> inputs = InputsOf(request, plan);

    if (request.each) {
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
            ChooseFormats(catalogue, request, outputIsFolder, group.front(), job, plan.problem);
            if (plan.problem.kind != PlanProblem::Kind::None) return plan;
        } catch (const FileError& error) {
            job.refusal = Said(error.Path() == job.inputs.front() ? error.SystemMessage() : error.what());
        }
    }

    if (plan.jobs.empty()) return plan;
    const ConversionJob& first = plan.jobs.front();
    if (!request.each)
        if (const std::string* twice = GivenTwice(first.inputs)) {
            plan.problem = Problem(PlanProblem::Kind::GivenTwice, *twice);
            return plan;
        }
    if (!request.each && !first.refusal.Refused() && catalogue.OutputRow(first.outputPosition).filePerTrack &&
        IsWrittenInto(first.output)) {
        plan.problem = Problem(PlanProblem::Kind::FilePerTrackIntoDevice, first.output, {}, first.outputPosition);
        return plan;
    }
    if (request.each) RefuseClashes(catalogue, plan.jobs, inputNames);
    if (request.neverReplace)
        for (ConversionJob& job : plan.jobs)
            if (!job.refusal.Refused() && !IsWrittenInto(job.output) && fs::exists(job.output, ignored)) {
                job.refusal.kind = JobRefusal::Kind::OutputKept;
                job.refusal.name = job.output;
            }
    return plan;
}
