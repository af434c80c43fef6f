// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of the 8-bit formats in the code page chosen or guessed. The
// readers read every 8-bit text as Windows-1252, whose table gives each byte
// a character of its own, so the bytes come back from the text exactly and
// are read again here, once per file, with the code page opened once.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/document/document.h"
#include "core/text/code_page.h"

// Reads the 8-bit texts of a document again in the code page `choice` names
// ("auto": guessed over all of them together). Returns the code page used.
// Raises UnknownCodePage.
CodePageGuess ReadEightBitTexts(Document& document, std::string_view choice);

// Before an 8-bit format is written in `target` (the writers take
// Windows-1252): every text the writers take becomes
// the Windows-1252 reading of its bytes in `target`. Returns the characters
// `target` lacks, each written as '?'.
std::int64_t WriteEightBitTexts(Document& document, const CodePage& target);
