// SPDX-License-Identifier: GPL-3.0-or-later
// The layer of a FIT file below its meaning: the definition a local message
// type has, and a data message's fields read through it, in either byte order.
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace fit {

// Seconds from 1970-01-01 to 1989-12-31 00:00:00 UTC, where FIT times count from.
inline constexpr std::int64_t kEpochFrom1970 = 631065600;
// Smaller times count seconds since the device started, not since the epoch.
inline constexpr std::uint32_t kFirstDate = 0x10000000;
// The field number of the time of every message that has one.
inline constexpr std::uint8_t kTimestampField = 253;

// The CRC-16 of the protocol (polynomial 0xA001, reflected, from 0): a byte's
// table, and that of the byte before it, so that two bytes go at a time.
struct CrcTables {
    std::array<std::uint16_t, 256> last{}, first{};
};
constexpr CrcTables MakeCrcTables()
{
    CrcTables t;
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned crc = byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xA001u : crc >> 1;
        t.last[byte] = static_cast<std::uint16_t>(crc);
    }
    for (unsigned byte = 0; byte < 256; ++byte)
        t.first[byte] = static_cast<std::uint16_t>((t.last[byte] >> 8) ^ t.last[t.last[byte] & 0xFF]);
    return t;
}
inline constexpr CrcTables kCrcTables = MakeCrcTables();

// The checksum carried on over bytes; inline, as it is asked of every record.
inline std::uint16_t Crc16(std::uint16_t crc, std::span<const std::uint8_t> bytes)
{
    std::size_t at = 0;
    for (; at + 2 <= bytes.size(); at += 2) {
        const unsigned x = crc ^ (bytes[at] | bytes[at + 1] << 8);
        crc = static_cast<std::uint16_t>(kCrcTables.first[x & 0xFF] ^ kCrcTables.last[x >> 8]);
    }
    if (at < bytes.size()) crc = static_cast<std::uint16_t>((crc >> 8) ^ kCrcTables.last[(crc ^ bytes[at]) & 0xFF]);
    return crc;
}

// The base types and their elements, inline: every value of a long file is read through them.
namespace element {
// The base types by their number: bytes of one element, and how it is read.
enum class Kind : std::uint8_t { Unsigned, Signed, Float, Text, Bytes };
struct BaseType {
    std::uint8_t size;
    Kind kind;
    bool zeroInvalid;  // the "z" types, whose invalid value is 0
};
inline constexpr BaseType kBaseTypes[] = {
    {1, Kind::Unsigned, false},  // enum
    {1, Kind::Signed, false},   {1, Kind::Unsigned, false}, {2, Kind::Signed, false},   {2, Kind::Unsigned, false},
    {4, Kind::Signed, false},   {4, Kind::Unsigned, false}, {1, Kind::Text, false},     {4, Kind::Float, false},
    {8, Kind::Float, false},    {1, Kind::Unsigned, true},  {2, Kind::Unsigned, true},  {4, Kind::Unsigned, true},
    {1, Kind::Bytes, false},    {8, Kind::Signed, false},   {8, Kind::Unsigned, false}, {8, Kind::Unsigned, true},
};

// The host is little-endian (as ByteReader requires): a copy reads that
// order, a byte swap the other.
inline std::uint64_t Bits(const std::uint8_t* at, std::size_t size, bool bigEndian)
{
    switch (size) {
    case 1: return *at;
    case 2: {
        std::uint16_t v;
        std::memcpy(&v, at, 2);
        return bigEndian ? __builtin_bswap16(v) : v;
    }
    case 4: {
        std::uint32_t v;
        std::memcpy(&v, at, 4);
        return bigEndian ? __builtin_bswap32(v) : v;
    }
    default: {
        std::uint64_t v;
        std::memcpy(&v, at, 8);
        return bigEndian ? __builtin_bswap64(v) : v;
    }
    }
}

// The value of one element, none where it is the type's invalid value.
inline std::optional<double> ValueOf(std::uint64_t bits, const BaseType& type)
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
}  // namespace element

struct FieldLayout {
    std::uint32_t offset = 0;  // in the data message
    std::uint8_t size = 0;
    std::uint8_t baseType = 0;  // its low five bits: the type's number
    // The type's number where the field holds whole elements of a number
    // type, else none: told once per definition, not per value.
    std::uint8_t numberType = kNoNumber;
    static constexpr std::uint8_t kNoNumber = 0xFF;
};
// The number type of a field of this size and base type, or FieldLayout::kNoNumber.
std::uint8_t NumberTypeOf(std::uint8_t size, std::uint8_t baseType);

// What a definition message says of the data messages of its local type.
struct Definition {
    std::uint16_t global = 0;
    bool bigEndian = false;
    std::uint32_t size = 0;             // the bytes of one data message
    std::uint32_t developerFields = 0;  // of its developers' own, which no profile names
    std::vector<FieldLayout> fields{};
    // The index in fields of each field number; -1 where it has none.
    std::array<std::int16_t, 256> indexOf{};
};

// One data message: its bytes, laid out by its definition.
class Message {
public:
    Message(const Definition& definition, std::span<const std::uint8_t> bytes, std::optional<std::uint32_t> headerTime)
        : definition_(&definition), bytes_(bytes), headerTime_(headerTime)
    {}
    std::uint16_t Global() const { return definition_->global; }
    // A number field as stored, before scale and offset; none where the
    // message lacks it, it holds its type's invalid value, or it is no number.
    // An array gives its first element.
    std::optional<double> Value(std::uint8_t field) const;
    // Scaled and offset: stored / scale - offset.
    std::optional<double> Scaled(std::uint8_t field, double scale, double offset = 0) const;
    // A text field up to its first zero byte; empty where the message lacks it.
    std::string Text(std::uint8_t field) const;
    // The message's own time field, else the time its compressed header gave.
    std::optional<std::uint32_t> Time() const;

private:
    const FieldLayout* Field(std::uint8_t field) const;
    const Definition* definition_;
    std::span<const std::uint8_t> bytes_;
    std::optional<std::uint32_t> headerTime_;
};

inline const FieldLayout* Message::Field(std::uint8_t field) const
{
    const std::int16_t index = definition_->indexOf[field];
    return index < 0 ? nullptr : &definition_->fields[static_cast<std::size_t>(index)];
}

inline std::optional<double> Message::Value(std::uint8_t field) const
{
    const FieldLayout* layout = Field(field);
    if (!layout || layout->numberType == FieldLayout::kNoNumber) return std::nullopt;
    const element::BaseType& type = element::kBaseTypes[layout->numberType];
    return element::ValueOf(element::Bits(bytes_.data() + layout->offset, type.size, definition_->bigEndian), type);
}

}  // namespace fit
