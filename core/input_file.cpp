// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/input_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/file_io.h"

namespace {
// The mapped input files that are open; few at a time (one per reader).
std::vector<const InputFile*>& OpenMappings()
{
    static std::vector<const InputFile*> open;
    return open;
}

// Closes an open descriptor on every way out.
struct Closer {
    void operator()(const int* fd) const { ::close(*fd); }
};

std::size_t PageSize()
{
    static const std::size_t size = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    return size;
}

// Reads what the descriptor gives up to the limit; a longer input is refused.
std::string ReadUpTo(int fd, const std::string& path, std::size_t limit)
{
    std::string content;
    std::size_t filled = 0;
    for (;;) {
        if (filled == content.size()) {
            if (filled > limit) ThrowFileError(path, EFBIG);
            const std::size_t grown = std::max<std::size_t>(content.size() * 2, 65536);
            content.resize(limit < grown ? limit + 1 : grown);  // one byte past the limit tells it is passed
        }
        const ssize_t got = ::read(fd, content.data() + filled, content.size() - filled);
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

std::shared_ptr<const InputFile> InputFile::Open(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) ThrowFileError(path, errno);
    const std::unique_ptr<const int, Closer> closeAtEnd(&fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0) ThrowFileError(path, errno);
    if (S_ISDIR(info.st_mode)) ThrowFileError(path, EISDIR);

    std::shared_ptr<InputFile> input(new InputFile);
    const auto size = static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 0);
    if (S_ISREG(info.st_mode) && size > 0) {
        void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (mapped != MAP_FAILED) {
            ::madvise(mapped, size, MADV_SEQUENTIAL);
            input->mapping_ = mapped;
            input->mappedSize_ = size;
            input->bytes_ = {static_cast<const std::uint8_t*>(mapped), size};
            OpenMappings().push_back(input.get());
            return input;
        }
    }
    // A file that cannot be mapped: a pipe, a device, a file system without
    // mapping, or a file whose size the system does not know beforehand.
    const bool sizeKnown = S_ISREG(info.st_mode) && size > 0;
    input->held_ = ReadUpTo(fd, path, sizeKnown ? SIZE_MAX : kMaxUnmappedSize);
    input->bytes_ = {reinterpret_cast<const std::uint8_t*>(input->held_.data()), input->held_.size()};
    return input;
}

std::shared_ptr<const InputFile> InputFile::Hold(std::string bytes)
{
    std::shared_ptr<InputFile> input(new InputFile);
    input->held_ = std::move(bytes);
    input->bytes_ = {reinterpret_cast<const std::uint8_t*>(input->held_.data()), input->held_.size()};
    return input;
}

InputFile::~InputFile()
{
    if (!mapping_) return;
    ::munmap(mapping_, mappedSize_);
    auto& open = OpenMappings();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
}

void InputFile::HandBack(std::size_t from, std::size_t to) const
{
    if (!mapping_) return;
    to = std::min(to, mappedSize_);
    const std::size_t page = PageSize();
    const std::size_t first = (from + page - 1) / page * page;
    const std::size_t last = to / page * page;
    if (first >= last) return;
    ::madvise(static_cast<char*>(mapping_) + first, last - first, MADV_DONTNEED);
}

void InputFile::HandBackRange(const std::uint8_t* from, const std::uint8_t* to)
{
    for (const InputFile* input : OpenMappings()) {
        const std::uint8_t* begin = input->bytes_.data();
        const std::uint8_t* end = begin + input->bytes_.size();
        if (from >= begin && from < end)
            input->HandBack(static_cast<std::size_t>(from - begin),
                            static_cast<std::size_t>(std::min(to, end) - begin));
    }
}
