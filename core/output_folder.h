// SPDX-License-Identifier: GPL-3.0-or-later
// The folders outputs are written into, and the temporary files made there
// before an output is put in place, listed where a signal handler finds them.
#pragma once

#include <csignal>
#include <memory>
#include <string>
#include <sys/types.h>

class Descriptor;

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
    // An advisory lock held by one process at a time, so that two runs
    // putting files in place in one folder take turns; waits for it. A
    // folder that cannot be read cannot be locked and is left as it is.
    void Lock() const;
    void Unlock() const;

private:
    OutputFolder(int fd, bool readable, dev_t device, ino_t inode);
    int fd_;
    bool readable_;
    dev_t device_;
    ino_t inode_;
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
    // The file is no longer there under its name (renamed): nothing to remove.
    void Forget();
    void Remove();

private:
    std::shared_ptr<OutputFolder> folder_;
    int slot_ = -1;
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

// True for a name of the temporary files' pattern.
bool IsTemporaryName(const char* name);
