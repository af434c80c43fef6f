// SPDX-License-Identifier: GPL-3.0-or-later
// Searches eight bytes at a time, for the line reader and the comma splitter:
// text lines are short and their bytes are looked at once each, so a word of
// them is tested in a few operations instead of a call per byte sought.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace bytescan {

static_assert(std::endian::native == std::endian::little, "the first byte of a word is its lowest");

inline constexpr std::uint64_t kOnes = 0x0101010101010101ull;
inline constexpr std::uint64_t kLow7 = kOnes * 0x7F;
inline constexpr std::uint64_t kHigh = kOnes * 0x80;

inline std::uint64_t Load(const char* bytes)
{
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// The high bit of every byte of the word that equals c, and no other bit
// (no carry passes from one byte to the next).
constexpr std::uint64_t Equal(std::uint64_t word, unsigned char c)
{
    const std::uint64_t x = word ^ (kOnes * c);
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// The high bit of every byte of the word below n (n at most 128).
constexpr std::uint64_t Below(std::uint64_t word, unsigned char n)
{
    return ~(((word & kLow7) + kOnes * (0x80 - n)) | word) & kHigh;
}

// The offset within the word of the byte that the lowest bit of a mask marks.
inline std::size_t FirstMarked(std::uint64_t mask) { return static_cast<std::size_t>(std::countr_zero(mask)) / 8; }

}  // namespace bytescan
