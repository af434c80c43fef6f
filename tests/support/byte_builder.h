// SPDX-License-Identifier: GPL-3.0-or-later
// Builds little-endian binary fixtures inside a test.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

class ByteBuilder {
public:
    ByteBuilder& u8(std::uint8_t v) { return Raw(&v, 1); }
    ByteBuilder& i8(std::int8_t v) { return Raw(&v, 1); }
    ByteBuilder& u16(std::uint16_t v) { return Raw(&v, 2); }
    ByteBuilder& i16(std::int16_t v) { return Raw(&v, 2); }
    ByteBuilder& u32(std::uint32_t v) { return Raw(&v, 4); }
    ByteBuilder& i32(std::int32_t v) { return Raw(&v, 4); }
    ByteBuilder& f32(float v) { return Raw(&v, 4); }
    ByteBuilder& f64(double v) { return Raw(&v, 8); }
    ByteBuilder& text(std::string_view s) { return Raw(s.data(), s.size()); }
    ByteBuilder& zeroText(std::string_view s) { return text(s).u8(0); }
    // The text cut or filled with `fill` to exactly width bytes.
    ByteBuilder& fixed(std::string_view s, std::size_t width, char fill = '\0')
    {
        std::string t(s.substr(0, width));
        t.resize(width, fill);
        return text(t);
    }
    ByteBuilder& fill(std::size_t count, std::uint8_t value)
    {
        bytes.insert(bytes.end(), count, value);
        return *this;
    }
    // Overwrites bytes at an offset, growing the buffer when needed.
    template <typename T>
    ByteBuilder& put(std::size_t offset, T value)
    {
        if (bytes.size() < offset + sizeof(T)) bytes.resize(offset + sizeof(T));
        std::memcpy(bytes.data() + offset, &value, sizeof(T));
        return *this;
    }
    std::size_t size() const { return bytes.size(); }
    std::string str() const { return std::string(bytes.begin(), bytes.end()); }

    std::vector<std::uint8_t> bytes;

private:
    ByteBuilder& Raw(const void* p, std::size_t n)
    {
        const auto* b = static_cast<const std::uint8_t*>(p);
        bytes.insert(bytes.end(), b, b + n);
        return *this;
    }
};
