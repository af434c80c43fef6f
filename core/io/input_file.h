// SPDX-License-Identifier: GPL-3.0-or-later
// The bytes of one input, read through a bounded window for the byte reader
// and the line reader: a regular file by position (pread), a pipe, a socket or
// a device in order (read), a packed input as it is decompressed (a file or a
// pipe whose first bytes say so: core/io/unpacked_input.h). Memory stays flat whatever the input's size, and a
// file that shrinks or fails while it is read raises FileError, never a signal.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/io/unpacked_input.h"

struct ReadWatch;

class InputFile {
public:
    // Bytes read at a time: small enough to stay in the processor's cache
    // between the read and the parse, large enough that the calls cost nothing.
    static constexpr std::size_t kFill = 256u << 10;
    // The most bytes a reader may ask to see at once (a record, a line).
    static constexpr std::size_t kMaxWindow = 2u << 20;
    // A device (a terminal, /dev/zero) is read up to this size; pipes have no cap.
    static constexpr std::size_t kMaxDeviceSize = 32u << 20;
    // The size of an input whose end is not read yet (a pipe): beyond any offset.
    static constexpr std::size_t kUnknownSize = std::size_t{1} << 62;

    // Opens the input for a reader. A pipe or device that a look (Peek) has
    // opened already is taken over, from its first byte on. Raises FileError
    // with the system's message. Each fill is noted to `watch` (none: not
    // watched), which raises ReadCancelled there once a stop is asked for.
    static std::shared_ptr<InputFile> Open(const std::string& path, std::shared_ptr<ReadWatch> watch = nullptr);
    // Up to count bytes from offset on, fewer where the input ends sooner, for
    // a look at a signature. A pipe or device is read only once: it is kept
    // open with what the look read, for the reader that opens it next.
    static std::string Peek(const std::string& path, std::uint64_t offset, std::size_t count);
    // Lets go of what a look kept of a pipe or device that no reader will
    // open now (its conversion is over), so that a long session holds none.
    static void Release(const std::string& path);

    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    // The bytes from offset on: at least count of them (count at most
    // kMaxWindow) unless the input ends sooner, none when offset is past the
    // end. Valid until the next Load. Raises FileError when the input fails,
    // turns out shorter than its size, or (a pipe) offset lies before the
    // bytes it still holds.
    std::span<const std::uint8_t> Load(std::size_t offset, std::size_t count);
    // Known from the start for a file; for a pipe, once its end is read.
    std::size_t Size() const { return size_; }
    // A file read by position: any offset can be loaded again.
    bool ByPosition() const { return byPosition_; }

private:
    explicit InputFile(std::string path) : path_(std::move(path)) {}
    static std::shared_ptr<InputFile> OpenNew(const std::string& path);
    void OpenPacked();
    std::string PeekInOrder(std::uint64_t offset, std::size_t count);

    std::span<const std::uint8_t> LoadAt(std::size_t offset, std::size_t count);
    std::span<const std::uint8_t> LoadInOrder(std::size_t offset, std::size_t count);
    void ReadMore();
    std::size_t ReadHead(std::size_t room);
    std::size_t ReadSome(std::uint8_t* to, std::size_t count);
    void Compact(std::size_t dropped, std::size_t capacity);
    std::size_t HeldEnd() const { return heldFrom_ + heldSize_; }

    std::string path_;  // for error messages
    int fd_ = -1;
    // A packed input (gzip, a zip archive's member) is read in order as the bytes it holds.
    std::unique_ptr<Unpacker> unpacker_;
    // The first bytes of an input read in order were looked at for a packing.
    bool packingTold_ = false;
    bool byPosition_ = false;
    std::size_t size_ = kUnknownSize;
    std::size_t cap_ = kUnknownSize;  // the most bytes read in order
    std::uint8_t* buffer_ = nullptr;  // anonymous memory, capacity_ bytes
    std::size_t capacity_ = 0;
    std::size_t heldFrom_ = 0;  // offset of the first byte in the buffer
    std::size_t heldSize_ = 0;
    std::shared_ptr<ReadWatch> watch_;  // of the reader that opened it
};
