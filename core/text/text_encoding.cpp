// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/text_encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {
// Code points of bytes 0x80..0x9F; the undefined five map to themselves.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char LegacyByteOf(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return static_cast<char>(codePoint);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == codePoint) return static_cast<char>(0x80 + i);
    return kReplacementCharacter;
}

// Length of the well-formed UTF-8 sequence at text[i], or 0 when the bytes
// there are not one (overlong forms, surrogates and values past U+10FFFF
// included); the code point goes to `out`.
std::size_t DecodeOne(std::string_view text, std::size_t i, char32_t& out)
{
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    const std::uint8_t lead = byte(i);
    std::size_t length;
    char32_t value;
    std::uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead < 0x80) {
        out = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (length > text.size() - i) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const std::uint8_t next = byte(i + k);
        const bool ok = k == 1 ? (next >= low && next <= high) : (next >= 0x80 && next <= 0xBF);
        if (!ok) return 0;
        value = (value << 6) | (next & 0x3F);
    }
    out = value;
    return length;
}
// Eight bytes at a time: readers pass every text of a file through here.
}  // namespace

std::size_t DecodeUtf8At(std::string_view text, std::size_t at, char32_t& codePoint)
{
    return DecodeOne(text, at, codePoint);
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t LegacyCodePoint(unsigned char byte) { return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte; }

std::string Utf8ToLegacy(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t codePoint;
        const std::size_t length = DecodeOne(utf8, i, codePoint);
        if (length == 0) {
            // One replacement for the lead byte and its continuation bytes.
            out += kReplacementCharacter;
            ++i;
            while (i < utf8.size() && (static_cast<std::uint8_t>(utf8[i]) & 0xC0) == 0x80) ++i;
            continue;
        }
        out += LegacyByteOf(codePoint);
        i += length;
    }
    return out;
}

std::string LegacyToUtf8(std::string_view legacy)
{
    // The ASCII part, the same in both, in one piece: most texts are all of it.
    const auto high = std::find_if(legacy.begin(), legacy.end(), [](char c) { return (c & 0x80) != 0; });
    std::string out(legacy.begin(), high);
    if (high == legacy.end()) return out;
    out.reserve(legacy.size() + legacy.size() / 8);
    for (const char ch : legacy.substr(static_cast<std::size_t>(high - legacy.begin()))) {
        const auto byte = static_cast<std::uint8_t>(ch);
        if (byte < 0x80) out += ch;
        else AppendUtf8(out, LegacyCodePoint(byte));
    }
    return out;
}

bool IsAscii(std::string_view text)
{
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    std::size_t i = 0;
    for (std::uint64_t word; i + sizeof word <= text.size(); i += sizeof word) {
        std::memcpy(&word, text.data() + i, sizeof word);
        if (word & kHighBits) return false;
    }
    for (; i < text.size(); ++i)
        if (static_cast<std::uint8_t>(text[i]) >= 0x80) return false;
    return true;
}

bool IsUtf8(std::string_view text)
{
    char32_t codePoint;
    for (std::size_t i = 0, length = 0; i < text.size(); i += length)
        if ((length = DecodeOne(text, i, codePoint)) == 0) return false;
    return true;
}

std::string TextAsRead(std::string_view bytes, bool utf8Allowed)
{
    if (bytes.empty()) return {};  // most of a record's many texts
    std::size_t kept = std::min(bytes.size(), kLongestTextKept);
    if (utf8Allowed)
        while (kept > 0 && kept < bytes.size() && (static_cast<std::uint8_t>(bytes[kept]) & 0xC0) == 0x80) --kept;
    const std::string_view text = bytes.substr(0, kept);
    return IsAscii(text) || (utf8Allowed && IsUtf8(text)) ? std::string(text) : LegacyToUtf8(text);
}
