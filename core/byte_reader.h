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

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    // Reads a file: only the bytes read are loaded, and the memory of the
    // bytes passed is given back as the position moves on. Raises FileError
    // when the file cannot be opened.
    static ByteReader FromFile(const std::string& path);

    std::size_t position() const { return position_; }
    std::size_t size() const { return bytes_.size(); }
    std::size_t remaining() const { return bytes_.size() - position_; }
    bool at_end() const { return position_ >= bytes_.size(); }

    // Fails, and stays put, when the target lies beyond the end.
    bool seek(std::size_t target)
    {
        if (target > bytes_.size()) return false;
        position_ = target;
        Moved();
        return true;
    }
    bool skip(std::size_t count)
    {
        if (count > remaining()) return false;
        position_ += count;
        Moved();
        return true;
    }

    bool u8(std::uint8_t& out) { return Fixed(out); }
    bool i8(std::int8_t& out) { return Fixed(out); }
    bool u16(std::uint16_t& out) { return Fixed(out); }
    bool i16(std::int16_t& out) { return Fixed(out); }
    bool u32(std::uint32_t& out) { return Fixed(out); }
    bool i32(std::int32_t& out) { return Fixed(out); }
    bool f32(float& out) { return Fixed(out); }
    bool f64(double& out) { return Fixed(out); }

    // Exactly count bytes as text, or nothing.
    bool text(std::size_t count, std::string& out)
    {
        if (count > remaining()) return false;
        out.assign(reinterpret_cast<const char*>(bytes_.data() + position_), count);
        position_ += count;
        Moved();
        return true;
    }

    // Up to count bytes (fewer at the end of the data); returns how many were copied.
    std::size_t read_some(std::span<std::uint8_t> out)
    {
        const std::size_t count = out.size() < remaining() ? out.size() : remaining();
        if (count > 0) std::memcpy(out.data(), bytes_.data() + position_, count);
        position_ += count;
        Moved();
        return count;
    }

    // The bytes from the position to the end, without moving.
    std::span<const std::uint8_t> rest() const { return bytes_.subspan(position_); }

private:
    // The host is little-endian (x86-64, arm64): a byte copy is the decoding.
    template <typename T>
    bool Fixed(T& out)
    {
        static_assert(std::endian::native == std::endian::little);
        if (sizeof(T) > remaining()) return false;
        std::memcpy(&out, bytes_.data() + position_, sizeof(T));
        position_ += sizeof(T);
        Moved();
        return true;
    }

    // Every few megabytes of progress, the bytes well behind the position are
    // handed back (a no-op unless they lie in a mapped input file).
    static constexpr std::size_t kHandBackStep = 4u << 20;
    static constexpr std::size_t kKeptBehind = 1u << 20;
    void Moved()
    {
        if (position_ >= nextHandBack_) HandBack();
    }
    void HandBack();

    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
    std::size_t handedBack_ = 0;
    std::size_t nextHandBack_ = kHandBackStep;
    std::shared_ptr<const InputFile> input_;  // the file, when the reader opened it
};
