// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/fit/FitMessages.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace fit {
using namespace element;

std::uint8_t NumberTypeOf(std::uint8_t size, std::uint8_t baseType)
{
    const std::uint8_t number = baseType & 0x1F;
    if (number >= std::size(kBaseTypes)) return FieldLayout::kNoNumber;
    const BaseType& type = kBaseTypes[number];
    // A field smaller than one element, or not a whole number of them, is bytes.
    const bool whole = size >= type.size && size % type.size == 0;
    return whole && type.kind != Kind::Text && type.kind != Kind::Bytes ? number : FieldLayout::kNoNumber;
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
