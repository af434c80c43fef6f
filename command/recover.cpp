// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/recover.h"

#include <cerrno>

#include "command/command_front_end.h"
#include "core/io/file_io.h"
#include "core/io/output_folder.h"

namespace {
using Outcome = RecoveredJournal::Outcome;

std::string Files(std::size_t count) { return std::to_string(count) + (count == 1 ? " file" : " files"); }

std::string Conversions(std::size_t count)
{
    return count == 1 ? "an interrupted conversion" : std::to_string(count) + " interrupted conversions";
}

// The sets finished, or those put back, summed up in a clause.
std::string Clause(const std::vector<SettledSet>& sets, bool finished)
{
    std::size_t count = 0, files = 0, placed = 0, missing = 0, keptNew = 0;
    for (const SettledSet& set : sets) {
        if (set.finished != finished) continue;
        ++count;
        files += set.files;
        placed += set.placed;
        missing += set.missing;
        keptNew += set.keptNew;
    }
    if (count == 0) return {};
    const std::string whose = count == 1 ? "'s " : "' ";
    if (finished)
        return Conversions(count) + whose + Files(files) + " put in place (" + std::to_string(placed) + " had been)";
    return "the old files of " + Conversions(count) + " put back: " + (count == 1 ? "its" : "their") +
           " new files were not all there (" + std::to_string(missing) + " of " + std::to_string(files) + " missing, " +
           std::to_string(placed) + " had been put in place)" +
           (keptNew == 0 ? "" : "; " + Files(keptNew) + " had no old file left to put back and keep the new one");
}

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
    const std::vector<RecoveredJournal> journals = RecoverInterruptedPlacing(*folder);
    folder->Unlock();
    bool settled = true, said = false;
    for (const RecoveredJournal& journal : journals) {
        const std::string line = RecoveryLine(journal);
        if (!line.empty()) SayAsCommand(err, name + ": " + line);
        said = said || !line.empty();
        settled = settled && journal.outcome == Outcome::Settled;
    }
    if (!said && options.progress != ConvertOptions::Progress::Quiet)
        SayAsCommand(err, name + ": no interrupted conversion to settle");
    return settled;
}
}  // namespace

std::string RecoveryLine(const RecoveredJournal& journal)
{
    switch (journal.outcome) {
    case Outcome::Settled: {
        const std::string finished = Clause(journal.sets, true), putBack = Clause(journal.sets, false);
        return finished + (finished.empty() || putBack.empty() ? "" : "; ") + putBack;
    }
    case Outcome::Damaged:
        return journal.journal +
               ": the journal of an interrupted conversion is damaged and left as it is: " + journal.problem;
    case Outcome::OtherUser:
        return journal.journal + ": the journal of another user's interrupted conversion, left for them to settle";
    case Outcome::Failed: break;
    }
    if (journal.journal.empty()) return "cannot look for interrupted conversions: " + journal.problem;
    return journal.journal +
           ": an interrupted conversion could not be settled (a later run tries again): " + journal.problem;
}

PlacingSettings PlacingSettingsFor(const ConvertOptions& options, std::FILE* err)
{
    PlacingSettings placing;
    placing.wait.bound = options.wait;
    placing.wait.onLongWait = [err](const std::string& folder) {
        SayAsCommand(err, "waiting for another conversion writing into " + folder);
    };
    placing.onRecovered = [err](const std::string& folder, const RecoveredJournal& journal) {
        if (const std::string line = RecoveryLine(journal); !line.empty()) SayAsCommand(err, folder + ": " + line);
    };
    return placing;
}

int RunRecover(const ConvertOptions& options, std::FILE* err)
{
    bool settled = true;
    for (const std::string& folder : options.inputs) settled = RecoverFolder(folder, options, err) && settled;
    return settled ? 0 : 1;
}
