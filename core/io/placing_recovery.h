// SPDX-License-Identifier: GPL-3.0-or-later
// What a run killed outright while putting sets of files in place left in a
// folder, settled by a later run from the journal: each set (the files of
// one conversion) finished when every new file of it is still there, every
// name of it given its old file back otherwise.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class OutputFolder;

// What became of one set of files (one conversion's) that needed settling.
struct SettledSet {
    bool finished = false;    // every name holds its new file; otherwise its old one, or none as before
    std::size_t files = 0;    // the files of the set in this folder
    std::size_t placed = 0;   // those in place when the run was stopped
    std::size_t missing = 0;  // put back: new files no longer there
    std::size_t keptNew = 0;  // put back: names whose old file was gone, that keep the new one
};

struct RecoveredJournal {
    enum class Outcome {
        Settled,    // each of its sets finished or put back; the journal removed
        Damaged,    // it cannot be read whole: left as it is
        OtherUser,  // another user's: theirs to settle
        Failed,     // stopped by an error; left for a later try
    };
    Outcome outcome = Outcome::Failed;
    std::string journal;           // its name in the folder; empty when the folder could not be listed
    std::vector<SettledSet> sets;  // Settled: the sets that needed it (not those none of whose files are left)
    std::string problem;           // Damaged, Failed: what is wrong, and with which name
};

// Settles every journal in `folder`. Call it only while holding the folder's
// lock: a run putting files in place holds it from before its journal is
// written until after it is removed, so the journals found are of runs that
// ended. Nothing is printed: the caller says what each record tells.
std::vector<RecoveredJournal> RecoverInterruptedPlacing(const OutputFolder& folder);
