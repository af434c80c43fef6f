// SPDX-License-Identifier: GPL-3.0-or-later
// The layer of a FIT file below its meaning: the definition a local message
// type has, and a data message's fields read through it, in either byte order.
#pragma once

#include <array>
#include <cstdint>
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

// The CRC-16 of the protocol (polynomial 0xA001, reflected, from 0), carried on over bytes.
std::uint16_t Crc16(std::uint16_t crc, std::span<const std::uint8_t> bytes);

struct FieldLayout {
    std::uint32_t offset = 0;  // in the data message
    std::uint8_t size = 0;
    std::uint8_t baseType = 0;  // its low five bits: the type's number
};

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

}  // namespace fit
