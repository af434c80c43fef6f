// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/io/input_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <new>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "core/io/file_io.h"
#include "core/io/read_watch.h"
#include "core/io/unpacked_input.h"

namespace {
const char* const kCutShort = "The file was cut short while it was read";
const char* const kReadOnce = "A pipe is read only once: the reader went back to bytes it had passed";

// Inputs that can be read only once (pipes, sockets, devices), opened for a
// look at their first bytes and kept, with those bytes, for their reader.
using Identity = std::pair<dev_t, ino_t>;
std::mutex heldMutex;
std::map<Identity, std::shared_ptr<InputFile>>& HeldInputs()
{
    static std::map<Identity, std::shared_ptr<InputFile>> held;
    return held;
}

// The window of the input read last, kept for the next one: a batch of small
// files then sets up its memory once.
struct Buffer {
    std::uint8_t* bytes = nullptr;
    std::size_t capacity = 0;
};
std::mutex spareMutex;
Buffer spare;

// A buffer of at least `capacity` bytes, its pages put in place at once: a
// fault on each would cost more than the copy into it.
Buffer TakeBuffer(std::size_t capacity)
{
    {
        const std::lock_guard lock(spareMutex);
        if (spare.bytes && spare.capacity >= capacity) return std::exchange(spare, {});
    }
    void* bytes = ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (bytes == MAP_FAILED) throw std::bad_alloc();
    return {static_cast<std::uint8_t*>(bytes), capacity};
}

// Kept as the spare when it is the larger one.
void GiveBackBuffer(Buffer buffer)
{
    if (!buffer.bytes) return;
    {
        const std::lock_guard lock(spareMutex);
        if (spare.capacity < buffer.capacity) std::swap(spare, buffer);
    }
    if (buffer.bytes) ::munmap(buffer.bytes, buffer.capacity);
}

bool ReadOnce(mode_t mode) { return S_ISFIFO(mode) || S_ISSOCK(mode) || S_ISCHR(mode); }

// The identity of what the path names when it is read only once.
bool ReadOnceIdentity(const std::string& path, Identity& identity)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !ReadOnce(info.st_mode)) return false;
    identity = {info.st_dev, info.st_ino};
    return true;
}
}  // namespace

std::shared_ptr<InputFile> InputFile::OpenNew(const std::string& path)
{
    std::shared_ptr<InputFile> input(new InputFile(path));
    input->fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (input->fd_ < 0 && errno == ENOTDIR) {
        // A member of an archive, named as if the archive were a folder.
        input->unpacker_ = Unpacker::For(path, {});
        if (input->unpacker_) return input;
        errno = ENOTDIR;
    }
    if (input->fd_ < 0) ThrowFileError(path, errno);
    struct stat info {};
    if (::fstat(input->fd_, &info) != 0) ThrowFileError(path, errno);
    if (S_ISDIR(info.st_mode)) ThrowFileError(path, EISDIR);

    if (S_ISREG(info.st_mode) && info.st_size > 0) {
        input->size_ = static_cast<std::size_t>(info.st_size);
    } else if (S_ISBLK(info.st_mode)) {
        const off_t end = ::lseek(input->fd_, 0, SEEK_END);
        if (end < 0) ThrowFileError(path, errno);
        input->size_ = static_cast<std::size_t>(end);
    }
    if (input->size_ != kUnknownSize && S_ISREG(info.st_mode)) input->OpenPacked();
    input->byPosition_ = input->size_ != kUnknownSize;
    if (input->byPosition_) {
        ::posix_fadvise(input->fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    } else if (!input->unpacker_ && !S_ISFIFO(info.st_mode) && !S_ISSOCK(info.st_mode)) {
        // A device may never end; a file without a size (in /proc) is small.
        input->cap_ = kMaxDeviceSize;
    }
    return input;
}

// A file whose first bytes say it is packed is read as the bytes it holds, in order.
void InputFile::OpenPacked()
{
    char head[4] = {};
    const ssize_t got = ::pread(fd_, head, sizeof head, 0);
    if (got <= 0) return;
    unpacker_ = Unpacker::For(path_, std::string_view(head, static_cast<std::size_t>(got)));
    if (unpacker_) size_ = kUnknownSize;
}

std::shared_ptr<InputFile> InputFile::Open(const std::string& path, std::shared_ptr<ReadWatch> watch)
{
    std::shared_ptr<InputFile> input;
    Identity identity;
    if (ReadOnceIdentity(path, identity)) {
        const std::lock_guard lock(heldMutex);
        const auto found = HeldInputs().find(identity);
        if (found != HeldInputs().end()) {
            input = std::move(found->second);
            HeldInputs().erase(found);
        }
    }
    if (!input) input = OpenNew(path);
    input->watch_ = std::move(watch);
    return input;
}

void InputFile::Release(const std::string& path)
{
    Identity identity;
    if (!ReadOnceIdentity(path, identity)) return;
    const std::lock_guard lock(heldMutex);
    HeldInputs().erase(identity);
}

std::string InputFile::Peek(const std::string& path, std::uint64_t offset, std::size_t count)
{
    Identity identity;
    if (ReadOnceIdentity(path, identity)) {
        const std::lock_guard lock(heldMutex);
        std::shared_ptr<InputFile>& input = HeldInputs()[identity];
        if (!input) {
            try {
                input = OpenNew(path);
            } catch (...) {
                HeldInputs().erase(identity);
                throw;
            }
        }
        return input->PeekInOrder(offset, count);
    }

    const std::shared_ptr<InputFile> input = OpenNew(path);
    if (!input->byPosition_) return input->PeekInOrder(offset, count);  // a file without a size (in /proc)
    if (offset >= input->size_) return {};
    std::string bytes(std::min<std::size_t>(count, input->size_ - static_cast<std::size_t>(offset)), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::pread(input->fd_, bytes.data() + got, bytes.size() - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ThrowFileError(path, errno);
        if (n == 0) break;  // shorter now: a look takes what is there
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

// Loaded from the first byte on, so that nothing is let go before the reader comes.
std::string InputFile::PeekInOrder(std::uint64_t offset, std::size_t count)
{
    if (offset >= kMaxWindow || count > kMaxWindow - offset) return {};
    const auto bytes = Load(0, static_cast<std::size_t>(offset) + count);
    if (offset >= bytes.size()) return {};
    const auto* from = bytes.data() + offset;
    return {from, from + std::min<std::size_t>(count, bytes.size() - static_cast<std::size_t>(offset))};
}

InputFile::~InputFile()
{
    if (fd_ >= 0) ::close(fd_);
    GiveBackBuffer({buffer_, capacity_});
}

std::span<const std::uint8_t> InputFile::Load(std::size_t offset, std::size_t count)
{
    count = std::min(count, kMaxWindow);
    if (offset >= heldFrom_ && offset <= HeldEnd()) {
        const std::size_t held = HeldEnd() - offset;
        if (held >= count || HeldEnd() == size_) return {buffer_ + (offset - heldFrom_), held};
    }
    return byPosition_ ? LoadAt(offset, count) : LoadInOrder(offset, count);
}

std::span<const std::uint8_t> InputFile::LoadAt(std::size_t offset, std::size_t count)
{
    if (offset >= size_) return {};
    const std::size_t wanted = std::min(std::max(count, kFill), size_ - offset);
    // Bytes already held from offset on move to the front; the rest is read.
    if (offset < heldFrom_ || offset >= HeldEnd()) {
        heldFrom_ = offset;
        heldSize_ = 0;
    }
    Compact(offset - heldFrom_, wanted);
    while (heldSize_ < wanted) {
        const ssize_t got = ::pread(fd_, buffer_ + heldSize_, wanted - heldSize_, static_cast<off_t>(HeldEnd()));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) ThrowFileError(path_, errno);
        if (got == 0) throw FileError(path_, kCutShort);
        heldSize_ += static_cast<std::size_t>(got);
    }
    if (watch_) watch_->NoteBytesRead(HeldEnd(), size_);
    return {buffer_, heldSize_};
}

std::span<const std::uint8_t> InputFile::LoadInOrder(std::size_t offset, std::size_t count)
{
    if (offset < heldFrom_) throw FileError(path_, kReadOnce);
    // Bytes before offset are let go only when the window has no room for the request.
    const bool room = offset - heldFrom_ + count <= capacity_;
    const std::size_t dropped = room ? 0 : std::min(offset, HeldEnd()) - heldFrom_;
    const std::size_t needed = offset <= HeldEnd() ? offset + count - (heldFrom_ + dropped) : count;
    Compact(dropped, std::min(std::max(needed, kFill), kMaxWindow));
    while (HeldEnd() < offset + count && size_ == kUnknownSize) {
        if (heldSize_ == capacity_) Compact(std::min(offset, HeldEnd()) - heldFrom_, capacity_);  // passing over bytes
        ReadMore();
    }
    if (offset > HeldEnd()) return {};
    return {buffer_ + (offset - heldFrom_), HeldEnd() - offset};
}

void InputFile::ReadMore()
{
    // One byte past the cap tells that the input goes beyond it.
    const std::size_t room = std::min(capacity_ - heldSize_, cap_ + 1 - HeldEnd());
    std::size_t got = 0;
    if (!unpacker_ && !packingTold_ && heldSize_ == 0) {
        got = ReadHead(room);
    } else {
        got = unpacker_ ? unpacker_->Read(buffer_ + heldSize_, room) : ReadSome(buffer_ + heldSize_, room);
        if (got == 0) {
            size_ = HeldEnd();
            return;
        }
    }
    heldSize_ += got;
    if (HeldEnd() > cap_) ThrowFileError(path_, EFBIG);
    if (watch_) watch_->NoteBytesRead(HeldEnd(), 0);
}

// The first bytes of an input read in order (a pipe, a device) tell whether
// it is packed, as a file's do: its unpacker then takes them and reads on
// from the pipe itself. Otherwise they are the first bytes held.
std::size_t InputFile::ReadHead(std::size_t room)
{
    packingTold_ = true;
    const auto held = [this](std::size_t got) { return std::string_view(reinterpret_cast<char*>(buffer_), got); };
    std::size_t got = 0;
    while (got < kPackingHeadSize && MayBePacked(held(got))) {
        const std::size_t more = ReadSome(buffer_ + got, room - got);
        if (more == 0) break;
        got += more;
    }
    unpacker_ = Unpacker::OfStream(path_, fd_, std::string(held(got)), watch_);
    return unpacker_ ? 0 : got;
}

// Up to count bytes of the descriptor, read in order; 0 at its end.
std::size_t InputFile::ReadSome(std::uint8_t* to, std::size_t count)
{
    for (;;) {
        const ssize_t got = ::read(fd_, to, count);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno == EINTR) {
            if (watch_) watch_->StopIfAsked();  // a pipe no one writes into
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {  // an input left non-blocking by whoever gave it
            pollfd ready{fd_, POLLIN, 0};
            ::poll(&ready, 1, -1);
            continue;
        }
        ThrowFileError(path_, errno);
    }
}

// Lets go of the first `dropped` bytes held, the others moving to the front,
// in a buffer of at least `capacity` bytes.
void InputFile::Compact(std::size_t dropped, std::size_t capacity)
{
    const std::size_t kept = heldSize_ - dropped;
    if (capacity > capacity_) {
        const Buffer larger = TakeBuffer(capacity);
        if (kept > 0) std::memcpy(larger.bytes, buffer_ + dropped, kept);
        GiveBackBuffer({buffer_, capacity_});
        buffer_ = larger.bytes;
        capacity_ = larger.capacity;
    } else if (dropped > 0 && kept > 0) {
        std::memmove(buffer_, buffer_ + dropped, kept);
    }
    heldFrom_ += dropped;
    heldSize_ = kept;
}
