// SPDX-License-Identifier: GPL-3.0-or-later
// Pieces shared by the two Holux memory images: positions in tenths of an
// arc-second, little-endian fields placed at fixed offsets, fixed-width texts.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "core/io/byte_reader.h"
#include "core/text/number_format.h"

namespace holux {

inline constexpr double kUnitsPerDegree = 36000.0;
// An image shorter than the end of its last record is read as far as it goes, and says so.
inline constexpr const char* kEndInsideRecord = "The Holux file ends inside a record: what came before it was read.";

inline std::int32_t ToUnits(double degrees) { return RoundHalfEven<std::int32_t>(degrees * kUnitsPerDegree, 0); }
inline double FromUnits(std::int32_t units) { return static_cast<double>(units) / kUnitsPerDegree; }

// Stores value little-endian at offset; the image is sized to its layout first.
template <typename T>
void Put(std::string& image, std::size_t offset, T value)
{
    auto bits = static_cast<std::make_unsigned_t<T>>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        image.at(offset + i) = static_cast<char>(bits & 0xFF);
        bits = static_cast<std::make_unsigned_t<T>>(bits >> 8);
    }
}

// The first `width` characters of text at offset, the rest filled with `fill`.
inline void PutText(std::string& image, std::size_t offset, std::string_view text, std::size_t width, char fill)
{
    for (std::size_t i = 0; i < width; ++i) image.at(offset + i) = i < text.size() ? text[i] : fill;
}

// The file's bytes laid over an image of its full size, so that a short file
// reads as if the missing bytes held `fill`; every field is read at its offset.
class ImageFields {
public:
    ImageFields(std::span<const std::uint8_t> file, std::size_t imageSize, std::uint8_t fill)
        : image_(imageSize, fill), reader_(image_)
    {
        ByteReader(file).read_some(image_);
    }
    ImageFields(const ImageFields&) = delete;
    ImageFields& operator=(const ImageFields&) = delete;

    std::uint8_t U8(std::size_t offset) { return At<std::uint8_t>(offset, &ByteReader::u8); }
    std::int16_t I16(std::size_t offset) { return At<std::int16_t>(offset, &ByteReader::i16); }
    std::uint16_t U16(std::size_t offset) { return At<std::uint16_t>(offset, &ByteReader::u16); }
    std::int32_t I32(std::size_t offset) { return At<std::int32_t>(offset, &ByteReader::i32); }
    std::uint32_t U32(std::size_t offset) { return At<std::uint32_t>(offset, &ByteReader::u32); }

    // A text field ends at its first zero byte or at its full width.
    std::string Text(std::size_t offset, std::size_t width)
    {
        std::string text;
        if (!reader_.seek(offset) || !reader_.text(width, text)) return {};
        text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
        return text;
    }

private:
    // Reads inside the padded image cannot fail; a field outside it reads as 0.
    template <typename T>
    T At(std::size_t offset, bool (ByteReader::*read)(T&))
    {
        T value{};
        if (!reader_.seek(offset) || !(reader_.*read)(value)) return T{};
        return value;
    }

    std::vector<std::uint8_t> image_;
    ByteReader reader_;
};

}  // namespace holux
