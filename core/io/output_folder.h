// SPDX-License-Identifier: GPL-3.0-or-later
// The folders outputs are written into, and the temporary files made there
// before an output is put in place, listed where a signal handler finds them.
#pragma once

#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>

class Descriptor;

// How a run waits for a folder another run is putting files into.
struct FolderWait {
    // Called once a wait has lasted a second, with the folder's name, from
    // the thread that waits (not necessarily the main one).
    std::function<void(const std::string& folder)> onLongWait;
    // The longest wait; none: as long as it takes.
    std::optional<std::chrono::seconds> bound;
};

// A folder held open while outputs are made in it: its descriptor names the
// temporary files, renames them and flushes the folder.
class OutputFolder {
public:
    // `folder` by its name; empty for the current folder. The first time a
    // process opens a folder, temporary files of its own user left there more
    // than a day ago (by a run killed outright) are removed. Raises FileError
    // naming `forPath`.
    static std::shared_ptr<OutputFolder> Open(const std::string& folder, const std::string& forPath);
    // The same for a folder a path walk found (an O_PATH descriptor, see
    // WalkToName); a folder open already is shared, not opened again.
    static std::shared_ptr<OutputFolder> Adopt(const ::Descriptor& folder, const std::string& forPath);
    ~OutputFolder();
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    int Descriptor() const { return fd_; }
    dev_t Device() const { return device_; }
    ino_t Inode() const { return inode_; }
    bool SameAs(const OutputFolder& other) const { return device_ == other.device_ && inode_ == other.inode_; }
    // Makes the names given in the folder last through a power cut; a folder
    // that may be written but not read cannot be flushed and is left as it is.
    void Flush() const;
    bool Readable() const { return readable_; }
    // An advisory lock held by one thread of one process at a time, so that
    // two runs putting files in place in one folder take turns; waits for it
    // as `wait` says, and raises FileError naming `name` (the folder as the
    // user knows it) when that wait runs out. A folder that cannot be read
    // cannot be locked against other processes and is left as it is.
    void Lock(const FolderWait& wait, const std::string& name) const;
    void Unlock() const;
    // While this thread holds the lock: whether other processes are kept
    // out too (not where the folder cannot be read, nor on a file system
    // without locks). Only then may what a run left there be settled.
    bool KeepsOthersOut() const { return othersOut_; }
    // True the first time it is asked of this open folder, where it can be
    // read: the time to look for what a run killed outright left there, once
    // the folder is locked.
    bool TakeRecoveryDue() const { return recoveryDue_.exchange(false); }

private:
    OutputFolder(int fd, bool readable, dev_t device, ino_t inode, bool recoveryDue);
    bool TryLock() const;
    int fd_;
    bool readable_;
    dev_t device_;
    ino_t inode_;
    // The threads of this process take turns too: a lock of the folder's
    // descriptor would be shared by all of them.
    mutable std::mutex placing_;
    mutable bool othersOut_ = false;  // guarded by placing_
    mutable std::atomic<bool> recoveryDue_;
};

// A temporary file `.kes-XXXXXXXX.tmp` in a folder. While one exists, SIGINT,
// SIGTERM, SIGHUP, SIGPIPE, SIGQUIT and SIGXFSZ (where they would end the
// process) remove it before the process ends. Destroyed without Forget, it is removed.
class TemporaryFile {
public:
    TemporaryFile() = default;
    // Creates a new file with `mode` (less the umask) and returns it open for
    // writing in `fd`; raises FileError naming `forPath`.
    TemporaryFile(std::shared_ptr<OutputFolder> folder, mode_t mode, const std::string& forPath, int& fd);
    TemporaryFile(TemporaryFile&& other) noexcept;
    TemporaryFile& operator=(TemporaryFile&& other) noexcept;
    ~TemporaryFile() { Remove(); }

    bool Exists() const { return slot_ >= 0; }
    const char* Name() const;
    const OutputFolder& Folder() const { return *folder_; }
    // Renames the file to its name with `ending` (kJournalEnding) instead of
    // ".tmp", where no file has that name; raises FileError naming `forPath`.
    // It is removed under that name from then on.
    void ChangeEnding(const char* ending, const std::string& forPath);
    // The file is no longer there under its name (renamed): nothing to remove.
    void Forget();
    void Remove();

private:
    std::shared_ptr<OutputFolder> folder_;
    int slot_ = -1;
};

// While one lives (in any thread), files are being put in place: a signal
// that ends the process then leaves the temporary files, which hold new or
// old contents of a set half placed, to the journal beside them.
class PlacingUnderway {
public:
    PlacingUnderway();
    ~PlacingUnderway();
    PlacingUnderway(const PlacingUnderway&) = delete;
    PlacingUnderway& operator=(const PlacingUnderway&) = delete;
};

// Holds back, in this thread, the signals that remove the temporary files
// while it lives: for steps that must not be cut in two.
class CleaningSignalsHeld {
public:
    CleaningSignalsHeld();
    ~CleaningSignalsHeld();
    CleaningSignalsHeld(const CleaningSignalsHeld&) = delete;
    CleaningSignalsHeld& operator=(const CleaningSignalsHeld&) = delete;

private:
    sigset_t previous_;
};

// Installs, once, the handlers that remove the temporary files when SIGINT,
// SIGTERM, SIGHUP, SIGPIPE, SIGQUIT or SIGXFSZ would end the process (a
// temporary file made installs them too).
void InstallCleaningHandlers();
// A function those handlers call first, with the signal: for a last word
// (a report) before the process ends. It may call only async-signal-safe
// functions; nullptr for none.
void SetCleaningHook(void (*hook)(int signal));
// A function those handlers ask before anything else: true when the program
// has only noted the signal and ends itself in order; false (or nullptr for
// none) ends it at once. It may call only async-signal-safe functions.
void SetDeferringHook(bool (*hook)(int signal));

// The ending of the journal of a set of files being put in place together
// (core/io/placing_journal.h): a name of the temporary files' family.
inline constexpr char kJournalEnding[] = ".journal";

// True for a name of the temporary files' family, `.kes-XXXXXXXX.tmp` or
// `.kes-XXXXXXXX.journal`: files a run makes and removes, never inputs.
bool IsTemporaryName(const char* name);
// True for `.kes-XXXXXXXX.journal` alone.
bool IsJournalName(const char* name);
