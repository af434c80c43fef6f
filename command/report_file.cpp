// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/report_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "core/io/file_io.h"
#include "core/io/output_target.h"
#include "core/io/output_transaction.h"

namespace {
std::atomic<ReportFile*> active{nullptr};

// What a signal handler may do: write(2), nothing that allocates.
void WriteAll(int fd, const char* bytes, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written <= 0 && errno != EINTR) return;
        if (written > 0) bytes += written, size -= static_cast<std::size_t>(written);
    }
}
// A report whose reader has gone fails on its own: the SIGPIPE of its write
// (held while it writes) is taken back, so that it ends no conversion.
int WriteHeld(int fd, std::string_view text)
{
    const int error = WriteFully(fd, text);
    if (error == EPIPE) {
        sigset_t pipe;
        ::sigemptyset(&pipe);
        ::sigaddset(&pipe, SIGPIPE);
        const timespec now{};
        while (::sigtimedwait(&pipe, nullptr, &now) == SIGPIPE) {}
    }
    return error;
}
}  // namespace

ReportFile::ReportFile(const std::string& path, bool noClobber, const std::vector<std::string>& inputs)
    : path_(path), noClobber_(noClobber), inputs_(inputs)
{
    OutputTarget target = ResolveOutput(path);
    if (target.kind != OutputTarget::Kind::File) {
        fd_ = OpenForWritingInto(target, path);
    } else {
        if (noClobber && target.existing) throw FileError(path, "The file exists already and is kept");
        folder_ = OutputFolder::Adopt(target.folder, path);
        name_ = target.name;
        temporary_ = TemporaryFile(folder_, CreationMode(target), path, fd_);
        if (const int error = KeepAttributes(fd_, target)) ThrowFileError(path, error);
    }
    InstallCleaningHandlers();
    active.store(this);
    SetCleaningHook(Interrupted);
}

ReportFile::~ReportFile()
{
    active.store(nullptr);
    SetCleaningHook(nullptr);
    if (fd_ >= 0) ::close(fd_);
}

void ReportFile::SetEnding(std::string_view ending)
{
    endingLength_ = std::min(ending.size(), ending_.size());
    std::copy_n(ending.data(), endingLength_, ending_.data());
}

void ReportFile::Append(std::string_view text, std::string_view ending)
{
    // A signal finds the report whole: an entry and its ending, or neither.
    const CleaningSignalsHeld held;
    if (const int error = WriteHeld(fd_, text)) ThrowFileError(path_, error);
    SetEnding(ending);
}

void ReportFile::Finish(std::string_view ending)
{
    {
        const CleaningSignalsHeld held;
        active.store(nullptr);
        SetCleaningHook(nullptr);
        if (const int error = WriteHeld(fd_, ending)) ThrowFileError(path_, error);
    }
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0) ThrowFileError(path_, errno);
    if (!folder_) return;  // written into a device as it went
    OutputTransaction transaction;
    transaction.ProtectInputs(inputs_);
    if (noClobber_) transaction.NeverReplace();
    transaction.Take(path_, std::move(temporary_));
    transaction.Commit();
}

// The report as far as it went, in its place, before the temporary files go.
void ReportFile::Interrupted(int)
{
    ReportFile* report = active.exchange(nullptr);
    if (report == nullptr) return;
    WriteAll(report->fd_, report->ending_.data(), report->endingLength_);
    if (report->folder_ && report->temporary_.Exists()) {
        ::fsync(report->fd_);
        const int folder = report->folder_->Descriptor();
        ::renameat2(folder, report->temporary_.Name(), folder, report->name_.c_str(),
                    report->noClobber_ ? RENAME_NOREPLACE : 0);
    }
    static constexpr char kSaid[] = "kes-convert: interrupted\n";
    WriteAll(STDERR_FILENO, kSaid, sizeof kSaid - 1);
}
