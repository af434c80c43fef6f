// SPDX-License-Identifier: GPL-3.0-or-later
// The journal of the sets of files a commit puts in place, each set all or
// none (the files of one conversion): written beside them, complete and on
// disk, before the first one takes its name, and removed once all have; after
// a run killed outright, what a later run needs to finish each set or give
// every name of it its old file back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

#include "core/io/output_folder.h"

// One file of a set, in the journal's folder.
struct PlacingEntry {
    std::uint64_t set = 0;  // which set: the entries of one follow each other, the first numbered 0
    std::string temporary;  // the name it waits under (.kes-XXXXXXXX.tmp)
    std::string name;       // the name it goes under: any bytes but '/' and NUL
    // The new file: the name that holds it tells whether it was put in place.
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    bool replaces = false;       // a file had that name: it gets it back if the set is undone
    std::uint64_t oldInode = 0;  // that file, which the temporary name holds once they are exchanged
    bool operator==(const PlacingEntry&) const = default;
};

// No conversion writes more files into one folder than there are temporary
// files at a time.
inline constexpr std::size_t kMaxJournalEntries = 4096;

// The journal's text: a first line, the count, a line per file (its name in
// hexadecimal) and a check of everything before it. The entries of each set
// follow each other, numbered from 0 up without a gap.
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

// The journals of the sets of files one commit puts in place, one in each
// folder they go into: written, flushed to disk, named (a file under the
// journal's name `.kes-XXXXXXXX.journal` is whole) and the folders flushed,
// all at once, so that a batch of many conversions waits for the disk a few
// times, not a few times for each. Removed with this object.
class PlacingJournals {
public:
    // The files of set `set` in `folder` (the set's number given to each),
    // for the journal of that folder. `forPath` names an output there.
    void Add(std::uint64_t set, std::shared_ptr<OutputFolder> folder, std::vector<PlacingEntry> entries,
             const std::string& forPath);
    // True when set `set` has files in a journal.
    bool Holds(std::uint64_t set) const;
    // Writes, flushes and names every journal, and flushes their folders;
    // raises FileError naming an output of the folder that failed.
    void Complete();
    // After the files are in place, before the journals go: their new names last.
    void FlushFolders() const;

private:
    struct Journal {
        std::shared_ptr<OutputFolder> folder;
        std::string forPath;
        std::vector<PlacingEntry> entries;
        std::vector<std::uint64_t> sets;  // the commit's numbers of the sets, in the journal's order
        TemporaryFile file;
    };
    std::vector<Journal> journals_;
};
