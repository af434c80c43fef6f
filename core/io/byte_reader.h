// SPDX-License-Identifier: GPL-3.0-or-later
// The one bounds-checked little-endian reader that every binary format reads
// through. A read either succeeds and moves the position, or fails and moves
// nothing; the bound check cannot overflow.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>

class InputFile;
struct ReadWatch;

class ByteReader {
public:
    // The most bytes view() gives at once.
    static constexpr std::size_t kMaxView = 2u << 20;

    explicit ByteReader(std::span<const std::uint8_t> bytes)
        : held_(bytes.data()), cursor_(bytes.data()), limit_(bytes.data() + bytes.size()),
          heldEnd_(bytes.data() + bytes.size()), size_(bytes.size())
    {}
    // Reads a file through a window of a few megabytes, so that memory stays
    // flat. Raises FileError when the file cannot be opened, and later, from
    // any read, when it fails or is found cut short. A pipe is read once:
    // going back beyond what its window still holds raises FileError too.
    // Each fill is noted to `watch` (InputFile::Open).
    static ByteReader FromFile(const std::string& path, std::shared_ptr<ReadWatch> watch = nullptr);

    // Two readers of one file would move each other's window.
    ByteReader(const ByteReader&) = delete;
    ByteReader& operator=(const ByteReader&) = delete;
    ByteReader(ByteReader&&) = default;
    ByteReader& operator=(ByteReader&&) = default;

    std::size_t position() const { return heldFrom_ + static_cast<std::size_t>(cursor_ - held_); }
    // Exact for bytes in memory and for files, or the limit when one is set
    // before the end. A pipe whose end lies further ahead than the reader looks
    // (64 KB) counts as larger than any file.
    std::size_t size();
    std::size_t remaining() { return size() - position(); }
    bool at_end() { return cursor_ == limit_ && !Hold(1); }

    // Fails, and stays put, when the target lies beyond the end.
    bool seek(std::size_t target)
    {
        if (target >= heldFrom_ && target - heldFrom_ <= static_cast<std::size_t>(limit_ - held_)) {
            cursor_ = held_ + (target - heldFrom_);
            return true;
        }
        return MoveTo(target);
    }
    bool skip(std::size_t count)
    {
        if (count <= static_cast<std::size_t>(limit_ - cursor_)) {
            cursor_ += count;
            return true;
        }
        return count < kFarOffset && MoveTo(position() + count);
    }

    bool u8(std::uint8_t& out) { return Fixed(out); }
    bool i8(std::int8_t& out) { return Fixed(out); }
    bool u16(std::uint16_t& out) { return Fixed(out); }
    bool i16(std::int16_t& out) { return Fixed(out); }
    bool u32(std::uint32_t& out) { return Fixed(out); }
    bool i32(std::int32_t& out) { return Fixed(out); }
    bool f32(float& out) { return Fixed(out); }
    bool f64(double& out) { return Fixed(out); }

    // Exactly count bytes as text (at most kMaxView from a file), or nothing.
    bool text(std::size_t count, std::string& out)
    {
        if (count > static_cast<std::size_t>(limit_ - cursor_) && (count > kMaxView || !Hold(count))) return false;
        out.assign(reinterpret_cast<const char*>(cursor_), count);
        cursor_ += count;
        return true;
    }

    // Up to count bytes (fewer at the end of the data); returns how many were copied.
    std::size_t read_some(std::span<std::uint8_t> out);

    // Up to count bytes from the position on, at most kMaxView, fewer at the
    // end of the data, without moving. Valid until the reader is next used.
    std::span<const std::uint8_t> view(std::size_t count);

    // Reads stop at offset `end` (at least the position) as at the end of the
    // data, so that a record is read within its own bytes; returns the limit
    // it replaces, to be set again after the record.
    std::size_t limit(std::size_t end);

private:
    // Beyond any offset of a file; the size of a pipe whose end is not read yet.
    static constexpr std::size_t kFarOffset = std::size_t{1} << 62;

    // The host is little-endian (x86-64, arm64): a byte copy is the decoding.
    template <typename T>
    bool Fixed(T& out)
    {
        static_assert(std::endian::native == std::endian::little);
        if (sizeof(T) > static_cast<std::size_t>(limit_ - cursor_) && !Hold(sizeof(T))) return false;
        std::memcpy(&out, cursor_, sizeof(T));
        cursor_ += sizeof(T);
        return true;
    }

    // Makes count bytes from the position on readable at cursor_ (count at
    // most kMaxView); false, holding what is left, where the data ends sooner.
    bool Hold(std::size_t count);
    bool MoveTo(std::size_t target);
    void Adopt(std::size_t offset, std::span<const std::uint8_t> bytes);
    void Clip();
    std::size_t End() const { return size_ < end_ ? size_ : end_; }

    // The bytes in memory: held_[0] is the byte at offset heldFrom_; reads go
    // up to limit_, which is heldEnd_ or the limit set, whichever comes first.
    const std::uint8_t* held_ = nullptr;
    const std::uint8_t* cursor_ = nullptr;
    const std::uint8_t* limit_ = nullptr;
    const std::uint8_t* heldEnd_ = nullptr;
    std::size_t heldFrom_ = 0;
    std::size_t size_ = 0;              // or kFarOffset while a pipe's end is not read
    std::size_t end_ = kFarOffset;      // the limit set
    std::shared_ptr<InputFile> input_;  // the file, when the reader opened it
};
