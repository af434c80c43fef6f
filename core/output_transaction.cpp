// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/output_transaction.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "core/file_io.h"

namespace {
thread_local OutputTransaction* current = nullptr;

const char* const kKeptMessage = "The file exists already and is kept";

// Flushes the file, or with `wholeFileSystem` every file of its file system;
// returns 0 or an errno.
int FlushToDisk(const TemporaryFile& temporary, bool wholeFileSystem)
{
    const int fd = ::openat(temporary.Folder().Descriptor(), temporary.Name(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return errno;
    const int error = (wholeFileSystem ? ::syncfs(fd) : ::fsync(fd)) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

// The temporary file's content written into a device or descriptor; 0 or an errno.
int CopyInto(const TemporaryFile& temporary, const OutputTarget& target, const std::string& path)
{
    const int from = ::openat(temporary.Folder().Descriptor(), temporary.Name(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (from < 0) return errno;
    int error = 0;
    try {
        const int into = OpenForWritingInto(target, path);
        char buffer[1 << 16];
        for (ssize_t got; error == 0 && (got = ::read(from, buffer, sizeof buffer)) != 0;) {
            if (got < 0) error = errno == EINTR ? 0 : errno;
            else error = WriteFully(into, {buffer, static_cast<std::size_t>(got)});
        }
        ::close(into);
    } catch (...) {
        ::close(from);
        throw;
    }
    ::close(from);
    return error;
}

void AddFolder(std::vector<std::shared_ptr<const OutputFolder>>& folders, std::shared_ptr<const OutputFolder> folder)
{
    const auto same = [&](const auto& listed) { return listed->SameAs(*folder); };
    if (std::none_of(folders.begin(), folders.end(), same)) folders.push_back(std::move(folder));
}
}  // namespace

thread_local FolderFlushes* FolderFlushes::current_ = nullptr;

FolderFlushes::FolderFlushes() : previous_(current_) { current_ = this; }

FolderFlushes::~FolderFlushes()
{
    current_ = previous_;
    FlushAll();
}

void FolderFlushes::Add(std::shared_ptr<const OutputFolder> folder)
{
    // A batch over many folders holds only a few of them open at a time.
    if (folders_.size() >= 64) FlushAll();
    AddFolder(folders_, std::move(folder));
}

void FolderFlushes::FlushAll()
{
    for (const auto& folder : folders_) folder->Flush();
    folders_.clear();
}

OutputTransaction::OutputTransaction() : previous_(current) { current = this; }

OutputTransaction::~OutputTransaction() { current = previous_; }

OutputTransaction* OutputTransaction::Current() { return current; }

void OutputTransaction::ProtectInputs(const std::vector<std::string>& inputs)
{
    for (const std::string& input : inputs) {
        struct stat info {};
        if (!input.empty() && ::stat(input.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            inputs_.emplace_back(info.st_dev, info.st_ino);
    }
}

void OutputTransaction::CheckNotAnInput(const std::string& path, const OutputTarget& target) const
{
    if (!target.existing) return;
    const std::pair<dev_t, ino_t> file{target.existing->st_dev, target.existing->st_ino};
    if (std::find(inputs_.begin(), inputs_.end(), file) != inputs_.end())
        throw FileError(path, "Output File cannot be the same as the Input File");
}

void OutputTransaction::Take(const std::string& path, std::shared_ptr<const OutputFolder> folder,
                             TemporaryFile temporary, const std::string& name)
{
    if (committed_) throw std::logic_error("an output given to a finished transaction: " + path);
    pending_.push_back({path, std::move(temporary), std::move(folder), name, std::nullopt});
}

void OutputTransaction::Rename(const std::string& from, const std::string& to)
{
    const auto found =
        std::find_if(pending_.rbegin(), pending_.rend(), [&](const Pending& p) { return p.path == from; });
    if (found == pending_.rend()) throw std::logic_error("no output is pending under the name " + from);
    Pending& pending = *found;
    OutputTarget target = ResolveOutput(to);
    CheckNotAnInput(to, target);
    if (target.kind != OutputTarget::Kind::File) {
        pending.device = std::move(target);
        pending.path = to;
        return;
    }
    auto folder = OutputFolder::Open(target.folder, to);
    if (folder->Device() != pending.temporary.Folder().Device()) ThrowFileError(to, EXDEV);
    const int fd =
        ::openat(pending.temporary.Folder().Descriptor(), pending.temporary.Name(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) ThrowFileError(to, errno);
    const int error = KeepAttributes(fd, target);
    ::close(fd);
    if (error != 0) ThrowFileError(to, error);
    pending.folder = std::move(folder);
    pending.name = target.name;
    pending.path = to;
    pending.device.reset();
}

// Each file is exchanged with the one it replaces, so that a later failure can
// give every earlier one its old content back; a file system that cannot
// exchange renames, and that step alone cannot be undone.
OutputTransaction::Placing OutputTransaction::PutInPlace(Pending& p, bool neverReplace)
{
    if (p.device) return Placing::Copied;  // before any was placed
    const int from = p.temporary.Folder().Descriptor(), to = p.folder->Descriptor();
    if (neverReplace) {
        if (::renameat2(from, p.temporary.Name(), to, p.name.c_str(), RENAME_NOREPLACE) == 0) return Placing::Added;
        if (errno == EEXIST) throw FileError(p.path, kKeptMessage);
        if (errno != EINVAL && errno != ENOSYS) ThrowFileError(p.path, errno);
        // A file system without that rename: a link cannot take a name either.
        if (::linkat(from, p.temporary.Name(), to, p.name.c_str(), 0) != 0) {
            if (errno == EEXIST) throw FileError(p.path, kKeptMessage);
            ThrowFileError(p.path, errno);
        }
        ::unlinkat(from, p.temporary.Name(), 0);
        return Placing::Added;
    }
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (::renameat2(from, p.temporary.Name(), to, p.name.c_str(), RENAME_EXCHANGE) == 0) {
            // What was there is now under the temporary name: a folder put
            // there meanwhile goes back and is not replaced.
            struct stat old {};
            if (::fstatat(from, p.temporary.Name(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(old.st_mode)) {
                ::renameat2(from, p.temporary.Name(), to, p.name.c_str(), RENAME_EXCHANGE);
                ThrowFileError(p.path, EISDIR);
            }
            return Placing::Exchanged;
        }
        if (errno == ENOENT) {
            if (::renameat2(from, p.temporary.Name(), to, p.name.c_str(), RENAME_NOREPLACE) == 0) return Placing::Added;
            if (errno == EEXIST) continue;  // made meanwhile: exchanged with it
        }
        if (errno != EINVAL && errno != ENOSYS) ThrowFileError(p.path, errno);
        if (::renameat(from, p.temporary.Name(), to, p.name.c_str()) != 0) ThrowFileError(p.path, errno);
        return Placing::Renamed;
    }
    ThrowFileError(p.path, EEXIST);
}

void OutputTransaction::TakeBack(Pending& p, Placing how)
{
    const int from = p.temporary.Folder().Descriptor(), to = p.folder->Descriptor();
    if (how == Placing::Exchanged) ::renameat2(from, p.temporary.Name(), to, p.name.c_str(), RENAME_EXCHANGE);
    if (how == Placing::Added) ::renameat2(to, p.name.c_str(), from, p.temporary.Name(), RENAME_NOREPLACE);
}

// Each flush of a file waits for the disk to empty its cache, some
// milliseconds: a few files are flushed one by one, more (the track files of
// one input, up to a thousand) by one flush of each file system they are on,
// which costs one wait for them all.
void OutputTransaction::FlushToDisk() const
{
    constexpr std::size_t kFlushedOneByOne = 8;
    const bool oneByOne = pending_.size() <= kFlushedOneByOne;
    std::vector<dev_t> flushed;
    for (const Pending& p : pending_) {
        const dev_t device = p.temporary.Folder().Device();
        if (!oneByOne && std::find(flushed.begin(), flushed.end(), device) != flushed.end()) continue;
        if (const int error = ::FlushToDisk(p.temporary, !oneByOne)) ThrowFileError(p.path, error);
        flushed.push_back(device);
    }
}

void OutputTransaction::RefuseTakenNames() const
{
    for (const Pending& p : pending_) {
        struct stat info {};
        if (!p.device && ::fstatat(p.folder->Descriptor(), p.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
            throw FileError(p.path, kKeptMessage);
    }
}

void OutputTransaction::Commit()
{
    if (committed_) throw std::logic_error("a transaction committed twice");
    OutputGroup* group = OutputGroup::Current();
    if (group &&
        std::none_of(pending_.begin(), pending_.end(), [](const Pending& p) { return p.device.has_value(); })) {
        try {
            if (neverReplace_) RefuseTakenNames();
        } catch (...) {
            pending_.clear();
            throw;
        }
        group->Join({std::move(pending_), neverReplace_, onPlaced_, nullptr});
        pending_.clear();
        committed_ = true;
        return;
    }
    try {
        if (neverReplace_) RefuseTakenNames();
        FlushToDisk();
        // A device or pipe may wait for its reader: it is written while a
        // signal can still end the process, and nothing is in place yet.
        for (const Pending& p : pending_)
            if (p.device)
                if (const int error = CopyInto(p.temporary, *p.device, p.path)) ThrowFileError(p.path, error);
    } catch (...) {
        pending_.clear();  // the temporary files go at once
        throw;
    }
    std::vector<Placing> placed;
    placed.reserve(pending_.size());
    {
        // A signal while they are placed would leave some in place and others not.
        const CleaningSignalsHeld held;
        try {
            for (Pending& p : pending_) placed.push_back(PutInPlace(p, neverReplace_));
        } catch (...) {
            for (std::size_t i = placed.size(); i-- > 0;) TakeBack(pending_[i], placed[i]);
            pending_.clear();  // the temporary files go at once
            throw;
        }
    }
    committed_ = true;
    std::vector<std::shared_ptr<const OutputFolder>> folders;
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        Pending& p = pending_[i];
        // The temporary name holds the old content, or the copy, or nothing.
        if (placed[i] == Placing::Exchanged || placed[i] == Placing::Copied) p.temporary.Remove();
        else p.temporary.Forget();
        if (!p.device) AddFolder(folders, p.folder);
    }
    // Once per folder, after every rename in it: the new names last through a power cut.
    if (FolderFlushes* later = FolderFlushes::Current()) {
        for (auto& folder : folders) later->Add(std::move(folder));
    } else {
        for (const auto& folder : folders) folder->Flush();
    }
    for (const Pending& p : pending_) Place(p.path);
    pending_.clear();
}

std::vector<std::string> OutputTransaction::NamesInUse() const
{
    std::vector<std::string> names;
    for (const Pending& p : pending_) {
        struct stat info {};
        // A dangling link is a name in use too: the output would take it.
        if (!p.device && ::fstatat(p.folder->Descriptor(), p.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
            names.push_back(p.path);
    }
    return names;
}

void OutputTransaction::Place(const std::string& path)
{
    ++placedCount_;
    if (firstPlaced_.size() < kPlacedNamesKept) firstPlaced_.push_back(path);
    if (onPlaced_) onPlaced_(path);
}

namespace {
thread_local OutputGroup* currentGroup = nullptr;
}

OutputGroup::OutputGroup() : previous_(currentGroup) { currentGroup = this; }

OutputGroup::~OutputGroup()
{
    currentGroup = previous_;
    try {
        Commit();
    } catch (...) {
        // Each transaction was told of its own failure.
    }
}

OutputGroup* OutputGroup::Current() { return currentGroup; }

void OutputGroup::Expect(std::function<void(const std::exception*)> onDone) { expected_ = std::move(onDone); }

bool OutputGroup::DropExpectation()
{
    const bool untaken = expected_ != nullptr;
    expected_ = nullptr;
    return untaken;
}

bool OutputGroup::Full() const
{
    // Temporary files hold slots of a table of a few thousand.
    constexpr std::size_t kConversions = 256, kFiles = 1024;
    return joined_.size() >= kConversions || files_ >= kFiles;
}

void OutputGroup::Join(Joined joined)
{
    joined.onDone = std::move(expected_);
    expected_ = nullptr;
    files_ += joined.files.size();
    joined_.push_back(std::move(joined));
}

void OutputGroup::Commit()
{
    std::vector<Joined> joined = std::move(joined_);
    joined_.clear();
    files_ = 0;
    const auto tell = [](Joined& j, const std::exception* error) {
        if (j.onDone) j.onDone(error);
    };
    // One flush of each file system before any name is taken.
    std::vector<dev_t> flushed;
    try {
        for (const Joined& j : joined)
            for (const OutputTransaction::Pending& p : j.files) {
                const dev_t device = p.temporary.Folder().Device();
                if (std::find(flushed.begin(), flushed.end(), device) != flushed.end()) continue;
                if (const int error = ::FlushToDisk(p.temporary, true)) ThrowFileError(p.path, error);
                flushed.push_back(device);
            }
    } catch (const std::exception& error) {
        for (Joined& j : joined) {
            j.files.clear();
            tell(j, &error);
        }
        throw;
    }
    std::vector<std::shared_ptr<const OutputFolder>> folders;
    std::vector<std::pair<Joined*, std::optional<FileError>>> outcomes;
    for (Joined& j : joined) {
        std::vector<OutputTransaction::Placing> placed;
        try {
            const CleaningSignalsHeld held;
            try {
                for (OutputTransaction::Pending& p : j.files)
                    placed.push_back(OutputTransaction::PutInPlace(p, j.neverReplace));
            } catch (...) {
                for (std::size_t i = placed.size(); i-- > 0;) OutputTransaction::TakeBack(j.files[i], placed[i]);
                throw;
            }
        } catch (const FileError& error) {
            j.files.clear();
            outcomes.emplace_back(&j, error);
            continue;
        }
        for (std::size_t i = 0; i < j.files.size(); ++i) {
            OutputTransaction::Pending& p = j.files[i];
            if (placed[i] == OutputTransaction::Placing::Exchanged) p.temporary.Remove();
            else p.temporary.Forget();
            AddFolder(folders, p.folder);
        }
        outcomes.emplace_back(&j, std::nullopt);
    }
    // Once per folder, after every rename in it: the new names last through a power cut.
    for (const auto& folder : folders) folder->Flush();
    for (auto& [j, error] : outcomes) {
        if (!error && j->onPlaced)
            for (const OutputTransaction::Pending& p : j->files) j->onPlaced(p.path);
        tell(*j, error ? &*error : nullptr);
    }
}
