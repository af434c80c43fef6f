// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/io/output_folder.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <pthread.h>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

#include "core/io/file_io.h"
#include "core/io/path_walk.h"

namespace {
// The temporary files that exist, as a signal handler can read them: a fixed
// table, each entry valid once its folder descriptor is set. A conversion
// writes at most a thousand track files, and a few more besides.
constexpr int kSlotCount = 4096;
constexpr std::size_t kNameSize = 24;  // ".kes-XXXXXXXX.journal" and its NUL

struct Slot {
    std::atomic<int> folder{-1};
    char name[kNameSize];
};

Slot slots[kSlotCount];
std::atomic<int> slotsUsed{0};  // slots from here on have never been used
std::mutex slotLock;
std::vector<int> freeSlots;

// SIGQUIT and SIGXFSZ (a file past the size limit) end the process with a
// core dump by default: the temporary files go all the same.
constexpr int kCleanedSignals[] = {SIGHUP, SIGINT, SIGPIPE, SIGTERM, SIGQUIT, SIGXFSZ};

std::atomic<void (*)(int)> cleaningHook{nullptr};
std::atomic<bool (*)(int)> deferringHook{nullptr};
std::atomic<int> placingNow{0};

extern "C" void RemoveTemporariesAndEnd(int signal)
{
    if (const auto defer = deferringHook.load(); defer && defer(signal)) return;
    if (const auto hook = cleaningHook.load()) hook(signal);
    const int used = placingNow.load() > 0 ? 0 : slotsUsed.load(std::memory_order_acquire);
    for (int i = 0; i < used; ++i) {
        const int folder = slots[i].folder.load(std::memory_order_acquire);
        if (folder >= 0) ::unlinkat(folder, slots[i].name, 0);
    }
    struct sigaction ending {};
    ending.sa_handler = SIG_DFL;
    ::sigemptyset(&ending.sa_mask);
    ::sigaction(signal, &ending, nullptr);
    ::raise(signal);  // delivered with its own action once the handler returns
}

// A child of a fork has none of its parent's temporary files to remove.
extern "C" void ForgetInheritedTemporaries()
{
    for (Slot& slot : slots) slot.folder.store(-1, std::memory_order_relaxed);
}
}  // namespace

// Only where the signal would end the process: one ignored or handled by the
// program stays as it was.
void InstallCleaningHandlers()
{
    static std::once_flag once;
    std::call_once(once, [] {
        ::pthread_atfork(nullptr, nullptr, ForgetInheritedTemporaries);
        struct sigaction handler {};
        handler.sa_handler = RemoveTemporariesAndEnd;
        ::sigemptyset(&handler.sa_mask);
        for (const int signal : kCleanedSignals) ::sigaddset(&handler.sa_mask, signal);
        for (const int signal : kCleanedSignals) {
            struct sigaction current {};
            if (::sigaction(signal, nullptr, &current) == 0 && !(current.sa_flags & SA_SIGINFO) &&
                current.sa_handler == SIG_DFL)
                ::sigaction(signal, &handler, nullptr);
        }
    });
}

void SetCleaningHook(void (*hook)(int signal)) { cleaningHook.store(hook); }

void SetDeferringHook(bool (*hook)(int signal)) { deferringHook.store(hook); }

namespace {
int TakeSlot(int folder, const char* name)
{
    std::lock_guard lock(slotLock);
    int slot;
    if (!freeSlots.empty()) {
        slot = freeSlots.back();
        freeSlots.pop_back();
    } else {
        slot = slotsUsed.load(std::memory_order_relaxed);
        if (slot == kSlotCount) return -1;
        slotsUsed.store(slot + 1, std::memory_order_release);
    }
    std::snprintf(slots[slot].name, kNameSize, "%s", name);
    slots[slot].folder.store(folder, std::memory_order_release);
    return slot;
}

void ReleaseSlot(int slot)
{
    std::lock_guard lock(slotLock);
    slots[slot].folder.store(-1, std::memory_order_release);
    freeSlots.push_back(slot);
}

constexpr char kTemporaryEnding[] = ".tmp";

// A short name, so that an output name of any valid length still leaves room
// for it; hidden, so that a file manager open on the folder does not show it.
void MakeTemporaryName(char (&name)[kNameSize])
{
    std::random_device random;
    std::snprintf(name, kNameSize, ".kes-%08llx%s", static_cast<unsigned long long>(random() & 0xFFFFFFFFull),
                  kTemporaryEnding);
}

// `.kes-`, eight lowercase hexadecimal digits, then `ending` and nothing more.
bool OfFamily(const char* name, const char* ending)
{
    static constexpr char kStart[] = ".kes-";
    for (int i = 0; i < 5; ++i)
        if (name[i] != kStart[i]) return false;
    for (int i = 5; i < 13; ++i)
        if (!((name[i] >= '0' && name[i] <= '9') || (name[i] >= 'a' && name[i] <= 'f'))) return false;
    return std::strcmp(name + 13, ending) == 0;
}

// Temporary files of this user a day old, unless a journal is there: the
// files of a set a run was killed while putting in place are its to recover.
void RemoveStaleTemporaries(int folder)
{
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) return;
    DIR* entries = ::fdopendir(listing);
    if (entries == nullptr) {
        ::close(listing);
        return;
    }
    const std::time_t dayAgo = std::time(nullptr) - 24 * 60 * 60;
    std::vector<std::string> stale;
    bool journal = false;
    while (const dirent* entry = ::readdir(entries)) {
        journal = journal || IsJournalName(entry->d_name);
        if (journal || !OfFamily(entry->d_name, kTemporaryEnding)) continue;
        struct stat info {};
        if (::fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == ::geteuid() && info.st_mtime < dayAgo)
            stale.emplace_back(entry->d_name);
    }
    ::closedir(entries);
    if (journal) return;
    for (const std::string& name : stale) ::unlinkat(folder, name.c_str(), 0);
}

// Each folder is looked through once per process; the set of those seen is
// forgotten now and then, so that it stays small whatever a process writes.
bool FirstVisit(dev_t device, ino_t inode)
{
    static std::mutex lock;
    static std::set<std::pair<dev_t, ino_t>> visited;
    std::lock_guard guard(lock);
    if (visited.size() >= 1024) visited.clear();
    return visited.emplace(device, inode).second;
}

// The folders open now, so that the outputs of a batch into one folder share
// one descriptor. A folder cannot be removed and its number given to another
// while a descriptor holds it.
std::mutex openMutex;
std::map<std::pair<dev_t, ino_t>, std::weak_ptr<OutputFolder>> openFolders;
}  // namespace

PlacingUnderway::PlacingUnderway() { placingNow.fetch_add(1); }

PlacingUnderway::~PlacingUnderway() { placingNow.fetch_sub(1); }

CleaningSignalsHeld::CleaningSignalsHeld()
{
    sigset_t held;
    ::sigemptyset(&held);
    for (const int signal : kCleanedSignals) ::sigaddset(&held, signal);
    ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

CleaningSignalsHeld::~CleaningSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

bool IsTemporaryName(const char* name) { return OfFamily(name, kTemporaryEnding) || OfFamily(name, kJournalEnding); }

bool IsJournalName(const char* name) { return OfFamily(name, kJournalEnding); }

std::shared_ptr<OutputFolder> OutputFolder::Open(const std::string& folder, const std::string& forPath)
{
    const ::Descriptor found(::open(folder.empty() ? "." : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!found) ThrowFileError(forPath, errno);
    return Adopt(found, forPath);
}

std::shared_ptr<OutputFolder> OutputFolder::Adopt(const ::Descriptor& folder, const std::string& forPath)
{
    struct stat info {};
    if (::fstat(folder.Get(), &info) != 0) ThrowFileError(forPath, errno);
    const std::pair<dev_t, ino_t> key{info.st_dev, info.st_ino};
    const std::lock_guard guard(openMutex);
    if (auto open = openFolders[key].lock()) return open;
    bool readable = true;
    int fd = ::openat(folder.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 && errno == EACCES) {
        // A folder one may write in but not list: files are made and named
        // through a descriptor that only finds the folder.
        readable = false;
        fd = ::fcntl(folder.Get(), F_DUPFD_CLOEXEC, 0);
    }
    if (fd < 0) ThrowFileError(forPath, errno);
    if (readable && FirstVisit(info.st_dev, info.st_ino)) RemoveStaleTemporaries(fd);
    std::shared_ptr<OutputFolder> opened(new OutputFolder(fd, readable, info.st_dev, info.st_ino, readable));
    if (openFolders.size() >= 256) std::erase_if(openFolders, [](const auto& entry) { return entry.second.expired(); });
    openFolders[key] = opened;
    return opened;
}

OutputFolder::OutputFolder(int fd, bool readable, dev_t device, ino_t inode, bool recoveryDue)
    : fd_(fd), readable_(readable), device_(device), inode_(inode), recoveryDue_(recoveryDue)
{}

OutputFolder::~OutputFolder() { ::close(fd_); }

void OutputFolder::Flush() const
{
    // The files are in place whatever the flush says: nothing could be undone.
    if (readable_) ::fsync(fd_);
}

bool OutputFolder::TryLock() const
{
    if (!placing_.try_lock()) return false;
    othersOut_ = false;
    if (!readable_) return true;
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            othersOut_ = true;
            return true;
        }
        if (errno == EWOULDBLOCK) break;
        if (errno != EINTR) return true;  // a file system without locks: left as it is
    }
    placing_.unlock();
    return false;
}

// Looked at again and again, a little less often each time: a lock cannot be
// waited for with a bound, and a run holds it only while it puts files in place.
void OutputFolder::Lock(const FolderWait& wait, const std::string& name) const
{
    using Clock = std::chrono::steady_clock;
    constexpr auto kSayAfter = std::chrono::seconds(1);
    constexpr auto kLongestPause = std::chrono::milliseconds(50);
    const Clock::time_point start = Clock::now();
    std::chrono::milliseconds pause{1};
    bool said = false;
    while (!TryLock()) {
        const Clock::duration waited = Clock::now() - start;
        if (wait.bound && waited >= *wait.bound) {
            const long long seconds = wait.bound->count();
            throw FileError(name, seconds == 0 ? "another conversion is putting files into this folder"
                                               : "another conversion is still putting files into this folder after "
                                                 "a wait of " +
                                                     std::to_string(seconds) + (seconds == 1 ? " second" : " seconds"));
        }
        if (!said && waited >= kSayAfter) {
            said = true;
            if (wait.onLongWait) wait.onLongWait(name);
        }
        Clock::duration sleep = pause;
        if (wait.bound) sleep = std::min(sleep, Clock::duration(*wait.bound) - waited);
        std::this_thread::sleep_for(sleep);
        pause = std::min(pause * 2, kLongestPause);
    }
}

void OutputFolder::Unlock() const
{
    if (othersOut_) ::flock(fd_, LOCK_UN);
    othersOut_ = false;
    placing_.unlock();
}

TemporaryFile::TemporaryFile(std::shared_ptr<OutputFolder> folder, mode_t mode, const std::string& forPath, int& fd)
    : folder_(std::move(folder))
{
    InstallCleaningHandlers();
    // Made and listed with no signal between.
    const CleaningSignalsHeld held;
    char name[kNameSize];
    for (int attempt = 0; attempt < 16; ++attempt) {
        MakeTemporaryName(name);
        fd = ::openat(folder_->Descriptor(), name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) ThrowFileError(forPath, errno);
        slot_ = TakeSlot(folder_->Descriptor(), name);
        if (slot_ >= 0) return;
        ::unlinkat(folder_->Descriptor(), name, 0);
        ::close(fd);
        fd = -1;
        ThrowFileError(forPath, EMFILE);
    }
    ThrowFileError(forPath, EEXIST);
}

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept
    : folder_(std::move(other.folder_)), slot_(std::exchange(other.slot_, -1))
{}

TemporaryFile& TemporaryFile::operator=(TemporaryFile&& other) noexcept
{
    if (this != &other) {
        Remove();
        folder_ = std::move(other.folder_);
        slot_ = std::exchange(other.slot_, -1);
    }
    return *this;
}

const char* TemporaryFile::Name() const { return slots[slot_].name; }

void TemporaryFile::ChangeEnding(const char* ending, const std::string& forPath)
{
    const std::string stem(Name(), std::strlen(Name()) - (sizeof kTemporaryEnding - 1));
    const std::string renamed = stem + ending;
    if (renamed.size() >= kNameSize) throw std::logic_error("a temporary file's ending too long");
    const int folder = folder_->Descriptor();
    // Renamed and listed under the new name with no signal between.
    const CleaningSignalsHeld held;
    if (::renameat2(folder, Name(), folder, renamed.c_str(), RENAME_NOREPLACE) != 0) {
        if (errno != EINVAL && errno != ENOSYS) ThrowFileError(forPath, errno);
        // A file system without that rename: a link cannot take a name either.
        if (::linkat(folder, Name(), folder, renamed.c_str(), 0) != 0) ThrowFileError(forPath, errno);
        ::unlinkat(folder, Name(), 0);
    }
    slots[slot_].folder.store(-1, std::memory_order_release);
    std::memcpy(slots[slot_].name, renamed.c_str(), renamed.size() + 1);
    slots[slot_].folder.store(folder, std::memory_order_release);
}

void TemporaryFile::Forget()
{
    if (slot_ < 0) return;
    ReleaseSlot(slot_);
    slot_ = -1;
}

void TemporaryFile::Remove()
{
    if (slot_ < 0) return;
    ::unlinkat(folder_->Descriptor(), Name(), 0);
    Forget();
}
