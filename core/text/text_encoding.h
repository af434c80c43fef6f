// SPDX-License-Identifier: GPL-3.0-or-later
// The product's texts are single-byte, in the Windows Latin-1 code page
// (1252) that the legacy formats use; newer files hold UTF-8. These convert
// between the two without ever producing a broken byte sequence.
#pragma once

#include <string>
#include <string_view>

// What stands for a character the code page cannot hold, or for bytes that
// are not valid UTF-8: visible, and the same in both character sets.
inline constexpr char kReplacementCharacter = '?';

// UTF-8 to the 8-bit text: every character of the code page becomes its byte,
// any other character and every invalid sequence one replacement character.
std::string Utf8ToLegacy(std::string_view utf8);

// The 8-bit text to UTF-8. The five bytes the code page leaves undefined keep
// their value as a code point (U+0081 ...), so they come back unchanged.
std::string LegacyToUtf8(std::string_view legacy);

// Appends the UTF-8 form of one code point (at most U+10FFFF, no surrogates).
void AppendUtf8(std::string& out, char32_t codePoint);

// The length of the well-formed UTF-8 sequence at text[at] (at < text.size())
// and its code point; 0 when the bytes there are not one (overlong forms,
// surrogates and values past U+10FFFF included).
std::size_t DecodeUtf8At(std::string_view text, std::size_t at, char32_t& codePoint);

// Walks UTF-8 text for a writer that escapes it: character(codePoint, bytes)
// for each well-formed character with its bytes, and for each byte that
// starts none the replacement character U+FFFD with its UTF-8 bytes.
template <typename Character>
void WalkUtf8(std::string_view text, Character&& character)
{
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        char32_t codePoint = lead;
        const std::size_t length = lead < 0x80 ? 1 : DecodeUtf8At(text, at, codePoint);
        if (length == 0) {
            character(char32_t{0xFFFD}, std::string_view("\xEF\xBF\xBD"));
            ++at;
            continue;
        }
        character(codePoint, text.substr(at, length));
        at += length;
    }
}

// The character one byte of the 8-bit text stands for, as LegacyToUtf8 reads it.
char32_t LegacyCodePoint(unsigned char byte);

// No byte beyond ASCII; a word at a time.
bool IsAscii(std::string_view text);

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// values past U+10FFFF).
bool IsUtf8(std::string_view text);

// The bytes of one text that a reader keeps as the file holds it, at most:
// the native files' reductions are their writers' business, this bound the document's.
inline constexpr std::size_t kLongestTextKept = 64 * 1024;

// A text of a file as UTF-8, of at most kLongestTextKept of its bytes (a cut
// never splits a UTF-8 character): as it stands when it is ASCII, or valid
// UTF-8 in a format whose files may hold UTF-8 (utf8Allowed); otherwise read
// as the 8-bit code page.
std::string TextAsRead(std::string_view bytes, bool utf8Allowed);
