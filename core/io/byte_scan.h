// SPDX-License-Identifier: GPL-3.0-or-later
// Searches eight bytes at a time, for the line reader, the comma splitter and
// the look for an NMEA log's first fix:
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

inline bool IsLineEnd(char c) { return c == '\r' || c == '\n' || c == '\x1A'; }

// The first CR, LF or byte 26 in [from, limit), or limit when there is none:
// where a text line ends. Every byte is looked at once, whatever the line
// ends; all three are below 27, so most words are passed over by one test.
// Kept out of line: inlined into the line reader's skip of a long line, the
// same instructions ran a quarter slower on this machine.
[[gnu::noinline]] inline std::size_t FindLineEnd(const char* data, std::size_t from, std::size_t limit)
{
    std::size_t i = from;
    for (; limit - i >= 8; i += 8) {
        const std::uint64_t word = Load(data + i);
        if (Below(word, 0x1B) == 0) continue;
        const std::uint64_t ends = Equal(word, '\r') | Equal(word, '\n') | Equal(word, 0x1A);
        if (ends != 0) return i + FirstMarked(ends);
    }
    while (i < limit && !IsLineEnd(data[i])) ++i;
    return i;
}

}  // namespace bytescan
