// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/fit/FitMessages.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace fit {
namespace {
constexpr std::array<std::uint16_t, 256> CrcTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned crc = byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xA001u : crc >> 1;
        table[byte] = static_cast<std::uint16_t>(crc);
    }
    return table;
}
constexpr std::array<std::uint16_t, 256> kCrcTable = CrcTable();

// The base types by their number: bytes of one element, and how it is read.
enum class Kind : std::uint8_t { Unsigned, Signed, Float, Text, Bytes };
struct BaseType {
    std::uint8_t size;
    Kind kind;
    bool zeroInvalid;  // the "z" types, whose invalid value is 0
};
constexpr BaseType kBaseTypes[] = {
    {1, Kind::Unsigned, false},  // enum
    {1, Kind::Signed, false},   {1, Kind::Unsigned, false}, {2, Kind::Signed, false},   {2, Kind::Unsigned, false},
    {4, Kind::Signed, false},   {4, Kind::Unsigned, false}, {1, Kind::Text, false},     {4, Kind::Float, false},
    {8, Kind::Float, false},    {1, Kind::Unsigned, true},  {2, Kind::Unsigned, true},  {4, Kind::Unsigned, true},
    {1, Kind::Bytes, false},    {8, Kind::Signed, false},   {8, Kind::Unsigned, false}, {8, Kind::Unsigned, true},
};

std::uint64_t Bits(const std::uint8_t* at, std::size_t size, bool bigEndian)
{
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < size; ++i) bits |= std::uint64_t{at[bigEndian ? size - 1 - i : i]} << (8 * i);
    return bits;
}

// The value of one element, none where it is the type's invalid value.
std::optional<double> ValueOf(std::uint64_t bits, const BaseType& type)
{
    const unsigned width = 8u * type.size;
    const std::uint64_t allOnes = width == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << width) - 1;
    switch (type.kind) {
    case Kind::Unsigned:
        if (type.zeroInvalid ? bits == 0 : bits == allOnes) return std::nullopt;
        return static_cast<double>(bits);
    case Kind::Signed: {
        if (bits == allOnes >> 1) return std::nullopt;  // the largest positive value
        const std::uint64_t sign = std::uint64_t{1} << (width - 1);
        return static_cast<double>(static_cast<std::int64_t>((bits ^ sign) - sign));
    }
    case Kind::Float: {
        if (bits == allOnes) return std::nullopt;
        const double value = type.size == 4
                                 ? static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(bits)))
                                 : std::bit_cast<double>(bits);
        return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
    }
    default: return std::nullopt;
    }
}
}  // namespace

std::uint16_t Crc16(std::uint16_t crc, std::span<const std::uint8_t> bytes)
{
    for (const std::uint8_t byte : bytes) crc = static_cast<std::uint16_t>((crc >> 8) ^ kCrcTable[(crc ^ byte) & 0xFF]);
    return crc;
}

const FieldLayout* Message::Field(std::uint8_t field) const
{
    const std::int16_t index = definition_->indexOf[field];
    return index < 0 ? nullptr : &definition_->fields[static_cast<std::size_t>(index)];
}

std::optional<double> Message::Value(std::uint8_t field) const
{
    const FieldLayout* layout = Field(field);
    const std::uint8_t number = layout ? layout->baseType & 0x1F : 0;
    if (!layout || number >= std::size(kBaseTypes)) return std::nullopt;
    const BaseType& type = kBaseTypes[number];
    // A field smaller than one element, or not a whole number of them, is bytes.
    if (layout->size < type.size || layout->size % type.size != 0) return std::nullopt;
    return ValueOf(Bits(bytes_.data() + layout->offset, type.size, definition_->bigEndian), type);
}

std::optional<double> Message::Scaled(std::uint8_t field, double scale, double offset) const
{
    const std::optional<double> stored = Value(field);
    // Offset first, in the stored units, so that whole stored values stay exact until the one division.
    if (!stored) return std::nullopt;
    return (*stored - offset * scale) / scale;
}

std::string Message::Text(std::uint8_t field) const
{
    const FieldLayout* layout = Field(field);
    if (!layout || (layout->baseType & 0x1F) != 7) return {};
    const auto* begin = reinterpret_cast<const char*>(bytes_.data() + layout->offset);
    const auto* zero = static_cast<const char*>(std::memchr(begin, 0, layout->size));
    return std::string(begin, zero ? zero : begin + layout->size);
}

std::optional<std::uint32_t> Message::Time() const
{
    const std::optional<double> own = Value(kTimestampField);
    if (own && *own >= 0 && *own <= 0xFFFFFFFFp0) return static_cast<std::uint32_t>(*own);
    return headerTime_;
}

}  // namespace fit
