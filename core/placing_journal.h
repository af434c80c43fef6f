// SPDX-License-Identifier: GPL-3.0-or-later
// The journal of a set of files being put in place together: written beside
// them, complete and on disk, before the first one takes its name, and
// removed once all have; after a run killed outright, what a later run
// needs to finish the set or give every name its old file back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

#include "core/output_folder.h"

// One file of the set, in the journal's folder.
struct PlacingEntry {
    std::string temporary;  // the name it waits under (.kes-XXXXXXXX.tmp)
    std::string name;       // the name it goes under: any bytes but '/' and NUL
    // The new file: the name that holds it tells whether it was put in place.
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    bool replaces = false;  // a file had that name: it gets it back if the set is undone
    std::uint64_t oldInode = 0;  // that file, which the temporary name holds once they are exchanged
    bool operator==(const PlacingEntry&) const = default;
};

// No conversion writes more files into one folder than there are temporary
// files at a time.
inline constexpr std::size_t kMaxJournalEntries = 4096;

// The journal's text: a first line, the count, a line per file (its name in
// hexadecimal) and a check of everything before it.
std::string JournalText(std::span<const PlacingEntry> entries);

struct JournalRead {
    std::vector<PlacingEntry> entries;
    std::string problem;  // empty when the text is a whole journal
};
// Reads a journal strictly: a text cut short, changed or longer than a
// journal can be gives no entry, only what is wrong with it.
JournalRead ReadJournal(std::string_view text);
// The most bytes a journal can hold.
std::size_t JournalSizeBound();

// Writes the journal of the files of a set in `folder`, flushes it, gives it
// its name (`.kes-XXXXXXXX.journal`) and flushes the folder: a file that is
// there under that name is whole. Raises FileError naming `forPath`.
// Removed when the object returned is.
TemporaryFile WriteJournal(std::shared_ptr<OutputFolder> folder, std::span<const PlacingEntry> entries,
                           const std::string& forPath);
