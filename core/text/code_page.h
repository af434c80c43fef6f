// SPDX-License-Identifier: GPL-3.0-or-later
// The code page of the 8-bit formats' texts: one choice, opened once through
// iconv, that turns a file's bytes into UTF-8 and UTF-8 into a file's bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

// The name a user gives for the code page guessed from the texts.
inline constexpr std::string_view kAutomaticCodePage = "auto";

// A name iconv does not know, or a code page that does not keep ASCII as it
// is (UTF-16, EBCDIC): no 8-bit format's file is written in it.
class UnknownCodePage : public std::invalid_argument {
public:
    explicit UnknownCodePage(const std::string& name);
};

class CodePage {
public:
    // Windows-1252, read and written by the product's own table as always.
    CodePage();
    // Raises UnknownCodePage. Windows-1252 by any of its names is the table above.
    static CodePage Open(std::string_view name);

    // Lower case, as given ("cp1251") or as the guess names it ("windows-1251").
    const std::string& Name() const { return name_; }
    bool IsWindows1252() const { return !codec_; }
    bool IsUtf8() const;
    bool SingleByte() const;

    // The bytes as UTF-8: ASCII as it stands; a byte the code page leaves
    // undefined becomes U+0080..U+009F below 0xA0, U+FFFD above.
    std::string Decode(std::string_view bytes) const;
    // UTF-8 as the code page's bytes: U+0080..U+009F go back to their byte;
    // a character the code page lacks, and a broken sequence, become '?',
    // counted in `unheld`.
    std::string Encode(std::string_view utf8, std::int64_t& unheld) const;

    friend bool operator==(const CodePage& a, const CodePage& b) { return a.name_ == b.name_; }

private:
    struct Codec;
    std::string name_ = "windows-1252";
    std::shared_ptr<const Codec> codec_;  // none: Windows-1252
};

// The texts of one file, or of several together, given to the guess.
struct CodePageGuess {
    CodePage codePage;
    // Taken from the texts (not the user's choice, nor the fallback).
    bool guessed = false;
    // The texts hold bytes beyond ASCII, which the code page read: ASCII
    // texts are the same in every code page, and none is named for them.
    bool mattered = false;
};

// Below this many bytes of non-ASCII text a guess is no better than chance
// on names of a few letters, and the automatic code page is Windows-1252.
inline constexpr std::size_t kShortestGuessed = 24;

// The automatic choice over all the 8-bit texts of a file, joined by line
// breaks: UTF-8 when they are valid UTF-8, otherwise the guess of the
// detector when there is enough non-ASCII text and it names a single-byte
// code page, otherwise Windows-1252.
CodePageGuess GuessCodePage(std::string_view texts);

// How a conversion names the code page as a repair: "code page windows-1251 (guessed)".
std::string CodePageRepairName(const CodePageGuess& used);
