// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/text/text_encoding.h"

TEST(TextEncoding, Utf8ToLegacy)
{
    const struct {
        std::string utf8, legacy;
    } rows[] = {
        {"plain ASCII, 12", "plain ASCII, 12"},
        {"\xC3\x91u\xC3\xB1oa", "\xD1u\xF1oa"},                        // Ñuñoa
        {"\xE2\x82\xAC 5 \xE2\x80\x93 \xC5\x93", "\x80 5 \x96 \x9C"},  // € – œ
        {"\xC2\x81", "\x81"},                                          // undefined byte kept
        {"\xE6\x9D\xB1\xE4\xBA\xAC", "??"},                            // characters outside the code page
        {"\xF0\x9F\x97\xBB!", "?!"},                                   // four bytes
        {"a\xC3", "a?"},                                               // cut sequence
        {"\xC0\xAF", "?"},                                             // overlong form
        {"\xED\xA0\x80x", "?x"},                                       // surrogate
        {"\xF4\x90\x80\x80", "?"},                                     // beyond U+10FFFF
        {"\xFF\xFE", "??"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& row : rows) EXPECT_EQ(Utf8ToLegacy(row.utf8), row.legacy) << row.utf8;
}

TEST(TextEncoding, EveryLegacyByteSurvivesTheRoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = LegacyToUtf8(all);
    EXPECT_EQ(Utf8ToLegacy(utf8), all);
    EXPECT_EQ(LegacyToUtf8("\xD1\x80"), "\xC3\x91\xE2\x82\xAC");
}
