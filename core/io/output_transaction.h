// SPDX-License-Identifier: GPL-3.0-or-later
// The outputs of one conversion as one transaction: each is written complete
// to a temporary file first, and all are put in place together, or none.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <utility>
#include <vector>

#include "core/io/file_io.h"
#include "core/io/output_folder.h"
#include "core/io/output_target.h"
#include "core/io/placing_recovery.h"
#include "core/io/read_watch.h"

// How the files of a commit are put in place, as the program running it
// wants: each callback may be called from a thread other than the main one.
struct PlacingSettings {
    // The wait for a folder another run is putting files into.
    FolderWait wait;
    // Each journal a run killed outright while putting files in place left
    // in a folder written into, once settled, with the folder's name.
    std::function<void(const std::string& folder, const RecoveredJournal& journal)> onRecovered;
    // Called before each file of a set is put in place and after the last,
    // with how many are in place: for tests that stop a run there.
    std::function<void(std::size_t placed)> onPlacing;
};

// A transaction committed on its own that is given one (FlushFoldersLater)
// leaves the flush of its folders to it, and it flushes each folder once as
// it ends: for a batch of conversions into one folder. It is safe: each file is on
// disk before it takes its name, so after a power cut a name holds the old
// file or the whole new one; only the latest renames may be undone.
class FolderFlushes {
public:
    FolderFlushes();
    ~FolderFlushes();
    FolderFlushes(const FolderFlushes&) = delete;
    FolderFlushes& operator=(const FolderFlushes&) = delete;
    void Add(std::shared_ptr<const OutputFolder> folder);

private:
    void FlushAll();
    std::vector<std::shared_ptr<const OutputFolder>> folders_;
};

// A safe writer (SafeFileWriter) given one hands it each complete temporary
// file instead of renaming it, and
// the names are resolved once, when it commits: the name a file finally goes
// under (Rename) is the only one ever looked at. Destroyed without Commit, it
// removes every temporary file it holds: an earlier file of each name stays
// as it was.
class OutputGroup;
class PlacingJournals;

class OutputTransaction {
public:
    // In a group, the commit joins it instead of putting the files in place.
    explicit OutputTransaction(OutputGroup* group = nullptr) : group_(group) {}
    ~OutputTransaction() = default;
    OutputTransaction(const OutputTransaction&) = delete;
    OutputTransaction& operator=(const OutputTransaction&) = delete;

    OutputGroup* Group() const { return group_; }

    // No output may replace one of these files: one that would is refused
    // with a FileError, before anything is put in place. Names that cannot
    // be examined are left out here (their reader says why).
    void ProtectInputs(const std::vector<std::string>& inputs);

    // The output pending under the name `from` goes under the name `to`
    // instead: in the place of that file with what it would keep (its mode,
    // owner and ACL), or copied into it at Commit when that is a device, a
    // pipe or /dev/stdout. Raises std::logic_error when no output is pending
    // under `from`.
    void Rename(const std::string& from, const std::string& to);

    // No existing file is replaced: Commit refuses the whole transaction with
    // a FileError, before anything is put in place, when a name is taken
    // (also by a file made meanwhile). Devices and pipes are still written into.
    void NeverReplace() { neverReplace_ = true; }

    std::size_t PendingCount() const { return pending_.size(); }
    // The pending outputs whose names Commit would take from a file there now
    // (a device written into is not replaced), by the names they were given.
    // A name that cannot be written is left out: the commit says why.
    std::vector<std::string> NamesInUse() const;

    // Resolves each name, flushes every file to disk, writes the outputs
    // bound for devices, then puts every other one in place while holding
    // the lock of each folder, and flushes each folder once; on a failure
    // none is replaced and the FileError is raised. Files going into
    // folders together have a journal beside them while they are put in
    // place (core/io/placing_journal.h), so that the next run into a folder
    // finishes or undoes a set whose run was killed outright.
    void Commit();

    // The outputs put in place by Commit (or written into a device), by the
    // names they were given: how many, the first few, and each one to a
    // callback as it is placed. Nothing grows with their number.
    static constexpr std::size_t kPlacedNamesKept = 16;
    std::size_t PlacedCount() const { return placedCount_; }
    const std::vector<std::string>& FirstPlaced() const { return firstPlaced_; }
    void OnPlaced(std::function<void(const std::string& name)> callback) { onPlaced_ = std::move(callback); }
    // For a commit of its own (in a group, the group's settings hold).
    void SetPlacing(PlacingSettings placing) { placing_ = std::move(placing); }
    // For a commit of its own: the flush of the folders is left to `later`.
    void FlushFoldersLater(FolderFlushes& later) { flushLater_ = &later; }

    // For SafeFileWriter: a complete temporary file for the output `path`.
    void Take(const std::string& path, TemporaryFile temporary);

    // The stop of the conversion the files are written for: each piece a
    // SafeFileWriter writes into this transaction looks at it, so that a
    // long write ends soon after a stop is asked for (ReadCancelled).
    void StopWith(std::shared_ptr<ReadWatch> watch) { watch_ = std::move(watch); }
    void StopIfAsked() const
    {
        if (watch_) watch_->StopIfAsked();
    }

private:
    friend class OutputGroup;
    struct Pending {
        std::string path;         // the name given, for messages and Rename
        TemporaryFile temporary;  // complete
        bool resolved = false;
        // Once resolved: the folder it goes into and its name there, and the
        // file it replaces; or the device it is copied into.
        std::shared_ptr<OutputFolder> folder;
        std::string name;
        std::optional<struct stat> existing;
        std::optional<OutputTarget> device;
    };
    using Inputs = std::vector<std::pair<dev_t, ino_t>>;
    enum class Placing { Exchanged, Added, Renamed, Copied };
    static void Resolve(Pending& pending, const Inputs& inputs);
    static void ResolveAll(std::vector<Pending>& pending, const Inputs& inputs);
    static void CheckNotAnInput(const std::string& path, const OutputTarget& target, const Inputs& inputs);
    static void RefuseTakenNames(const std::vector<Pending>& pending);
    static void ResolveAgainWhereChanged(std::vector<Pending>& pending, const Inputs& inputs);
    static void CopyIntoDevices(std::vector<Pending>& pending);
    static void FlushToDisk(const std::vector<Pending*>& files);
    static void FlushBatchToDisk(const std::vector<Pending*>& files);
    static void Plan(Pending& pending, const Inputs& inputs, bool neverReplace, const std::string& foldersMadeUnder);
    static Placing PutInPlace(Pending& pending, bool neverReplace);
    static void TakeBack(Pending& pending, Placing how);
    static void AddJournals(PlacingJournals& journals, std::size_t set, const std::vector<Pending>& pending);
    static void PlaceAll(std::vector<Pending>& pending, bool neverReplace, std::vector<Placing>& placed,
                         const PlacingSettings& settings);
    static void ForgetTemporaries(std::vector<Pending>& pending, const std::vector<Placing>& placed);
    void Place(const std::string& path);

    OutputGroup* group_;
    std::shared_ptr<ReadWatch> watch_;
    FolderFlushes* flushLater_ = nullptr;
    Inputs inputs_;
    std::vector<Pending> pending_;
    std::size_t placedCount_ = 0;
    std::vector<std::string> firstPlaced_;
    std::function<void(const std::string&)> onPlaced_;
    PlacingSettings placing_;
    bool committed_ = false;
    bool neverReplace_ = false;
};

// A transaction made in a group joins it when committed instead of putting
// its files in place. Send hands what has joined to a
// thread of the group's, which flushes the files of everything waiting at
// once and puts each transaction's files in place (all of one transaction,
// or none of it): a conversion's files are in place as soon as the disk has
// them, and a batch of many small conversions still waits for the disk a
// few times instead of once for each. After a power cut a name holds the old
// file or the whole new one, as with a transaction of its own. Each
// transaction is told how its files fared on the thread that made the group,
// by TellPlaced or Commit, in the order they joined.
// One journal per folder lists the files of every transaction of several
// while they are put in place, so that after a run killed outright the next
// run into the folder settles each transaction whole.
//
// A planned group (a dry run) puts nothing in place: its commit resolves and
// checks every name as a real one would, tells each transaction which names
// it would write or why it would be refused, and removes the files. Its
// temporary files are made in the temporary folder.
class OutputGroup {
public:
    struct Plan {
        // Folders missing under this one count as made (--each makes them).
        std::string foldersMadeUnder;
    };
    OutputGroup();
    explicit OutputGroup(PlacingSettings placing);
    explicit OutputGroup(Plan plan);
    // Commits what has joined.
    ~OutputGroup();
    OutputGroup(const OutputGroup&) = delete;
    OutputGroup& operator=(const OutputGroup&) = delete;
    bool Planned() const { return plan_.has_value(); }

    // What the next transaction to join calls once its files are in place
    // (with nullptr) or could not be put there (with the error; none is then
    // in place).
    void Expect(std::function<void(const std::exception* error)> onDone);
    // True when the callback set last was not taken: no transaction joined since.
    bool DropExpectation();
    // How many transactions have joined since the last Send.
    std::size_t JoinedCount() const { return joined_.size(); }
    // Removes the transaction that joined last and its files, untold.
    void WithdrawLatest();

    // What has joined goes to be placed; waits only while much is waiting already.
    void Send();
    // Tells the transactions placed (or refused) since the last call; never waits.
    void TellPlaced();
    // Sends, waits until everything sent is placed, and tells.
    void Commit();

private:
    friend class OutputTransaction;
    struct Joined {
        std::vector<OutputTransaction::Pending> files;
        OutputTransaction::Inputs inputs;
        bool neverReplace;
        std::function<void(const std::string&)> onPlaced;
        std::function<void(const std::exception*)> onDone;
        std::optional<FileError> failure;
    };
    struct Placer;
    void Join(Joined joined);
    void CommitPlan(std::vector<Joined>& joined);
    static void PlaceInTurn(Placer& placer, const PlacingSettings& placing);
    static void PlaceBatch(std::vector<Joined>& joined, const PlacingSettings& placing,
                           FolderFlushes* flushLater = nullptr);
    static void Tell(std::vector<Joined>& joined);
    static void Fail(Joined& joined, const FileError& error);
    static void PlaceLocked(std::vector<Joined>& joined, const PlacingSettings& placing,
                            std::vector<std::shared_ptr<const OutputFolder>>& into);

    std::optional<Plan> plan_;
    std::function<void(const std::exception*)> expected_;
    std::vector<Joined> joined_;
    PlacingSettings placing_;
    std::unique_ptr<Placer> placer_;
};
