// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/io/temporary_folder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "core/io/file_io.h"
#include "core/io/output_folder.h"
#include "core/io/output_target.h"

namespace {
[[noreturn]] void ThrowUnusable(int error) { ThrowTemporaryFolderUnusable(std::strerror(error)); }

// 0 or an errno.
int UnnamedFileIn(const std::string& folder, int& fd)
{
    fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return 0;
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return errno;
    std::string name = folder + "/.kes-spool-XXXXXX";  // a file system without unnamed files
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return errno;
    ::unlink(name.c_str());
    return 0;
}
}  // namespace

std::string TemporaryFolderName()
{
    const char* folder = std::getenv("TMPDIR");
    return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

void ThrowTemporaryFolderUnusable(const std::string& systemMessage)
{
    throw FileError(TemporaryFolderName(), "the temporary folder (TMPDIR) cannot be used: " + systemMessage);
}

std::shared_ptr<OutputFolder> TemporaryFolderFor(const std::string& forPath, const std::string& fallback)
{
    try {
        auto folder = OutputFolder::Open(TemporaryFolderName(), TemporaryFolderName());
        if (::faccessat(folder->Descriptor(), ".", W_OK | X_OK, AT_EACCESS) != 0) ThrowFileError(forPath, errno);
        return folder;
    } catch (const FileError& error) {
        if (!fallback.empty()) {
            try {
                return OutputFolder::Open(fallback, forPath);
            } catch (const FileError&) {}
        }
        ThrowTemporaryFolderUnusable(error.SystemMessage());
    }
}

int UnnamedTemporaryFile(const std::string& fallback)
{
    int fd = -1;
    const int error = UnnamedFileIn(TemporaryFolderName(), fd);
    if (error == 0) return fd;
    if (!fallback.empty() && UnnamedFileIn(fallback, fd) == 0) return fd;
    ThrowUnusable(error);
}

std::string FolderOfFileOutput(const std::string& outputName)
{
    if (outputName.empty() || DescriptorNamed(outputName) >= 0) return {};
    struct stat info {};
    if (::stat(outputName.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return {};
    const std::filesystem::path folder = std::filesystem::path(outputName).parent_path();
    return folder.empty() ? "." : folder.string();
}
