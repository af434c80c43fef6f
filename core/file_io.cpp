#include "core/file_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "core/input_file.h"

FileError::FileError(const std::string& path, const std::string& systemMessage)
    : std::runtime_error(path.empty() ? systemMessage : systemMessage + ": \"" + path + "\""),
      path_(path),
      systemMessage_(systemMessage)
{
}

void ThrowFileError(const std::string& path, int errorNumber)
{
    throw FileError(path, std::strerror(errorNumber));
}

namespace {
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    int Release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

std::string TemporaryNameBeside(const std::string& path)
{
    static std::mt19937_64 generator{std::random_device{}()};
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%012llx.tmp",
                  static_cast<unsigned long long>(generator() & 0xFFFFFFFFFFFFull));
    return path + suffix;
}
}  // namespace

std::vector<std::uint8_t> ReadFileBytes(const std::string& path)
{
    const auto bytes = InputFile::Open(path)->Bytes();
    return {bytes.begin(), bytes.end()};
}

std::string ReadFileText(const std::string& path)
{
    const auto bytes = InputFile::Open(path)->Bytes();
    return {bytes.begin(), bytes.end()};
}

void WriteFileSafely(const std::string& path, std::string_view content)
{
    struct stat existing{};
    if (::stat(path.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) ThrowFileError(path, EISDIR);

    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = TemporaryNameBeside(path);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) ThrowFileError(path, errno);
    }
    if (fd < 0) ThrowFileError(path, EEXIST);
    Descriptor guard(fd);

    auto fail = [&](int errorNumber) {
        ::close(guard.Release());
        ::unlink(temporary.c_str());
        ThrowFileError(path, errorNumber);
    };

    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (::close(guard.Release()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        ThrowFileError(path, error);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        ThrowFileError(path, error);
    }
}

bool SameFileOnDisk(const std::string& a, const std::string& b)
{
    struct stat first{}, second{};
    const bool firstExists = ::stat(a.c_str(), &first) == 0;
    const bool secondExists = ::stat(b.c_str(), &second) == 0;
    if (firstExists && secondExists) return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    if (firstExists != secondExists) return false;
    std::error_code ignored;
    return std::filesystem::weakly_canonical(a, ignored) == std::filesystem::weakly_canonical(b, ignored);
}
