// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/io/placing_recovery.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "core/io/file_io.h"
#include "core/io/output_folder.h"
#include "core/io/path_walk.h"
#include "core/io/placing_journal.h"

namespace {
using Outcome = RecoveredJournal::Outcome;

// What a name of the folder holds now: nothing, or its details.
std::optional<struct stat> Look(int folder, const std::string& name)
{
    struct stat info {};
    if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) return info;
    if (errno != ENOENT) ThrowFileError(name, errno);
    return std::nullopt;
}

// Where each file of the set is now. Only what the journal names is acted
// on: another run may have made a temporary file of the same name since.
struct Whereabouts {
    std::optional<struct stat> atName;
    bool placed = false;    // its name holds the new file
    bool waiting = false;   // its temporary name holds it (also once placed, by a link not yet undone)
    bool oldAside = false;  // its temporary name holds the file it replaced, exchanged with it
};

// One set of the journal, settled all or none.
class Recovery {
public:
    Recovery(const OutputFolder& folder, std::vector<PlacingEntry> entries)
        : folder_(folder.Descriptor()), device_(folder.Device()), entries_(std::move(entries))
    {}

    // Nothing when none of the set's files is left: nothing of it was put in place.
    std::optional<SettledSet> Settle()
    {
        SettledSet set;
        set.files = entries_.size();
        for (const PlacingEntry& e : entries_) {
            Whereabouts& w = where_.emplace_back();
            w.atName = Look(folder_, e.name);
            const std::optional<struct stat> atTemporary = Look(folder_, e.temporary);
            w.placed = IsNew(w.atName, e);
            w.waiting = IsNew(atTemporary, e);
            w.oldAside = e.replaces && Holds(atTemporary, e.oldInode, e) && S_ISREG(atTemporary->st_mode);
            set.placed += w.placed;
            set.missing += !w.placed && !w.waiting;
        }
        if (set.missing == set.files) return std::nullopt;
        set.finished = CanFinish();
        if (set.finished) Finish();
        else set.keptNew = PutBack();
        return set;
    }

private:
    // A device number may change between boots: a file of the folder is on its device.
    bool Holds(const std::optional<struct stat>& info, std::uint64_t inode, const PlacingEntry& e) const
    {
        return info && static_cast<std::uint64_t>(info->st_ino) == inode &&
               (static_cast<std::uint64_t>(info->st_dev) == e.device || info->st_dev == device_);
    }

    bool IsNew(const std::optional<struct stat>& info, const PlacingEntry& e) const
    {
        return Holds(info, e.inode, e) && S_ISREG(info->st_mode) && static_cast<std::uint64_t>(info->st_size) == e.size;
    }

    // Every new file is there, and every name still to be taken can be.
    bool CanFinish() const
    {
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            const Whereabouts& w = where_[i];
            if (!w.placed && !w.waiting) return false;
            if (!w.placed && w.atName && (!entries_[i].replaces || S_ISDIR(w.atName->st_mode))) return false;
        }
        return true;
    }

    void Finish()
    {
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            const PlacingEntry& e = entries_[i];
            if (where_[i].placed) {
                if (where_[i].oldAside || where_[i].waiting) Remove(e.temporary);
            } else if (e.replaces) {
                if (::renameat(folder_, e.temporary.c_str(), folder_, e.name.c_str()) != 0)
                    ThrowFileError(e.name, errno);
            } else {
                AddName(e);
            }
        }
    }

    // How many names keep the new file, their old one being gone.
    std::size_t PutBack()
    {
        std::size_t keptNew = 0;
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            const PlacingEntry& e = entries_[i];
            const Whereabouts& w = where_[i];
            if (w.placed && w.oldAside) {
                if (::renameat2(folder_, e.temporary.c_str(), folder_, e.name.c_str(), RENAME_EXCHANGE) != 0)
                    ThrowFileError(e.name, errno);
                Remove(e.temporary);
                continue;
            }
            if (w.placed && !e.replaces) Remove(e.name);
            else if (w.placed) ++keptNew;
            if (w.waiting) Remove(e.temporary);
        }
        return keptNew;
    }

    void AddName(const PlacingEntry& e)
    {
        const char *from = e.temporary.c_str(), *to = e.name.c_str();
        if (::renameat2(folder_, from, folder_, to, RENAME_NOREPLACE) == 0) return;
        if (errno != EINVAL && errno != ENOSYS) ThrowFileError(e.name, errno);
        if (::linkat(folder_, from, folder_, to, 0) != 0) ThrowFileError(e.name, errno);
        Remove(e.temporary);
    }

    void Remove(const std::string& name)
    {
        if (::unlinkat(folder_, name.c_str(), 0) != 0 && errno != ENOENT) ThrowFileError(name, errno);
    }

    int folder_;
    dev_t device_;
    std::vector<PlacingEntry> entries_;
    std::vector<Whereabouts> where_;
};

RecoveredJournal Record(const std::string& journal, Outcome outcome, std::string problem = {})
{
    RecoveredJournal record;
    record.outcome = outcome;
    record.journal = journal;
    record.problem = std::move(problem);
    return record;
}

// The journal's text, read whole, or the record of why it cannot be used.
std::optional<RecoveredJournal> ReadWhole(int folder, const std::string& journal, std::string& text)
{
    const Descriptor file(::openat(folder, journal.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!file && errno == ELOOP) return Record(journal, Outcome::Damaged, "it is a symbolic link");
    if (!file || ::fstat(file.Get(), &info) != 0) return Record(journal, Outcome::Failed, std::strerror(errno));
    if (!S_ISREG(info.st_mode)) return Record(journal, Outcome::Damaged, "it is not a regular file");
    if (info.st_uid != ::geteuid()) return Record(journal, Outcome::OtherUser);
    text.resize(JournalSizeBound() + 1);
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(file.Get(), text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Record(journal, Outcome::Failed, std::strerror(errno));
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    text.resize(got);
    return std::nullopt;
}

RecoveredJournal RecoverOne(const OutputFolder& folder, const std::string& journal)
{
    std::string text;
    if (auto refused = ReadWhole(folder.Descriptor(), journal, text)) return *refused;
    JournalRead read = ReadJournal(text);
    if (!read.problem.empty()) return Record(journal, Outcome::Damaged, read.problem);
    RecoveredJournal record = Record(journal, Outcome::Settled);
    try {
        for (std::size_t from = 0; from < read.entries.size();) {
            std::size_t to = from;
            while (to < read.entries.size() && read.entries[to].set == read.entries[from].set) ++to;
            std::vector<PlacingEntry> set(read.entries.begin() + static_cast<std::ptrdiff_t>(from),
                                          read.entries.begin() + static_cast<std::ptrdiff_t>(to));
            if (const auto settled = Recovery(folder, std::move(set)).Settle()) record.sets.push_back(*settled);
            from = to;
        }
        if (::fsync(folder.Descriptor()) != 0) ThrowFileError(".", errno);
        if (::unlinkat(folder.Descriptor(), journal.c_str(), 0) != 0) ThrowFileError(journal, errno);
        return record;
    } catch (const FileError& error) {
        return Record(journal, Outcome::Failed, error.Path() + ": " + error.SystemMessage());
    }
}

// The journals' names, in order.
std::vector<std::string> Journals(int folder, int& error)
{
    std::vector<std::string> names;
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* entries = listing < 0 ? nullptr : ::fdopendir(listing);
    if (entries == nullptr) {
        error = errno;
        if (listing >= 0) ::close(listing);
        return names;
    }
    while (const dirent* entry = ::readdir(entries))
        if (IsJournalName(entry->d_name)) names.emplace_back(entry->d_name);
    ::closedir(entries);
    std::sort(names.begin(), names.end());
    return names;
}
}  // namespace

std::vector<RecoveredJournal> RecoverInterruptedPlacing(const OutputFolder& folder)
{
    std::vector<RecoveredJournal> sets;
    int error = 0;
    const std::vector<std::string> journals = Journals(folder.Descriptor(), error);
    if (error != 0) sets.push_back(Record("", Outcome::Failed, std::strerror(error)));
    for (const std::string& journal : journals) sets.push_back(RecoverOne(folder, journal));
    return sets;
}
