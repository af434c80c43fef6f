// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/io/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "core/io/input_file.h"
#include "core/io/output_folder.h"
#include "core/io/output_target.h"
#include "core/io/output_transaction.h"
#include "core/io/path_walk.h"
#include "core/io/temporary_folder.h"

FileError::FileError(const std::string& path, const std::string& systemMessage, int errorNumber)
    : std::runtime_error(path.empty() ? systemMessage : systemMessage + ": \"" + path + "\""), path_(path),
      systemMessage_(systemMessage), errorNumber_(errorNumber)
{}

void ThrowFileError(const std::string& path, int errorNumber)
{
    throw FileError(path, std::strerror(errorNumber), errorNumber);
}

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
}  // namespace

std::string ReadFileRange(const std::string& path, std::uint64_t offset, std::size_t count)
{
    return InputFile::Peek(path, offset, count);
}

// The output once writing has started: the target (resolved now outside a
// transaction), and the temporary file replacing it or the descriptor
// written into.
struct SafeFileWriter::Output {
    std::optional<OutputTarget> target;  // nothing: the transaction resolves the name
    std::shared_ptr<OutputFolder> folder;
    TemporaryFile temporary;
    int fd = -1;
    // Bytes written, and those of them handed to the disk already.
    off_t written = 0, handedToDisk = 0;
    ~Output()
    {
        if (fd >= 0) ::close(fd);
    }
    bool WrittenInto() const { return target && target->kind != OutputTarget::Kind::File; }
};

namespace {
// Where the temporary file of an output of a transaction is made, and its
// mode, from a look at the name that neither follows nor opens it: beside a
// file (never wider than the file it may replace), in the temporary folder
// for a device, a pipe or a descriptor, and for a plan that writes nothing.
std::shared_ptr<OutputFolder> PlaceOfTemporary(const std::string& path, const OutputGroup* group, mode_t& mode,
                                               bool& spooled)
{
    mode = 0666;
    spooled = true;
    if (DescriptorNamed(path) >= 0 || (group && group->Planned())) return TemporaryFolderFor(path, "");
    const WalkedPath walked = WalkToName(path, false);
    if (walked.info && S_ISREG(walked.info->st_mode)) mode = walked.info->st_mode & 0700;
    else if (walked.info && S_ISLNK(walked.info->st_mode)) mode = 0600;
    else if (walked.info && !S_ISDIR(walked.info->st_mode)) return TemporaryFolderFor(path, "");
    spooled = false;
    return OutputFolder::Adopt(walked.folder, path);
}
}  // namespace

SafeFileWriter::SafeFileWriter(const std::string& path, OutputTransaction* transaction)
    : path_(path), transaction_(transaction)
{}

SafeFileWriter::~SafeFileWriter() = default;

void SafeFileWriter::Open()
{
    auto output = std::make_unique<Output>();
    if (transaction_) {
        mode_t mode = 0;
        bool spooled = false;
        output->folder = PlaceOfTemporary(path_, transaction_->Group(), mode, spooled);
        try {
            output->temporary = TemporaryFile(output->folder, mode, path_, output->fd);
        } catch (const FileError& error) {
            // A folder that takes no file (/proc), though it may be written in.
            if (spooled) ThrowTemporaryFolderUnusable(error.SystemMessage());
            throw;
        }
        output_ = std::move(output);
        return;
    }
    output->target = ResolveOutput(path_);
    OutputTarget& target = *output->target;
    if (target.kind != OutputTarget::Kind::File) {
        output->fd = OpenForWritingInto(target, path_);
    } else {
        output->folder = OutputFolder::Adopt(target.folder, path_);
        output->temporary = TemporaryFile(output->folder, CreationMode(target), path_, output->fd);
    }
    output_ = std::move(output);
    if (!output_->WrittenInto())
        if (const int error = KeepAttributes(output_->fd, target)) Fail(error);
}

void SafeFileWriter::Append(std::string_view piece)
{
    if (done_) throw std::logic_error("append to a finished output: " + path_);
    if (buffer_.size() + piece.size() <= kBufferSize) {
        buffer_.append(piece);
        return;
    }
    Flush();
    Write(piece);
}

void SafeFileWriter::Flush()
{
    if (!output_) Open();
    Write(buffer_);
    buffer_.clear();
}

void SafeFileWriter::Write(std::string_view bytes)
{
    if (transaction_) transaction_->StopIfAsked();  // a stop asked for ends a long write too
    Output& output = *output_;
    if (const int error = WriteFully(output.fd, bytes)) Fail(error);
    if (output.WrittenInto()) return;
    // A large file goes to the disk while the rest is made, so that the
    // flush at its commit has little left to wait for.
    output.written += static_cast<off_t>(bytes.size());
    constexpr off_t kHandedToDiskEvery = 1 << 20;
    if (output.written - output.handedToDisk >= kHandedToDiskEvery) {
        (void)::sync_file_range(output.fd, output.handedToDisk, output.written - output.handedToDisk,
                                SYNC_FILE_RANGE_WRITE);
        output.handedToDisk = output.written;
    }
}

void SafeFileWriter::Commit()
{
    if (done_) throw std::logic_error("commit of a finished output: " + path_);
    Flush();
    Output& output = *output_;
    // A transaction flushes its files together when it commits; a file of
    // its own is on disk before it takes the output's name, so that after a
    // power cut the name holds the old file or the whole new one.
    OutputTransaction* transaction = transaction_;
    if (!transaction && !output.WrittenInto() && ::fsync(output.fd) != 0) Fail(errno);
    if (::close(std::exchange(output.fd, -1)) != 0) Fail(errno);
    if (transaction) {
        transaction->Take(path_, std::move(output.temporary));
    } else if (!output.WrittenInto()) {
        const int folder = output.folder->Descriptor();
        if (::renameat(folder, output.temporary.Name(), folder, output.target->name.c_str()) != 0) Fail(errno);
        output.temporary.Forget();
        output.folder->Flush();
    }
    output_.reset();
    done_ = true;
}

void SafeFileWriter::Fail(int errorNumber)
{
    output_.reset();
    done_ = true;
    ThrowFileError(path_, errorNumber);
}

void WriteFileSafely(const std::string& path, std::string_view content, OutputTransaction* transaction)
{
    SafeFileWriter output(path, transaction);
    output.Append(content);
    output.Commit();
}

bool SameFileOnDisk(const std::string& a, const std::string& b) { return FileIdentity(a) == FileIdentity(b); }

std::string FileIdentity(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        return "inode " + std::to_string(info.st_dev) + " " + std::to_string(info.st_ino);
    // A name in a folder that cannot be examined is kept as written, made
    // absolute: never equal to another such name.
    std::error_code error;
    std::filesystem::path spelled = std::filesystem::weakly_canonical(path, error);
    if (error) spelled = std::filesystem::absolute(path, error).lexically_normal();
    if (error) spelled = std::filesystem::path(path).lexically_normal();
    return "path " + spelled.string();
}
