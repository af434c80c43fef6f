// SPDX-License-Identifier: GPL-3.0-or-later
// What a run killed outright while putting a set of files in place left in a
// folder, settled by a later run from the set's journal: the set finished
// when every new file is still there, every name given its old file back
// otherwise.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class OutputFolder;

struct RecoveredSet {
    enum class Outcome {
        Finished,   // every name holds its new file
        PutBack,    // every name holds its old file again (or none, as before)
        Damaged,    // the journal cannot be read whole: left as it is
        OtherUser,  // another user's journal: theirs to recover
        Failed,     // stopped by an error; the journal is left for a later try
    };
    Outcome outcome = Outcome::Failed;
    std::string journal;          // its name in the folder; empty when the folder could not be listed
    std::size_t files = 0;        // the files of the set in this folder
    std::size_t placed = 0;       // those in place when the run was stopped
    std::size_t missing = 0;      // PutBack: new files no longer there
    std::size_t keptNew = 0;      // PutBack: names whose old file was gone and that keep the new one
    std::string problem;          // Damaged, Failed: what is wrong, and with which name
};

// Settles every journal in `folder`. Call it only while holding the folder's
// lock: a run putting files in place holds it from before its journal is
// written until after it is removed, so the journals found are of runs that
// ended. Nothing is printed: the caller says what each record tells.
std::vector<RecoveredSet> RecoverInterruptedPlacing(const OutputFolder& folder);
