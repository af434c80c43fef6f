// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/recover.h"

#include <cerrno>

#include "command/command_front_end.h"
#include "core/file_io.h"
#include "core/output_folder.h"

namespace {
using Outcome = RecoveredSet::Outcome;

std::string Files(std::size_t count) { return std::to_string(count) + (count == 1 ? " file" : " files"); }

bool Settled(const RecoveredSet& set) { return set.outcome == Outcome::Finished || set.outcome == Outcome::PutBack; }

// Settles one folder given to --recover; true when nothing is left unsettled.
bool RecoverFolder(const std::string& name, const ConvertOptions& options, std::FILE* err)
{
    std::shared_ptr<OutputFolder> folder;
    try {
        folder = OutputFolder::Open(name, name);
        if (!folder->Readable()) ThrowFileError(name, EACCES);
        folder->Lock(PlacingSettingsFor(options, err).wait, name);
    } catch (const FileError& error) {
        SayAsCommand(err, name + ": cannot look for interrupted conversions: " + error.SystemMessage());
        return false;
    }
    if (!folder->KeepsOthersOut()) {
        folder->Unlock();
        SayAsCommand(err, name + ": cannot look for interrupted conversions: the folder cannot be locked");
        return false;
    }
    const std::vector<RecoveredSet> sets = RecoverInterruptedPlacing(*folder);
    folder->Unlock();
    if (sets.empty() && options.progress != ConvertOptions::Progress::Quiet)
        SayAsCommand(err, name + ": no interrupted conversion to settle");
    bool settled = true;
    for (const RecoveredSet& set : sets) {
        SayAsCommand(err, name + ": " + RecoveryLine(set));
        settled = settled && Settled(set);
    }
    return settled;
}
}  // namespace

std::string RecoveryLine(const RecoveredSet& set)
{
    switch (set.outcome) {
    case Outcome::Finished:
        return "an interrupted conversion's " + Files(set.files) + " put in place (" + std::to_string(set.placed) +
               " had been)";
    case Outcome::PutBack:
        return "the old files of an interrupted conversion put back: its new files were not all there (" +
               std::to_string(set.missing) + " of " + std::to_string(set.files) + " missing, " +
               std::to_string(set.placed) + " had been put in place)" +
               (set.keptNew == 0 ? ""
                                 : "; " + Files(set.keptNew) + " had no old file left to put back and keep the new one");
    case Outcome::Damaged:
        return set.journal + ": the journal of an interrupted conversion is damaged and left as it is: " + set.problem;
    case Outcome::OtherUser:
        return set.journal + ": the journal of another user's interrupted conversion, left for them to settle";
    case Outcome::Failed: break;
    }
    if (set.journal.empty()) return "cannot look for interrupted conversions: " + set.problem;
    return set.journal + ": an interrupted conversion could not be settled (a later run tries again): " + set.problem;
}

PlacingSettings PlacingSettingsFor(const ConvertOptions& options, std::FILE* err)
{
    PlacingSettings placing;
    placing.wait.bound = options.wait;
    placing.wait.onLongWait = [err](const std::string& folder) {
        SayAsCommand(err, "waiting for another conversion writing into " + folder);
    };
    placing.onRecovered = [err](const std::string& folder, const RecoveredSet& set) {
        SayAsCommand(err, folder + ": " + RecoveryLine(set));
    };
    return placing;
}

int RunRecover(const ConvertOptions& options, std::FILE* err)
{
    bool settled = true;
    for (const std::string& folder : options.inputs) settled = RecoverFolder(folder, options, err) && settled;
    return settled ? 0 : 1;
}
