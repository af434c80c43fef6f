// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

#include "core/text/text_fields.h"
#include "core/time/clock.h"

TEST(GetField, MissingEmptyAndBlankFields)
{
    EXPECT_EQ(GetField("a,,c", 2, "x"), "x");
    EXPECT_EQ(GetField("a, ,c", 2, "x"), "");
    EXPECT_EQ(GetField("a,b", 3, "x"), "x");
    EXPECT_EQ(GetField("a,b", 0, "x"), "x");
    EXPECT_EQ(GetField(" a ,b", 1, "x"), "a");
    EXPECT_EQ(GetField("a,b,", 3, "x"), "x");
    EXPECT_EQ(GetField("\"a,b\"", 2, "x"), "b\"");  // quotes do not protect a comma
}

TEST(TextToFloat, FullNumbersAndThePartialValue)
{
    EXPECT_DOUBLE_EQ(TextToFloat("3,25"), 3.25);
    EXPECT_DOUBLE_EQ(TextToFloat(""), 0.0);
    EXPECT_DOUBLE_EQ(TextToFloat("  -1.5e2 "), -150.0);
    EXPECT_DOUBLE_EQ(TextToFloat(".5"), 0.5);
    EXPECT_DOUBLE_EQ(TextToFloat("12 5"), 12.0);
    EXPECT_DOUBLE_EQ(TextToFloat("-3.5x"), 35.0);
    EXPECT_DOUBLE_EQ(TextToFloat("1.2.3"), 12.0);
    EXPECT_DOUBLE_EQ(TextToFloat("x"), 0.0);
    EXPECT_DOUBLE_EQ(TextToFloat("inf"), 0.0);
    EXPECT_THROW(TextToFloat("1e400"), ConversionError);
    EXPECT_DOUBLE_EQ(TextToFloat("1e-400"), 0.0);
}

TEST(GetSpaceField, RunsOfBlanksAndTabs)
{
    EXPECT_EQ(GetSpaceField("  A   B C", 2, "0"), "B");
    EXPECT_EQ(GetSpaceField("A", 2, "0"), "0");
    EXPECT_EQ(GetSpaceField("A\tB", 2, "0"), "B");
    EXPECT_EQ(GetSpaceField("  A   B C", 3, "0"), "C");
    EXPECT_EQ(GetSpaceField("", 1, "0"), "0");
}

TEST(Padding, ZerosOnTheLeftBlanksOnTheRight)
{
    EXPECT_EQ(PadLeftZeros("7", 4), "0007");
    EXPECT_EQ(PadLeftZeros("12345", 4), "12345");
    EXPECT_EQ(PadRightSpaces("ABC", 5), "ABC  ");
    EXPECT_EQ(PadRightSpaces("ABCDEFG", 5), "ABCDE");
    EXPECT_EQ(PadRightSpaces("ABC", -1), "");
}

TEST(Trimming, OnlyBlanksAreTrimmed)
{
    EXPECT_EQ(TrimSpaces("  a b  "), "a b");
    EXPECT_EQ(TrimSpaces("\ta\t"), "\ta\t");
    EXPECT_EQ(TrimLeftSpaces("  a "), "a ");
    EXPECT_EQ(TrimRightSpaces("  a "), "  a");
    EXPECT_TRUE(IsBlank("   "));
    EXPECT_TRUE(IsBlank(""));
    EXPECT_FALSE(IsBlank(" \t"));
    EXPECT_EQ(UpperText("abz\xE9-Q"), "ABZ\xE9-Q");
}

namespace {
// The field rules followed step by step, as the straightforward reading of them.
std::string ReferenceSpaceField(const std::string& line, int n, const std::string& defaultValue)
{
    auto separator = [](const std::string& s) {
        const std::size_t blank = s.find(' ');
        return blank != std::string::npos ? blank : s.find('\t');
    };
    if (n < 1) return defaultValue;  // the counter never equals n
    std::string rest = TrimSpaces(line);
    for (int counter = 1; counter < n; ++counter) {
        const std::size_t at = separator(rest);
        if (at == std::string::npos) return defaultValue;
        rest = TrimSpaces(rest.substr(at + 1));
    }
    const std::string field = TrimSpaces(rest.substr(0, separator(rest)));
    return field.empty() ? defaultValue : field;
}

std::string RandomText(std::mt19937& random, const std::string& alphabet, std::size_t maxLength)
{
    std::string text(random() % (maxLength + 1), ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    return text;
}
}  // namespace

TEST(GetSpaceField, AgreesWithTheRulesOnRandomLines)
{
    std::mt19937 random(17);
    for (int round = 0; round < 20000; ++round) {
        const std::string line = RandomText(random, "ab   \t", 24);
        for (int n = 0; n <= 6; ++n) ASSERT_EQ(GetSpaceField(line, n, "d"), ReferenceSpaceField(line, n, "d")) << line;
    }
}

// Lines of up to 60 fields, past the fields kept and across word boundaries:
// the fields located once and the fields looked up one at a time both give
// the comma-separated pieces of the line.
TEST(CommaFields, AgreeWithASplitAtEveryComma)
{
    std::mt19937 random(23);
    for (int round = 0; round < 3000; ++round) {
        const std::string line = RandomText(random, round % 2 ? ",,,,1 -.x" : ",12", 150);
        std::vector<std::string> pieces(1);
        for (const char c : line) {
            if (c == ',') pieces.emplace_back();
            else pieces.back() += c;
        }
        const CommaFields fields(line);
        for (int n = 0; n <= 62; ++n) {
            const bool present = n >= 1 && n <= static_cast<int>(pieces.size());
            const std::string& piece = present ? pieces[static_cast<std::size_t>(n - 1)] : line;
            const std::string expected = present && !piece.empty() ? TrimSpaces(piece) : "d";
            ASSERT_EQ(GetField(line, n, "d"), expected) << line << " " << n;
            ASSERT_EQ(fields.Text(n, "d"), expected) << line << " " << n;
        }
    }
}

// Numbers in the forms the files hold read as a full decimal conversion reads them.
TEST(TextToFloat, ShortNumbersReadAsTheFullConversionDoes)
{
    std::mt19937 random(29);
    for (int round = 0; round < 100000; ++round) {
        std::string text = RandomText(random, "0123456789", 1 + round % 17);
        if (text.empty()) text = "0";
        if (random() % 2) text.insert(random() % (text.size() + 1), ".");
        if (random() % 3 == 0) text.insert(0, random() % 2 ? "-" : "+");
        const std::string plain = text.front() == '+' ? text.substr(1) : text;
        if (plain == "." || plain == "-.") continue;
        ASSERT_EQ(TextToFloat(text), std::strtod(plain.c_str(), nullptr)) << text;
    }
    EXPECT_TRUE(std::signbit(TextToFloat("-0.0")));
    EXPECT_EQ(TextToFloat("0000000000000000000012.5"), 12.5);
    EXPECT_EQ(TextToFloat("123456789012345678"), 123456789012345678.0);
}
