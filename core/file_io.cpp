#include "core/file_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {
// A file that is not a folder, opened for reading.
int OpenForReading(const std::string& path, struct stat& info)
{
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) ThrowFileError(path, errno);
    if (::fstat(fd.Get(), &info) != 0) ThrowFileError(path, errno);
    if (S_ISDIR(info.st_mode)) ThrowFileError(path, EISDIR);
    return fd.Release();
}

// Reads straight into the container, sized from the file's length and grown
// when the file turns out longer (a pipe or a file that grows).
template <typename Container>
Container ReadWholeFile(const std::string& path)
{
    struct stat info{};
    Descriptor fd(OpenForReading(path, info));

    Container content;
    content.resize(info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0);
    std::size_t filled = 0;
    for (;;) {
        if (filled == content.size()) content.resize(content.size() + 65536);
        const ssize_t got = ::read(fd.Get(), content.data() + filled, content.size() - filled);
        if (got < 0) {
            if (errno == EINTR) continue;
            ThrowFileError(path, errno);
        }
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    content.resize(filled);
    return content;
}
}  // namespace

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) { return ReadWholeFile<std::vector<std::uint8_t>>(path); }

std::string ReadFileText(const std::string& path) { return ReadWholeFile<std::string>(path); }

std::string ReadFileRange(const std::string& path, std::uint64_t offset, std::size_t count)
{
    struct stat info{};
    Descriptor fd(OpenForReading(path, info));
    std::string bytes(count, '\0');
    std::size_t filled = 0;
    while (filled < count) {
        const ssize_t got = ::pread(fd.Get(), bytes.data() + filled, count - filled, static_cast<off_t>(offset + filled));
        if (got < 0) {
            if (errno == EINTR) continue;
            ThrowFileError(path, errno);
        }
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    return bytes;
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

bool SameFileOnDisk(const std::string& a, const std::string& b) { return FileIdentity(a) == FileIdentity(b); }

std::string FileIdentity(const std::string& path)
{
    struct stat info{};
    if (::stat(path.c_str(), &info) == 0)
        return "inode " + std::to_string(info.st_dev) + " " + std::to_string(info.st_ino);
    std::error_code ignored;
    return "path " + std::filesystem::weakly_canonical(path, ignored).string();
}
